#pragma once

#include <string>
#include <vector>

namespace zephyra::weather {
class WeatherDb;
}
namespace zephyra::platform {
class Scheduler;
}

namespace zephyra::reports {

inline constexpr const char* kNoWeatherLoaded =
    "No weather has been loaded from a METAR text file. If you are checking reports from a custom "
    "flight plan, you have to enter a four number code... E.g. 0000, 0001,...0006, etc.";
inline constexpr const char* kReportSeparator = "---------------------------";

// The countries, state codes and stations that have weather, read through the stored queries
// UniqueCountries, UniqueStates and UniqueStations with bound values.
std::vector<std::string> countriesWithWeather(weather::WeatherDb& db);
std::vector<std::string> statesWithWeather(weather::WeatherDb& db, const std::string& country);
// Station entries "Name-ID" of a country and state code (an empty state code matches stations
// without one).
std::vector<std::string> stationsWithWeather(weather::WeatherDb& db, const std::string& country,
                                             const std::string& state);

// The station identifier a station box names: its last four characters, so a typed "KJFK"
// works like the entry "KENNEDY INTL-KJFK".
std::string stationIdOfEntry(const std::string& entry);
// The identifier in the main window's current-station text ("KATL-ATLANTA"), or empty when its
// first "-" does not stand after the third character.
std::string currentStationId(const std::string& currentStationText);

// What the "Weather Report" window shows and enables, changed only by the user's actions
// below; the window copies it onto its controls after each.
class WorldReportBrowser {
  public:
    struct View {
        std::vector<std::string> countries, states, stations;
        int country = -1;  // selected rows, -1 for none
        int state = -1;
        std::string stationText;  // the editable station box
        std::string hiddenState;  // the last state code found
        bool stateEnabled = false, findStationsEnabled = false;
        bool stationEnabled = true, reportEnabled = true;
        std::string reports;  // the collected reports
    };

    // The database is opened by each action and closed again, so a weather load in between is
    // seen at once.
    WorldReportBrowser(std::string databasePath, std::string uom, int unlimitedVisibility);
    // The clock the reports' ages are counted on (none: no ages).
    void setClock(const platform::Scheduler* clock) { clock_ = clock; }

    const View& view() const { return view_; }

    // Window load: the current station in the station box, the countries, the first chosen.
    // Returns the message to show, or empty.
    std::string load(const std::string& currentStationText);
    void chooseCountry(int index);
    // "Find Country / State Code": states of the country; one or none lists the stations.
    void findStates();
    void chooseState(int index);
    // "Find Stations": the stations of the chosen state.
    void findStations();
    void typeStation(const std::string& text);
    void chooseStation(int index);
    // "Weather Report": appends the station's report; returns the message to show, or empty.
    std::string report();
    void clear() { view_.reports.clear(); }

  private:
    std::string countryText() const;
    std::string stateText() const;
    void listStations(const std::string& state);

    std::string databasePath_;
    std::string uom_;
    int unlimitedVisibility_;
    const platform::Scheduler* clock_ = nullptr;
    View view_;
};

}  // namespace zephyra::reports
