#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "flightplan/WaypointStore.h"
#include "weather/WeatherLoader.h"

namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::shell {

class AloftActions;
class DownloadActions;
class PictureActions;
class TafActions;
class VaneWindow;
struct AppContext;

// The main window's weather path: Load METAR, Update Weather, Use Last Weather, the data
// format, and the waypoint loading every load ends with.
class WeatherActions : public QObject,
                       public weather::LoadHost,
                       public flightplan::WaypointLoadHost {
    Q_OBJECT
  public:
    WeatherActions(AppContext& context, VaneWindow& vane);
    // The weather pictures: Load METAR (Picture2) and Use Last Weather (Picture4).
    void bindPictures(PictureActions& pictures);

    void loadMetar();  // Command2
    // Shows a chosen weather file in all_vane and Label19 and runs Update Weather on it.
    void loadChosenFile(const std::string& path);
    // The same load with the loader's messages going to `quiet` instead of message boxes (an
    // in-flight refresh must not stop the pilot with a box).
    void loadChosenFileQuietly(const std::string& path, platform::Dialogs& quiet);
    void updateWeather();   // Command3
    void useLastWeather();  // Command5
    // Rebuilds the waypoint store when it is marked stale.
    // Rebuilds the waypoint store; stored: the weather a load has just written, if any.
    void loadWaypoints(const std::vector<weather::StationSky>* stored = nullptr);
    bool busy() const { return busy_; }
    DownloadActions& downloads() { return *downloads_; }
    AloftActions& aloft() { return *aloft_; }
    TafActions& tafs() { return *tafs_; }

    // LoadHost
    void setStatus(const std::string& text) override;
    void processEvents() override;
    void setRandomTimerInterval(int milliseconds) override;

    // WaypointLoadHost
    bool storeMarkedLoaded() override;
    void markStoreLoaded() override;
    void beginLoad() override;
    void endLoad() override;
    void setCurrentWeatherText(const std::string& text) override;
    std::string activeWaypointName() override;
    void setActiveWaypointFrequency(const std::string& text) override;
    void showMessage(const std::string& text) override;

  private:
    platform::Dialogs* quietDialogs_ = nullptr;  // set during a quiet load
    // Asks to start the simulator when it is not running; true when the caller goes on.
    bool checkSimulatorForLoad();
    void useLastWeatherPicture();
    void clearNoWeatherText(const weather::LoadOutcome& outcome);
    // Label19: the name of the weather file now loaded, its path in the tip.
    void showWeatherFile(const std::string& path);
    std::unique_ptr<weather::WeatherDb> openDatabase(const std::string& weatherFile);
    void selectFormat(bool sa);

    AppContext& ctx_;
    VaneWindow& vane_;
    DownloadActions* downloads_ = nullptr;
    AloftActions* aloft_ = nullptr;
    TafActions* tafs_ = nullptr;
    bool busy_ = false;
};

}  // namespace zephyra::shell
