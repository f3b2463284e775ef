#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Scheduler.h"
#include "shell/AppContext.h"
#include "shell/CompactMode.h"
#include "shell/PictureButton.h"

namespace zephyra::shell {

class PlanControls;
class DeliveryActions;
class HelpTips;
class NavigationPanel;
class PictureActions;
class StartWindow;
class Switches;
class WeatherActions;

// The regional long time format without its time zone.
QString clockTimeFormat(const QLocale& locale);

// The main window "Zephyra! 1.1": picture buttons that start every function, the status area
// the other modules write into, the help-tip line, the clock, the switches and all timers.
// The window builds its controls and composes one small class per concern (tips, compact mode,
// switches, picture buttons, the weather path); see compose().
class VaneWindow : public QWidget {
    Q_OBJECT
  public:
    // Pixels the status area has beyond the classic three lines of the station report, so
    // that all of its seven lines show.
    static constexpr int kReportRoom = CompactMode::kReportRoom;
    // Sizes in twips (1/1440 inch).
    static constexpr int kNormalWidth = CompactMode::kNormalWidth;
    static constexpr int kNormalHeight = CompactMode::kNormalHeight;
    static constexpr int kCompactWidth = CompactMode::kCompactWidth;
    static constexpr int kCompactHeight = CompactMode::kCompactHeight;
    static constexpr int kCompactThreshold = CompactMode::kCompactThreshold;

    explicit VaneWindow(AppContext& context, QWidget* parent = nullptr);
    ~VaneWindow() override;

    enum class LoadResult { MainWindow, Configuration };
    // The load step: clock, start-up test, settings, initial state. On Configuration the
    // configuration window is showing and this window is hidden.
    LoadResult load();

    AppContext& context() { return ctx_; }

    // Controls by name (object names as used throughout the program).
    QLabel* label(const QString& name) const;
    QLineEdit* textBox(const QString& name) const;
    QPushButton* command(const QString& name) const;
    PictureButton* picture(const QString& name) const;
    QCheckBox* checkBox(const QString& name) const;
    QListWidget* list(const QString& name) const;
    QRadioButton* option(const QString& name) const;
    QWidget* image(const QString& name) const;
    NavigationPanel* navigationPanel() const { return picture11_; }
    WeatherActions& weatherActions() { return *weatherActions_; }
    PlanControls& planControls() { return *planControls_; }
    DeliveryActions& deliveryActions() { return *deliveryActions_; }
    PictureActions& pictureActions() { return *pictures_; }
    Switches& switches() { return *switches_; }
    StartWindow* startWindow() const { return start_.get(); }
    // The simulator the window's messages name ("FS98", "FlightGear", "the built-in
    // simulator").
    std::string simulatorName() const;
    // Names the simulator in use under the clock: the folder of the built-in simulator or
    // FS98, or FlightGear's address with whether it answers (nothing: not known yet).
    void showSimulatorInUse(std::optional<bool> connected);
    // Runs when the configuration window configured the program and this window loaded on it.
    std::function<void()> onConfigured;

    // Pressing a command button runs its click handler exactly as a click would.
    void press(const QString& commandName);
    // The status line.
    void setStatus(const QString& text);
    QString status() const;

    // Help tips.
    bool tipsEnabled() const;

    // Compact mode, judged by the current width.
    void toggleCompactMode();
    bool topmost() const;
    int widthTwips() const;
    int heightTwips() const;
    static double twipsPerPixel(const QWidget* widget);

    // The window's timers; later modules give them their work.
    platform::Timer& timer6() { return *timer6_; }
    platform::Timer& timer1() { return *timer1_; }
    platform::Timer& closest() { return *closest_; }
    platform::Timer& randomTimer() { return *random_; }
    std::function<void()> onTimer1;
    std::function<void()> onClosest;
    std::function<void()> onRandomTimer;

    // Windows and functions owned by other modules.
    std::function<void()> showWorldReport;
    std::function<void()> showQuickLink;
    std::function<void()> showWeatherBuilder;
    std::function<void()> showHelp;
    std::function<void()> autoGenerate;
    std::function<bool()> tutorVisible;
    std::function<void()> reloadWaypoints;
    // Where the navigation panel goes when shown in the simulator's window.
    std::function<QWidget*()> simulatorPanelHost;

    // Opens the settings window (modal unless the tutorial is showing).
    void openSettings();

    // Clock text with the system's regional formats.
    void updateClock();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildStatusArea();
    void buildPlanArea();
    void buildButtons();
    void buildSwitches();
    // Grows the status area by kReportRoom for the whole station report.
    void makeRoomForReport();
    // Creates the per-concern classes and binds them to the controls.
    void compose();
    void bindPictures();
    // The controls lying on the status area's surface, buttons excepted.
    std::vector<QWidget*> statusAreaControls() const;
    void setInitialState();
    void showConfiguration(const std::string& currentFolder);
    void showNavigationPanel();

    // elide: an ElidedLabel, for texts that may be wider than the label.
    QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QRect geometry,
                      bool elide = false);
    QLineEdit* makeTextBox(QWidget* parent, const QString& name, QRect geometry, bool readOnly);
    PictureButton* makePicture(const QString& name, int icon, const QString& caption,
                               QRect geometry);
    QPushButton* makeCommand(const QString& name, const QString& caption);

    AppContext& ctx_;
    std::map<QString, QWidget*> controls_;
    NavigationPanel* picture11_ = nullptr;
    HelpTips* tips_ = nullptr;
    CompactMode* compact_ = nullptr;
    Switches* switches_ = nullptr;
    PictureActions* pictures_ = nullptr;
    WeatherActions* weatherActions_ = nullptr;
    std::unique_ptr<PlanControls> planControls_;
    DeliveryActions* deliveryActions_ = nullptr;
    std::unique_ptr<StartWindow> start_;
    std::unique_ptr<platform::Timer> timer6_;
    std::unique_ptr<platform::Timer> timer1_;
    std::unique_ptr<platform::Timer> closest_;
    std::unique_ptr<platform::Timer> random_;
    bool exitConfirmed_ = false;
};

// Shows the busy pointer for the life of the object.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace zephyra::shell
