#pragma once

#include <string>

#include "flightplan/PlanStore.h"
#include "weather/Records.h"
#include "weather/WeatherLoader.h"

namespace zephyra::platform {
class Dialogs;
class Random;
}  // namespace zephyra::platform
namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::builder {

// Inches of mercury to millibars. The Builder keeps pressures in inches; the simulator link
// and the weather records of a report file work in millibars.
double inchesToMillibars(double inches);

// The weather record of one custom-weather entry, before the completion pass: identifier from
// the entry number, clouds, surface wind, visibility, precipitation, temperature and pressure
// (in millibars; a pressure already above 100 is taken as millibars).
weather::WeatherRecord customRecord(const flightplan::PlanWxEntry& entry, const std::string& stamp);

// The pseudo-station of an entry: its number, its waypoint's position and plan line.
weather::StationEntry customStation(const flightplan::PlanWxEntry& entry);

struct CustomWeatherOutcome {
    bool finished = false;  // the records were stored and the station list rebuilt
    int entries = 0;        // weather entries of the plan
    int stored = 0;         // records written (the first of two equal numbers wins)
};

// Replaces the whole Weather table with the plan's custom weather: one record per entry,
// completed as a load completes its records (upper layers drawn, heights already above sea
// level), and the station list made of one pseudo-station per entry. Arms the random
// variation and says "Done Processing N stations.". The caller runs the waypoint loading.
CustomWeatherOutcome processPlanWeather(const flightplan::PlanStore& plan, weather::WeatherDb& db,
                                        platform::Random& rnd, platform::Dialogs& dialogs,
                                        weather::LoadHost& host, weather::LoadedWeather& loaded,
                                        const std::string& stamp);

}  // namespace zephyra::builder
