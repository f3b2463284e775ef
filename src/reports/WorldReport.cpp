#include "reports/WorldReport.h"

#include <cctype>
#include <utility>

#include "platform/Scheduler.h"
#include "reports/StationReport.h"
#include "weather/Statement.h"
#include "weather/WeatherDb.h"

namespace zephyra::reports {

namespace {

// The first column of every row of a query, its values bound in order.
std::vector<std::string> column(weather::WeatherDb& db, const char* sql,
                                const std::vector<std::string>& values = {}) {
    weather::Statement statement(db.handle(), sql);
    std::vector<std::string> rows;
    if (!statement.valid()) {
        return rows;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        statement.bind(static_cast<int>(i + 1), values[i]);
    }
    while (statement.step() == SQLITE_ROW) {
        rows.push_back(statement.text(0));
    }
    return rows;
}

std::unique_ptr<weather::WeatherDb> openExisting(const std::string& path) {
    return weather::WeatherDb::open(path, nullptr, false);
}

}  // namespace

std::vector<std::string> countriesWithWeather(weather::WeatherDb& db) {
    return column(db, "SELECT Country FROM UniqueCountries");
}

std::vector<std::string> statesWithWeather(weather::WeatherDb& db, const std::string& country) {
    return column(db, R"(SELECT "State Code" FROM UniqueStates WHERE Country = ?)", {country});
}

std::vector<std::string> stationsWithWeather(weather::WeatherDb& db, const std::string& country,
                                             const std::string& state) {
    return column(db,
                  R"(SELECT Name || '-' || ID FROM UniqueStations
                     WHERE Country = ? AND "State Code" = ?)",
                  {country, state});
}

std::string stationIdOfEntry(const std::string& entry) {
    return entry.size() <= 4 ? entry : entry.substr(entry.size() - 4);
}

std::string currentStationId(const std::string& currentStationText) {
    const auto dash = currentStationText.find('-');
    if (dash == std::string::npos || dash < 3) {
        return {};
    }
    return currentStationText.substr(0, dash);
}

WorldReportBrowser::WorldReportBrowser(std::string databasePath, std::string uom,
                                       int unlimitedVisibility)
    : databasePath_(std::move(databasePath)),
      uom_(std::move(uom)),
      unlimitedVisibility_(unlimitedVisibility) {}

std::string WorldReportBrowser::countryText() const {
    return view_.country >= 0 && view_.country < static_cast<int>(view_.countries.size())
               ? view_.countries[view_.country]
               : std::string();
}

std::string WorldReportBrowser::stateText() const {
    return view_.state >= 0 && view_.state < static_cast<int>(view_.states.size())
               ? view_.states[view_.state]
               : std::string();
}

std::string WorldReportBrowser::load(const std::string& currentStationText) {
    if (const std::string id = currentStationId(currentStationText); !id.empty()) {
        view_.stations = {id};
        view_.stationText = id;
    }
    auto db = openExisting(databasePath_);
    if (db) {
        view_.countries = countriesWithWeather(*db);
    }
    if (view_.countries.empty()) {
        return kNoWeatherLoaded;
    }
    chooseCountry(0);
    return {};
}

void WorldReportBrowser::chooseCountry(int index) {
    view_.country = index;
    view_.stateEnabled = false;
    view_.findStationsEnabled = false;
}

void WorldReportBrowser::findStates() {
    view_.states.clear();
    view_.state = -1;
    view_.stations.clear();
    view_.stationText.clear();
    auto db = openExisting(databasePath_);
    if (!db) {
        return;
    }
    view_.states = statesWithWeather(*db, countryText());
    view_.hiddenState = view_.states.empty() ? std::string() : view_.states.back();
    if (view_.states.size() > 1) {
        view_.stateEnabled = true;
        view_.hiddenState.clear();
        view_.state = 0;
        view_.findStationsEnabled = true;
        return;
    }
    // One state code or none: the stations at once.
    listStations(view_.hiddenState);
    view_.stateEnabled = false;
    view_.findStationsEnabled = false;
    view_.state = view_.states.empty() ? -1 : 0;
    view_.stationEnabled = true;
    view_.reportEnabled = true;
}

void WorldReportBrowser::chooseState(int index) {
    view_.state = index;
}

void WorldReportBrowser::findStations() {
    listStations(stateText());
    view_.stationEnabled = true;
    view_.reportEnabled = true;
}

void WorldReportBrowser::listStations(const std::string& state) {
    view_.stations.clear();
    view_.stationText.clear();
    if (auto db = openExisting(databasePath_)) {
        view_.stations = stationsWithWeather(*db, countryText(), state);
    }
    if (!view_.stations.empty()) {
        view_.stationText = view_.stations.front();
    }
}

void WorldReportBrowser::typeStation(const std::string& text) {
    view_.stationText = text;
    view_.stationEnabled = true;
    view_.reportEnabled = true;
}

void WorldReportBrowser::chooseStation(int index) {
    if (index >= 0 && index < static_cast<int>(view_.stations.size())) {
        view_.stationText = view_.stations[index];
    }
}

std::string WorldReportBrowser::report() {
    // Identifiers are stored in capitals; a typed "katl" means KATL.
    std::string id = stationIdOfEntry(view_.stationText);
    for (char& c : id) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    auto db = openExisting(databasePath_);
    const StationReport station = db ? stationReport(*db, id, uom_, unlimitedVisibility_,
                                                     clock_ != nullptr ? clock_->wallClock() : 0.0)
                                     : StationReport{};
    if (!station.found) {
        return kStationNotFound;
    }
    view_.reports += "\n" + std::string(kReportSeparator) + station.text;
    return {};
}

}  // namespace zephyra::reports
