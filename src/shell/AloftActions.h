#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "platform/Scheduler.h"
#include "weather/download/AloftDownload.h"

class QAction;
class QLabel;
class QPushButton;
class QToolButton;

namespace zephyra::shell {

class VaneWindow;
class WeatherActions;
struct AppContext;

// The main window's winds aloft: a "Winds aloft" menu under the Weather Map button (load a
// forecast file; download NOAA's FB text, or the GFS model for the box around the flight plan
// or the aircraft) and a line saying what is loaded and when it is valid. A new forecast goes
// into a copy of AppContext::aloft that then replaces it; a file or download that cannot be
// read keeps the forecasts already loaded and says why.
class AloftActions : public QObject, public weather::DownloadHost {
    Q_OBJECT
  public:
    // Degrees around the flight plan's waypoints and around the aircraft.
    static constexpr double kPlanMargin = 2.0;
    static constexpr double kAircraftMargin = 3.0;

    AloftActions(AppContext& context, VaneWindow& vane, WeatherActions& weather);

    enum class Around { Plan, Aircraft };
    void loadFile();  // through the file dialog
    void loadFile(const std::string& path);
    void downloadFb();
    void downloadGfs(Around around);
    void cancel() { cancelRequested_ = true; }
    bool downloading() const { return downloading_; }
    // Shows what AppContext::aloft holds, and whether it is valid near now.
    void showLoaded();
    // In flight: a forecast that came from a download is downloaded again, the same product
    // (GFS for a box around the plan or the aircraft as they are now). Its messages go to the
    // status line, not into boxes; a failure keeps the forecasts loaded. A file the pilot
    // picked is never replaced.
    void refreshInFlight();

    QToolButton* menuButton() const { return menuButton_; }
    QPushButton* cancelButton() const { return cancel_; }
    QLabel* statusLabel() const { return status_; }
    QAction* action(const char* name) const;

    // DownloadHost
    void setStatus(const std::string& text) override;
    bool cancelRequested() override { return cancelRequested_; }

  private:
    // box: for GFS only. quiet: an in-flight refresh, told on the status line.
    void download(weather::AloftKind kind, const weather::AloftBox& box, const std::string& file,
                  bool quiet = false);
    std::optional<weather::AloftBox> gfsBox(Around around, bool quiet);
    void take(const weather::AloftLoad& load);
    void fail(const std::string& title, const std::string& error);
    void setDownloading(bool on);

    AppContext& ctx_;
    VaneWindow& vane_;
    WeatherActions& weather_;
    QToolButton* menuButton_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* status_ = nullptr;
    std::unique_ptr<platform::Timer> refresh_;
    bool downloading_ = false;
    bool cancelRequested_ = false;
    // What the last download asked for, while its forecast is the one loaded.
    struct Downloaded {
        weather::AloftKind kind;
        Around around;
    };
    std::optional<Downloaded> downloaded_;
};

}  // namespace zephyra::shell
