#include "reports/Briefing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <optional>

#include "flightplan/GreatCircle.h"
#include "flightplan/PlanTable.h"
#include "flightplan/WaypointStore.h"
#include "reports/StationReport.h"
#include "weather/AloftField.h"
#include "weather/Observation.h"
#include "weather/ObservationTime.h"
#include "weather/Statement.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

namespace zephyra::reports {

namespace {

std::int64_t observedSeconds(const std::string& obsTime) {
    const auto seconds = weather::observationSeconds(obsTime);
    return seconds ? static_cast<std::int64_t>(*seconds) : 0;
}

// A plan name as a weather station's identifier: the store's identifier of the entry when it
// has one, else the name itself (a departure given as "KATL").
std::string stationOf(const std::string& ident, const std::string& name) {
    return ident.empty() ? name : ident;
}

// The identifier of the store's entry of that name at that place ("KATL" for the airport the
// main window's Add recorded as the departure by its name); the name when the store has none.
std::string identAt(const flightplan::WaypointStore& store, const std::string& name, double lat,
                    double lon) {
    for (int i = 1; i <= store.WpsCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (store.WpsName[k] == name && std::fabs(store.WpsLat[k] - lat) < 1e-4 &&
            std::fabs(store.WpsLon[k] - lon) < 1e-4) {
            const std::string_view ident =
                store.WpsType[k] == "C" ? store.WpsFreq[k] : store.WpsIdent[k];
            return ident.empty() ? name : std::string(ident);
        }
    }
    return name;
}

BriefingMetar metarOf(const BriefingInput& in, const std::string& id) {
    BriefingMetar m;
    m.station = id;
    if (in.db == nullptr || id.empty()) {
        return m;
    }
    const auto record = in.db->findWeather(id);
    if (!record) {
        return m;
    }
    m.found = true;
    m.raw = record->RawText;
    m.observed = observedSeconds(record->ObsTime);
    m.decoded = composeStationReport(*record, stationAltitudeFeet(*in.db, id), in.uom,
                                     in.unlimitedVisibility, static_cast<double>(in.departure));
    // The report as received is shown apart.
    if (!m.raw.empty()) {
        if (const auto at = m.decoded.find(m.raw + "\n"); at != std::string::npos) {
            m.decoded.erase(at, m.raw.size() + 1);
        }
    }
    return m;
}

BriefingTaf tafOf(const BriefingInput& in, const std::string& id, std::int64_t at) {
    BriefingTaf t;
    t.station = id;
    t.at = at;
    if (id.empty()) {
        return t;
    }
    // The latest issued of the file's TAFs for the station, else the one loaded.
    const weather::Taf* chosen = nullptr;
    static const std::vector<weather::Taf> kNone;
    for (const auto& taf : in.tafs != nullptr ? *in.tafs : kNone) {
        if (taf.station == id && !taf.cancelled && (!chosen || taf.issued > chosen->issued)) {
            chosen = &taf;
        }
    }
    std::optional<weather::Taf> loaded;
    if (chosen == nullptr && in.db != nullptr) {
        loaded = weather::loadedTaf(*in.db, id);
        if (loaded && !loaded->cancelled) {
            chosen = &*loaded;
            t.loaded = true;
        }
    }
    if (chosen == nullptr) {
        return t;
    }
    t.found = true;
    t.raw = chosen->raw;
    t.issued = chosen->issued;
    t.validFrom = chosen->validFrom;
    t.validTo = chosen->validTo;
    t.lines = weather::describeTaf(*chosen);
    t.inForce.assign(t.lines.size(), false);
    const auto forecast = weather::forecastAt(*chosen, at);
    t.covers = forecast.has_value();
    if (forecast && t.lines.size() == chosen->periods.size()) {
        std::vector<const weather::TafPeriod*> marked = forecast->becoming;
        marked.insert(marked.end(), forecast->temporary.begin(), forecast->temporary.end());
        marked.push_back(forecast->inForce);
        for (std::size_t i = 0; i < chosen->periods.size(); ++i) {
            t.inForce[i] =
                std::find(marked.begin(), marked.end(), &chosen->periods[i]) != marked.end();
        }
    }
    return t;
}

std::int64_t newestReport(weather::WeatherDb& db) {
    weather::Statement st(db.handle(), "SELECT MAX(ObsTime) FROM Weather WHERE ObsTime <> ''");
    return st.valid() && st.step() == SQLITE_ROW ? observedSeconds(st.text(0)) : 0;
}

std::string hoursApart(std::int64_t seconds) {
    const long minutes = std::lround(std::fabs(static_cast<double>(seconds)) / 60.0);
    char buf[32];
    if (minutes >= 48 * 60) {
        std::snprintf(buf, sizeof buf, "%ld days", minutes / (24 * 60));
        return buf;
    }
    std::snprintf(buf, sizeof buf, "%ld h %02ld min", minutes / 60, minutes % 60);
    return buf;
}

void addSources(const BriefingInput& in, Briefing& b) {
    BriefingSource metar{"METAR", in.weatherName, 0, {}};
    if (in.db != nullptr) {
        metar.time = newestReport(*in.db);
    }
    if (metar.time == 0) {
        metar.warning = "No dated METAR report: the surface weather is unknown.";
    } else if (b.departure - metar.time > kMetarMaxAgeSeconds) {
        metar.warning = "The newest report is " + hoursApart(b.departure - metar.time) +
                        " older than the departure.";
    }
    b.sources.push_back(metar);

    for (const BriefingTaf* taf : {&b.departureTaf, &b.destinationTaf}) {
        BriefingSource s{"TAF " + taf->station,
                         taf->loaded ? std::string("the TAFs loaded") : in.tafName,
                         taf->issued,
                         {}};
        if (!taf->found) {
            std::string why = in.tafProblem;
            while (!why.empty() && why.back() == '.') {
                why.pop_back();
            }
            s.warning = "No TAF for " + taf->station + (why.empty() ? "." : " (" + why + ").");
        } else if (!taf->covers) {
            s.warning = "Not valid at " + briefingTime(taf->at) + " (valid " +
                        briefingTime(taf->validFrom) + " to " + briefingTime(taf->validTo) + ").";
        }
        b.sources.push_back(s);
    }

    BriefingSource aloft{"Winds aloft", b.windSource, 0, {}};
    std::int64_t worst = 0;
    for (const auto& a : b.aloft) {
        if (a.valid == 0) {
            continue;
        }
        const std::int64_t off = a.valid < b.departure                   ? b.departure - a.valid
                                 : b.arrival != 0 && a.valid > b.arrival ? a.valid - b.arrival
                                                                         : 0;
        if (aloft.time == 0 || off > worst) {
            aloft.time = a.valid;
            worst = off;
        }
    }
    if (in.aloft == nullptr || in.aloft->empty()) {
        aloft.warning = "No winds aloft forecast: the legs are flown without wind.";
    } else if (b.aloft.empty()) {
        aloft.warning = "The forecast does not reach the route.";
    } else if (aloft.time == 0) {
        // A SimBrief OFP's winds carry no time of their own.
        aloft.warning =
            "The forecast gives no valid time: it cannot be checked against the "
            "time of flight.";
    } else if (worst > kAloftMaxOffsetSeconds) {
        aloft.warning =
            "Valid " + hoursApart(worst) + " away from the time of flight (more than 6 h).";
    }
    b.sources.push_back(aloft);
}

}  // namespace

std::vector<weather::Taf> briefingTafs(const std::string& tafFile, weather::WeatherDb* /*db*/,
                                       std::int64_t departure, std::string* problem) {
    std::vector<weather::Taf> tafs;
    if (tafFile.empty()) {
        if (problem != nullptr) {
            *problem = "none loaded";
        }
    } else if (auto read = weather::loadTafFile(tafFile, problem, departure)) {
        tafs = std::move(*read);
    }
    return tafs;
}

Briefing gatherBriefing(const BriefingInput& in) {
    Briefing b;
    b.departure = in.departure;
    b.written = in.now;
    const flightplan::FlightPlan& flight = *in.flight;
    const flightplan::PlanWindsInput winds{in.aloft, in.departure, in.metres};
    const flightplan::PlanTable table =
        flightplan::planTable(flight, *in.store, std::nullopt, &winds);
    b.totalNm = table.totalNm;
    b.totalMinutes = table.windMinutes;
    b.windSource = table.windsAloft ? table.windSource : std::string();

    // The points flown, in the plan table's order: the departure when it is not an entry,
    // then the entries passed, the active one and those to come.
    std::vector<flightplan::PlanStore::Row> points;
    for (const auto& r : flight.passed) {
        points.push_back(r);
    }
    if (flight.leg.active) {
        const auto& l = flight.leg;
        points.push_back({l.FWAYP, {}, {}, l.CurWpLat, l.CurWpLon, 0.0, 0.0});
    }
    for (int i = 0; i < flight.plan.PlanCount; ++i) {
        points.push_back(flight.plan.row(i));
    }
    const auto& ends = flight.ends;
    const bool fromDeparture =
        !ends.departureName.empty() && !points.empty() && points.front().name != ends.departureName;
    if (fromDeparture) {
        b.route.emplace_back(ends.departureLat, ends.departureLon);
        b.routeNames.push_back(ends.departureName);
    }
    for (const auto& p : points) {
        b.route.emplace_back(p.lat, p.lon);
        b.routeNames.push_back(p.name);
    }

    std::string departureId =
        fromDeparture ? identAt(*in.store, ends.departureName, ends.departureLat, ends.departureLon)
                      : std::string();
    std::string destinationId;
    std::string from = fromDeparture ? ends.departureName : std::string();
    std::optional<double> elapsed = 0.0;
    std::size_t point = fromDeparture ? 1 : 0;
    for (const auto& row : table.rows) {
        const std::string id = stationOf(row.ident, row.name);
        if (departureId.empty()) {
            departureId = id;
        }
        destinationId = id;
        if (!row.wind) {
            from = row.name;
            ++point;
            continue;
        }
        const flightplan::LegWind& w = *row.wind;
        BriefingLeg leg;
        leg.from = from;
        leg.to = row.name;
        leg.altitudeFeet = w.altitudeFeet;
        leg.courseTrue = w.courseTrue;
        leg.distanceNm = w.distanceNm;
        leg.forecast = w.forecast;
        leg.windDirection = w.windDirection;
        leg.windKnots = w.windKnots;
        leg.tasKt = w.tasKt;
        leg.groundSpeedKt = w.groundSpeedKt;
        leg.minutes = w.minutes;
        elapsed =
            elapsed && w.minutes ? std::optional<double>(*elapsed + *w.minutes) : std::nullopt;
        if (elapsed) {
            leg.eta = in.departure + std::llround(*elapsed * 60.0);
        }
        if (in.aloft != nullptr && point < b.route.size()) {
            const auto [lat, lon] = b.route[point];
            if (const auto s =
                    in.aloft->at(lat, lon, w.altitudeFeet, leg.eta != 0 ? leg.eta : in.departure)) {
                leg.temperatureC = s->temperature;
                b.aloft.push_back({row.name, w.altitudeFeet, s->direction, s->speedKnots,
                                   s->temperature, s->source, s->validTime});
            }
        }
        b.legs.push_back(leg);
        from = row.name;
        ++point;
    }
    b.arrival = b.legs.empty() ? 0 : b.legs.back().eta;
    b.title = departureId + " to " + destinationId;

    b.departureMetar = metarOf(in, departureId);
    b.destinationMetar = metarOf(in, destinationId);
    b.departureTaf = tafOf(in, departureId, in.departure);
    b.destinationTaf = tafOf(in, destinationId, b.arrival != 0 ? b.arrival : in.departure);

    if (in.db != nullptr && b.route.size() >= 2) {
        const weather::StationList list = in.db->stationList();
        for (int i = 1; i <= list.count(); ++i) {
            const auto& s = list[i];
            double nearest = 1e9;
            for (std::size_t k = 1; k < b.route.size(); ++k) {
                nearest = std::min(nearest,
                                   flightplan::distanceToLegNm(
                                       s.latitude, s.longitude, b.route[k - 1].first,
                                       b.route[k - 1].second, b.route[k].first, b.route[k].second));
            }
            if (nearest > kRouteStationNm) {
                continue;
            }
            BriefingStation station{s.ID, s.latitude, s.longitude, nearest, {}, {}, 0};
            if (const auto record = in.db->findWeather(s.ID)) {
                station.raw = record->RawText;
                station.observed = observedSeconds(record->ObsTime);
                station.category = weather::flightCategoryName(
                    weather::flightCategory(weather::readObservation(record->RawText)));
            }
            b.stations.push_back(std::move(station));
        }
        // In flying order: by the distance from the first point.
        const auto [lat0, lon0] = b.route.front();
        std::stable_sort(
            b.stations.begin(), b.stations.end(),
            [lat0, lon0](const BriefingStation& x, const BriefingStation& y) {
                return flightplan::sphericalCourseDistance(lat0, lon0, x.lat, x.lon).distance <
                       flightplan::sphericalCourseDistance(lat0, lon0, y.lat, y.lon).distance;
            });
    }
    addSources(in, b);
    return b;
}

std::string briefingTime(std::int64_t seconds) {
    if (seconds == 0) {
        return "unknown";
    }
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%MZ", &tm);
    return buf;
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string base64(const std::string& bytes) {
    static const char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           static_cast<unsigned char>(bytes[i + 1]) << 8 |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[n >> 18];
        out += kDigits[n >> 12 & 63];
        out += kDigits[n >> 6 & 63];
        out += kDigits[n & 63];
    }
    if (i < bytes.size()) {
        const bool two = i + 1 < bytes.size();
        const unsigned n = static_cast<unsigned char>(bytes[i]) << 16 |
                           (two ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0u);
        out += kDigits[n >> 18];
        out += kDigits[n >> 12 & 63];
        out += two ? kDigits[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

}  // namespace zephyra::reports
