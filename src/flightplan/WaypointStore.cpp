#include "flightplan/WaypointStore.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Random.h"
#include "weather/Packs.h"
#include "weather/Statement.h"
#include "weather/WeatherDb.h"

namespace zephyra::flightplan {

void WaypointStore::clear() {
    for (auto* column : {&WpsType, &WpsName, &WpsFreq, &WpsIdent}) {
        column->clear();
    }
    WpsLat.assign(1, 0.0);
    WpsLon.assign(1, 0.0);
    WpsWxCat.assign(1, 0);
    WpsPrecip.assign(1, 0);
    WpsFlightCat.assign(1, 0);
    WpsCount = 0;
}

void WaypointStore::reserve(std::size_t entries) {
    const std::size_t n = std::min<std::size_t>(entries, kCapacity) + 1;
    // Room for the texts of a whole load: types are a letter, frequencies and identifiers a
    // few characters, names some twenty.
    WpsType.reserve(n, n);
    WpsName.reserve(n, 24 * n);
    WpsFreq.reserve(n, 6 * n);
    WpsIdent.reserve(n, 5 * n);
    WpsLat.reserve(n);
    WpsLon.reserve(n);
    WpsWxCat.reserve(n);
    WpsPrecip.reserve(n);
    WpsFlightCat.reserve(n);
}

bool WaypointStore::add(std::string_view type, std::string_view name, std::string_view freq,
                        double lat, double lon, std::int16_t wxCat, std::int16_t precip,
                        std::string_view ident, std::int8_t flightCat) {
    if (WpsCount >= kCapacity) {
        return false;
    }
    WpsType.push_back(type);
    WpsName.push_back(name);
    WpsFreq.push_back(freq);
    WpsIdent.push_back(ident);
    WpsLat.push_back(lat);
    WpsLon.push_back(lon);
    WpsWxCat.push_back(wxCat);
    WpsPrecip.push_back(precip);
    WpsFlightCat.push_back(flightCat);
    ++WpsCount;
    return true;
}

std::optional<std::string> WaypointStore::frequencyOf(const std::string& name) const {
    std::optional<std::string> found;
    for (int i = 1; i <= WpsCount; ++i) {
        if (WpsName[static_cast<std::size_t>(i)] == name) {
            found = std::string(WpsFreq[static_cast<std::size_t>(i)]);
        }
    }
    return found;
}

bool inRegion(int region, std::string_view lonText, int we) {
    // The whole degrees: the first three characters read as a number.
    int degrees = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(3, lonText.size()); ++i) {
        if (lonText[i] < '0' || lonText[i] > '9') {
            break;
        }
        degrees = degrees * 10 + (lonText[i] - '0');
    }
    const bool west = we < 0;
    switch (region) {
        case kAmericas:
            return west && degrees >= 30;
        case kEuropeOther:
            return !(west && degrees > 30);
        case kAll:
            return true;
        default:
            return false;
    }
}

namespace {

bool skyBefore(const weather::StationSky& a, const weather::StationSky& b) {
    return a.ID < b.ID;
}

// The stored weather's fields the store needs, sorted by station: the rows come in the order a
// load wrote them, which is already that order.
std::vector<weather::StationSky> readStationSkies(weather::WeatherDb& db) {
    std::vector<weather::StationSky> out;
    weather::Statement st(db.handle(),
                          "SELECT ID, Cl1Coverage, Cl2Coverage, VisibVary, Thunder, Precip, "
                          "FlightCategory FROM Weather");
    while (st.step() == SQLITE_ROW) {
        out.push_back({std::string(st.view(0)), st.integer(1), st.integer(2), st.integer(3) != 0,
                       st.integer(4) != 0, st.integer(5), std::string(st.view(6))});
    }
    if (!std::is_sorted(out.begin(), out.end(), skyBefore)) {
        std::sort(out.begin(), out.end(), skyBefore);
    }
    return out;
}

const weather::StationSky* skyOf(const std::vector<weather::StationSky>& skies,
                                 const std::string& id) {
    const auto it = std::lower_bound(
        skies.begin(), skies.end(), id,
        [](const weather::StationSky& w, const std::string& key) { return w.ID < key; });
    return it != skies.end() && it->ID == id ? &*it : nullptr;
}

using weather::packs::WaypointColumns;

// Every WPS record into an empty store, a column at a time. Only navaids keep a frequency.
void copyAllWps(const WaypointColumns& c, WaypointStore& store) {
    const int n = c.count();
    const auto copy = [&](TextColumn& to, WaypointColumns::Text from) {
        to.append(c.texts(from), n, [&](int i) { return c.start(from, i); });
    };
    copy(store.WpsType, WaypointColumns::kType);
    copy(store.WpsName, WaypointColumns::kName);
    copy(store.WpsIdent, WaypointColumns::kIdent);
    for (int i = 0; i < n; ++i) {
        const std::string_view type = c.text(WaypointColumns::kType, i);
        store.WpsFreq.push_back(type == "V" || type == "N" ? c.text(WaypointColumns::kFrequency, i)
                                                           : std::string_view());
    }
    const auto copyReals = [n](std::vector<double>& to, const char* reals) {
        const std::size_t at = to.size();
        to.resize(at + static_cast<std::size_t>(n));
        std::memcpy(to.data() + at, reals, sizeof(double) * static_cast<std::size_t>(n));
    };
    copyReals(store.WpsLat, c.latitudes());
    copyReals(store.WpsLon, c.longitudes());
    store.WpsWxCat.resize(store.WpsWxCat.size() + static_cast<std::size_t>(n), 0);
    store.WpsPrecip.resize(store.WpsPrecip.size() + static_cast<std::size_t>(n), 0);
    store.WpsFlightCat.resize(store.WpsFlightCat.size() + static_cast<std::size_t>(n), 0);
    store.WpsCount += n;
}

std::int8_t flightCategoryCode(std::string_view name) {
    return name == "VFR" ? 1 : name == "MVFR" ? 2 : name == "IFR" ? 3 : name == "LIFR" ? 4 : 0;
}

// "###" formatting of the share: whole percent, and nothing at all for zero.
std::string percentText(int processed, int total) {
    if (total <= 0) {
        return {};
    }
    const long n = std::lround(100.0 * processed / total);
    return n == 0 ? std::string() : std::to_string(n);
}

}  // namespace

WaypointLoadResult loadWaypoints(weather::WeatherDb& db, int region,
                                 const weather::StationList& stations, platform::Random& rnd,
                                 WaypointStore& store, WaypointLoadHost& host,
                                 const std::vector<weather::StationSky>* stored) {
    if (host.storeMarkedLoaded()) {
        return WaypointLoadResult::AlreadyLoaded;
    }
    host.beginLoad();
    store.loadingFlag = 0;

    if (!db.hasWaypoints()) {
        // Nothing to move to: the store keeps its stale mark so the next call tries again.
        host.showMessage("No weather has been loaded.");
        store.loadingFlag = -1;
        host.endLoad();
        return WaypointLoadResult::NoWaypointTable;
    }
    store.clear();
    // The stations, and the WPS records once their count is read with them.
    int total = stations.count();
    store.reserve(static_cast<std::size_t>(total));
    int processed = 0;
    const auto showProgress = [&] {
        host.setStatus(region == kAll
                           ? percentText(processed, total) + " percent of waypoints loaded."
                           : std::to_string(processed) + " waypoints loaded.");
        host.processEvents();
    };
    auto progress = [&] {
        if (++processed % 250 == 0) {
            showProgress();
        }
    };

    if (region != kNone) {
        const bool ok = weather::packs::withWaypoints(db.handle(), [&](const WaypointColumns& c) {
            total += c.count();
            store.reserve(static_cast<std::size_t>(total));
            if (region == kAll && c.count() <= WaypointStore::kCapacity) {
                copyAllWps(c, store);
                // The same progress as a record at a time gives.
                for (int i = 0; i < c.count(); ++i) {
                    progress();
                }
                return true;
            }
            for (int i = 0; i < c.count(); ++i) {
                const std::string_view lon = c.text(WaypointColumns::kLon, i);
                if (inRegion(region, lon, c.we(i))) {
                    const std::string_view type = c.text(WaypointColumns::kType, i);
                    const bool navaid = type == "V" || type == "N";
                    store.add(type, c.text(WaypointColumns::kName, i),
                              navaid ? c.text(WaypointColumns::kFrequency, i) : std::string_view(),
                              c.latitude(i), c.longitude(i), 0, 0,
                              c.text(WaypointColumns::kIdent, i));
                }
                progress();
            }
            return true;
        });
        if (!ok) {
            store.loadingFlag = -1;
            host.endLoad();
            return WaypointLoadResult::Failed;
        }
    }

    if (stations.count() == 0) {
        host.setCurrentWeatherText("No weather loaded...");
    }
    std::vector<weather::StationSky> read;
    if (stored == nullptr || !std::is_sorted(stored->begin(), stored->end(), skyBefore)) {
        read = readStationSkies(db);
        stored = &read;
    }
    const auto& skies = *stored;
    for (int i = 1; i <= stations.count(); ++i) {
        const auto& s = stations[i];
        const weather::StationSky* found = skyOf(skies, s.ID);
        if (found == nullptr) {
            continue;
        }
        const weather::StationSky& w = *found;
        std::int16_t category = static_cast<std::int16_t>(std::max(w.Cl1Coverage, w.Cl2Coverage));
        if (w.VisibVary) {
            category = 9;
        }
        if (w.Thunder) {
            category = 10;
        }
        std::int16_t precip = 0;
        if (w.Precip != 0) {
            precip = static_cast<std::int16_t>(std::floor(rnd.next() * 5) + 5 * (w.Precip - 1) + 1);
        }
        store.add("C", s.Name, s.ID, s.latitude, s.longitude, category, precip, {},
                  flightCategoryCode(w.FlightCategory));
        progress();
    }

    store.loadingFlag = -1;
    host.endLoad();
    host.setStatus("All waypoints loaded.");
    const std::string active = host.activeWaypointName();
    if (!active.empty()) {
        if (const auto freq = store.frequencyOf(active)) {
            host.setActiveWaypointFrequency(*freq);
        }
    }
    host.markStoreLoaded();
    return WaypointLoadResult::Loaded;
}

}  // namespace zephyra::flightplan
