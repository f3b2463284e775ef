#pragma once

#include <optional>
#include <string>
#include <string_view>
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
    // What the load stored for the waypoint store, by identifier (empty when it stored nothing).
    std::vector<StationSky> stored;
};

inline constexpr const char* kPreviousWeatherKept = "The weather loaded before is kept.";
inline constexpr const char* kLooksLikeMetar =
    "The file holds METAR reports, but SA is selected under Data Format: the data format may be "
    "the cause.";

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

    // The scratch file of the line-end repair ("vane1.txt" in the program folder). A METAR file
    // that needs the repair is repaired into it and read from there; the picked file is never
    // written. Without a scratch file the repair is made in memory only.
    void setScratchFile(std::string path) { scratchFile_ = std::move(path); }

    // The winds and temperatures aloft the loads complete their records from where they reach
    // a station (null: none; the draws give them). The field must outlive the loader.
    void setAloft(const AloftField* field) { aloft_ = field; }

    // Current date and time as records stamp it.
    std::string timestamp() const;

  private:
    bool readFile(const std::string& path, std::string& text);
    // readFile, then the line-end repair into the scratch file when the file needs it.
    bool readMetarFile(const std::string& path, std::string& text);
    void reportFileError(const std::string& path, const std::string& reason);
    // A file that gave no record at all: the no-weather message, and the weather loaded before
    // stays (table, station list and flags).
    void keepPreviousWeather(std::string_view text, bool saSelected);
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
    std::string scratchFile_;
    const AloftField* aloft_ = nullptr;
};

}  // namespace zephyra::weather
