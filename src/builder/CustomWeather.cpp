#include "builder/CustomWeather.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "platform/Dialogs.h"
#include "platform/Random.h"
#include "weather/Completion.h"
#include "weather/WeatherDb.h"

namespace zephyra::builder {

namespace {

// A field as a whole number: halves to the even neighbour, out-of-range values clamped.
int whole(double v, double lo, double hi) {
    if (!std::isfinite(v)) {
        return 0;
    }
    return static_cast<int>(std::nearbyint(std::clamp(v, lo, hi)));
}
int whole16(double v) {
    return whole(v, INT16_MIN, INT16_MAX);
}
int whole32(double v) {
    return whole(v, -2147483648.0, 2147483647.0);
}
double finite(double v) {
    return std::isfinite(v) ? v : 0.0;
}

}  // namespace

double inchesToMillibars(double inches) {
    return inches * 33.8639;
}

weather::WeatherRecord customRecord(const flightplan::PlanWxEntry& entry,
                                    const std::string& stamp) {
    const auto& f = entry.field;
    weather::WeatherRecord r;
    r.ID = entry.id.substr(0, 4);
    r.Observation = "METAR";
    r.Time = "0";
    r.cl1Base = whole32(f[4]);
    r.cl1Top = whole32(f[5]);
    r.cl1CoverCode = " ";
    r.Cl1Coverage = whole16(f[3]);
    r.cl2Base = whole32(f[7]);
    r.cl2Top = whole32(f[8]);
    r.cl2CoverCode = " ";
    r.Cl2Coverage = whole16(f[6]);
    r.Visibility = finite(f[12]);
    // Entries hold inches of mercury; a value no barometer shows in inches is millibars.
    const double pressure = finite(f[15]);
    r.Pressure = pressure > 100.0 ? pressure : inchesToMillibars(pressure);
    r.t0Deg = whole16(f[14]);
    r.Dew = r.t0Deg;
    r.w0Dir = finite(f[10]);
    r.w0Spd = finite(f[9]);
    r.w0Gust = 0;
    r.Altimeter = 30.0;
    r.Upd_Ts = stamp;
    r.Precip = whole16(f[13]);
    // Codes 7 to 9 are the storms.
    r.Thunder = f[13] > 6;
    return r;
}

weather::StationEntry customStation(const flightplan::PlanWxEntry& entry) {
    return {entry.id.substr(0, 4),
            finite(entry.field[1]),
            finite(entry.field[2]),
            entry.id.size() > 4 ? entry.id.substr(4) : std::string(),
            "FW",
            "Manual Weather"};
}

CustomWeatherOutcome processPlanWeather(const flightplan::PlanStore& plan, weather::WeatherDb& db,
                                        platform::Random& rnd, platform::Dialogs& dialogs,
                                        weather::LoadHost& host, weather::LoadedWeather& loaded,
                                        const std::string& stamp) {
    CustomWeatherOutcome outcome;
    if (!plan.hasCustomWeather) {
        return outcome;
    }
    const int last =
        std::clamp<int>(plan.PlanWxCount, 0, flightplan::PlanStore::kWeatherEntries - 1);
    outcome.entries = last + 1;

    // One record per entry; a second entry under a number already taken is passed over.
    std::vector<weather::WeatherRecord> records;
    std::unordered_set<std::string> ids;
    for (int a = 0; a <= last; ++a) {
        auto record = customRecord(plan.PlanWx[static_cast<std::size_t>(a)], stamp);
        if (ids.insert(record.ID).second) {
            records.push_back(std::move(record));
        }
        host.setStatus("Loaded " + std::to_string(a + 1) + " stations.");
        host.processEvents();
    }
    // Table order is identifier order.
    std::sort(records.begin(), records.end(),
              [](const auto& x, const auto& y) { return x.ID < y.ID; });

    const auto style = weather::CompletionStyle::custom();
    for (std::size_t i = 0; i < records.size(); ++i) {
        completeRecord(records[i], weather::StationFacts{}, style, rnd);
        const int percent = static_cast<int>(std::nearbyint(100.0 * static_cast<double>(i + 1) /
                                                            static_cast<double>(records.size())));
        host.setStatus("Processing " + std::to_string(percent) + " percent complete.");
        host.processEvents();
    }

    std::string failure;
    {
        auto tx = db.transaction();
        std::vector<const weather::WeatherRecord*> rows;
        for (const auto& r : records) {
            rows.push_back(&r);
        }
        if (!db.replaceWeather(rows) || !tx->commit()) {
            failure = db.lastError();
        }
    }
    if (!failure.empty()) {
        dialogs.message({"The custom weather could not be stored in the database (" + failure +
                             "). The previous weather is kept.",
                         "Weather -- ERROR", platform::Buttons::Ok, platform::Icon::Exclamation,
                         1});
        return outcome;
    }
    outcome.stored = static_cast<int>(records.size());

    weather::StationList stations;
    for (int a = 0; a <= last; ++a) {
        stations.entries.push_back(customStation(plan.PlanWx[static_cast<std::size_t>(a)]));
    }
    loaded.stations = std::move(stations);
    loaded.noWeather = false;
    host.setRandomTimerInterval(60000);
    dialogs.inform("Done Processing " + std::to_string(outcome.entries) + " stations.");
    outcome.finished = true;
    return outcome;
}

}  // namespace zephyra::builder
