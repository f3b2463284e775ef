#pragma once

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPoint>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "platform/Scheduler.h"
#include "shell/AppContext.h"
#include "shell/PictureButton.h"

namespace zephyra::shell {

class PlanControls;
class DeliveryActions;
class StartWindow;
class WeatherActions;

// The main window "Zephyra! 1.1": picture buttons that start every function, the status area
// the other modules write into, the help-tip line, the clock, the switches and all timers.
class VaneWindow : public QWidget {
    Q_OBJECT
  public:
    // Sizes in twips (1/1440 inch).
    static constexpr int kNormalWidth = 9090;
    static constexpr int kNormalHeight = 6180;
    static constexpr int kCompactWidth = 4935;
    static constexpr int kCompactHeight = 2940;
    static constexpr int kCompactThreshold = 7000;

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
    QFrame* navigationPanel() const { return picture11_; }
    WeatherActions& weatherActions() { return *weatherActions_; }
    PlanControls& planControls() { return *planControls_; }
    DeliveryActions& deliveryActions() { return *deliveryActions_; }
    StartWindow* startWindow() const { return start_.get(); }

    // Pressing a command button runs its click handler exactly as a click would.
    void press(const QString& commandName);
    // The status line.
    void setStatus(const QString& text);
    QString status() const;

    // Help tips.
    bool tipsEnabled() const { return tipsEnabled_ != 0; }
    void setTipLine(const QString& text);
    QString tipFor(const QString& controlName) const;

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
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void buildStatusArea();
    void buildPlanArea();
    void buildButtons();
    void buildSwitches();
    void connectPictures();
    void setInitialState();
    void showConfiguration();
    void onPictureReleased(const QString& name, Qt::MouseButton button);
    // Asks to start the simulator when it is not running; true when the caller goes on.
    bool checkSimulatorForLoad(const QString& question);
    void showNavigationPanel();
    void toggleSendWeatherFromPicture();
    void setSendWeatherFromImage(bool on);
    void toggleApUpdate();
    void toggleAutoSwitch();

    QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, QRect geometry);
    QLineEdit* makeTextBox(QWidget* parent, const QString& name, QRect geometry, bool readOnly);
    PictureButton* makePicture(const QString& name, int icon, const QString& caption,
                               QRect geometry);
    QPushButton* makeCommand(const QString& name, const QString& caption);

    AppContext& ctx_;
    std::map<QString, QWidget*> controls_;
    std::map<QString, QString> tips_;
    QFrame* picture11_ = nullptr;
    WeatherActions* weatherActions_ = nullptr;
    std::unique_ptr<PlanControls> planControls_;
    DeliveryActions* deliveryActions_ = nullptr;
    std::unique_ptr<StartWindow> start_;
    std::unique_ptr<platform::Timer> timer6_;
    std::unique_ptr<platform::Timer> timer1_;
    std::unique_ptr<platform::Timer> closest_;
    std::unique_ptr<platform::Timer> random_;

    std::int16_t tipsEnabled_ = 0;
    bool panelDragging_ = false;
    QPoint panelDragOrigin_;
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
