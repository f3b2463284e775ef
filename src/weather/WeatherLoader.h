#pragma once

#include <optional>
#include <string>
#include <vector>

#include "weather/Completion.h"
#include "weather/Records.h"
#include "weather/StationCache.h"

namespace zephyra::platform {
class Dialogs;
class Random;
class Scheduler;
}  // namespace zephyra::platform

namespace zephyra::weather {

class WeatherDb;

// What a load needs of the window it runs in.
class LoadHost {
  public:
    virtual ~LoadHost() = default;
    virtual void setStatus(const std::string& text) = 0;
    // Lets the window process its events; called often, so a host may throttle it.
    virtual void processEvents() = 0;
    virtual void setRandomTimerInterval(int milliseconds) = 0;
};

// The weather the program flies with: the stations that have weather and the load's flags.
struct LoadedWeather {
    StationList stations;
    bool noWeather = false;     // the last load found no station with weather
    int precipitation = 0;      // intensity of the last line of the last METAR file
    StationCache stationTable;  // the station table, read once per run
};

struct LoadOutcome {
    bool finished = false;  // reached the end (a station list was built)
    int loaded = 0;         // records written, each station once
    int processed = 0;      // records completed by the second pass
};

inline constexpr const char* kNoWeatherMessage =
    "No weather has been loaded. You must select a METAR text file downloaded from the internet "
    "and choose Update Weather or load a flight plan that contains custom weather. Also confirm "
    "that your text file contains weather reports.";

// Loads a weather file into the Weather table: empties it, writes one record per station (the
// later report of a station wins), completes every record, rebuilds the station list and
// arms the random variation. Every message of a load goes through the dialogs.
class WeatherLoader {
  public:
    WeatherLoader(WeatherDb& db, platform::Random& rnd, platform::Dialogs& dialogs,
                  platform::Scheduler& clock, LoadHost& host, LoadedWeather& weather);

    // A METAR file. With useLastWeather the file is not read: the station list is rebuilt
    // from the records already in the table.
    LoadOutcome loadMetar(const std::string& path, bool useLastWeather);
    // An SA file.
    LoadOutcome loadSa(const std::string& path);

    // Current date and time as records stamp it.
    std::string timestamp() const;

  private:
    bool readFile(const std::string& path, std::string& text);
    bool finish(LoadOutcome& outcome, StationList stations);
    // Completes every record in station order and writes the whole set in one transaction.
    // Returns the stations that have weather, as the stored query lists them, or nothing when
    // the records could not be stored (the user is told; the previous weather stays).
    std::optional<StationList> completeAndStore(std::vector<WeatherRecord>& records,
                                                const CompletionStyle& style, int progressBase,
                                                LoadOutcome& outcome, int progressEvery);

    WeatherDb& db_;
    platform::Random& rnd_;
    platform::Dialogs& dialogs_;
    platform::Scheduler& clock_;
    LoadHost& host_;
    LoadedWeather& weather_;
};

}  // namespace zephyra::weather
