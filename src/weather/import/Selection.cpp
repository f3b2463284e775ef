#include "weather/import/Selection.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <set>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "weather/import/Encoding.h"
#include "weather/import/TextInput.h"

namespace zephyra::weather::import {

namespace {

constexpr double kPi = 3.14159265358979323846;

double distanceKm(const GeoPoint& a, const GeoPoint& b) {
    const double toRad = kPi / 180.0;
    const double dLat = (b.lat - a.lat) * toRad;
    const double dLon = (b.lon - a.lon) * toRad;
    const double h =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(a.lat * toRad) * std::cos(b.lat * toRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * 6371.0 * std::asin(std::min(1.0, std::sqrt(h)));
}

std::string upper(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

// Country names from countries.csv, reachable by code and by the older names and codes the
// NOAA lists still use.
class Countries {
  public:
    explicit Countries(const std::map<std::string, std::string>& byCode) : byCode_(byCode) {
        for (const auto& [code, name] : byCode) {
            codeByName_.emplace(upper(name), code);
        }
        static const std::pair<const char*, const char*> kOldNames[] = {
            {"Cote D'Ivoire", "CI"},
            {"Congo", "CG"},
            {"Zaire", "CD"},
            {"Swaziland", "SZ"},
            {"Saint Helena", "SH"},
            {"Reunion", "RE"},
            {"Sao Tome and Principe", "ST"},
            {"Western Sahara", "EH"},
            {"Libyan Arab Jamahiriya", "LY"},
            {"Tanzania, United Republic of", "TZ"},
            {"Moldova, Republic of", "MD"},
            {"Macedonia, the Former Yugoslav Republic of", "MK"},
            {"Solvakia", "SK"},
            {"Iran, Islamic Republic of", "IR"},
            {"Syrian Arab Republic", "SY"},
            {"Micronesia, Federated States of", "FM"},
            {"Korea, Republic of", "KR"},
            {"Korea, Democratic People's Republic of", "KP"},
            {"Falkland Islands (Malvinas)", "FK"},
            {"Virgin Islands, United States", "VI"},
            {"Virgin Islands, British", "VG"},
            {"Russian Federation", "RU"},
            {"Russion Federation", "RU"},
            {"Lao People's Democratic Republic", "LA"},
            {"Viet Nam", "VN"},
            {"Brunei Darussalam", "BN"},
            {"East Timor", "TL"},
            {"United States of America", "US"},
            {"Turkey", "TR"},
        };
        for (const auto& [name, code] : kOldNames) {
            codeByName_.emplace(upper(name), code);
        }
    }

    // The name for an ISO code; empty when unknown.
    std::string nameOfCode(const std::string& code) const {
        static const std::map<std::string, std::string> kOldCodes = {{"TP", "TL"}, {"KV", "XK"}};
        const auto renamed = kOldCodes.find(code);
        const auto it = byCode_.find(renamed != kOldCodes.end() ? renamed->second : code);
        return it != byCode_.end() ? it->second : std::string();
    }

    // The name for a country written as a name or a code; empty when unknown.
    std::string nameOf(const std::string& nameOrCode) const {
        if (nameOrCode.size() == 2) {
            return nameOfCode(nameOrCode);
        }
        const auto it = codeByName_.find(upper(nameOrCode));
        return it != codeByName_.end() ? nameOfCode(it->second) : std::string();
    }

  private:
    const std::map<std::string, std::string>& byCode_;
    std::unordered_map<std::string, std::string> codeByName_;
};

const StationRecord* find(const std::unordered_map<std::string, const StationRecord*>& index,
                          const std::string& id) {
    const auto it = index.find(id);
    return it != index.end() ? it->second : nullptr;
}

std::unordered_map<std::string, const StationRecord*> indexById(
    const std::vector<StationRecord>& rows) {
    std::unordered_map<std::string, const StationRecord*> index;
    for (const auto& row : rows) {
        index.emplace(row.id, &row);
    }
    return index;
}

// The weather utility describes stations as "Name, Town, REGION, CC" or "Town, Country".
std::string_view lastPart(std::string_view description) {
    const std::size_t comma = description.rfind(',');
    return comma == std::string_view::npos ? std::string_view()
                                           : trim(description.substr(comma + 1));
}

std::string_view firstPart(std::string_view description) {
    return trim(description.substr(0, description.find(',')));
}

WaypointRow waypoint(std::string name, std::string type, std::string frequency,
                     const GeoPoint& position, std::string ident) {
    WaypointRow row;
    row.name = std::move(name);
    row.type = std::move(type);
    row.frequency = std::move(frequency);
    auto lat = waypointLatitudeText(position.lat);
    auto lon = waypointLongitudeText(position.lon);
    row.lat = std::move(lat.text);
    row.ns = lat.flag;
    row.lon = std::move(lon.text);
    row.we = lon.flag;
    row.ident = std::move(ident);
    return row;
}

void sortByIdent(std::vector<WaypointRow>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const WaypointRow& a, const WaypointRow& b) {
        return std::tie(a.ident, a.name) < std::tie(b.ident, b.name);
    });
}

}  // namespace

MergedStations mergeStations(const StationInputs& in) {
    const auto nsd = indexById(in.nsd);
    const auto awc = indexById(in.awc);
    const auto weatherUtil = indexById(in.weatherUtil);
    const Countries countries(in.countries);

    // One airport per code and kind of code, the first in file order; closed fields are not
    // where today's reports come from.
    std::unordered_map<std::string, std::size_t> byIdent, byIcao, byGps;
    for (std::size_t i = 0; i < in.airports.size(); ++i) {
        const auto& a = in.airports[i];
        if (a.type == "closed") {
            continue;
        }
        byIdent.emplace(a.ident, i);
        if (!a.icaoCode.empty()) {
            byIcao.emplace(a.icaoCode, i);
        }
        if (!a.gpsCode.empty()) {
            byGps.emplace(a.gpsCode, i);
        }
    }

    std::set<std::string> ids;
    for (const auto* list : {&in.nsd, &in.awc, &in.weatherUtil}) {
        for (const auto& row : *list) {
            ids.insert(row.id);
        }
    }

    MergedStations out;
    for (const auto& id : ids) {
        const StationRecord* n = find(nsd, id);
        const StationRecord* s = find(awc, id);
        const StationRecord* w = find(weatherUtil, id);

        std::optional<GeoPoint> listed;
        for (const auto* r : {n, s, w}) {
            if (r != nullptr && r->position) {
                listed = r->position;
                break;
            }
        }

        const AirportRecord* airport = nullptr;
        std::size_t airportIndex = 0;
        for (const auto* index : {&byIdent, &byIcao, &byGps}) {
            const auto it = index->find(id);
            if (it == index->end()) {
                continue;
            }
            const auto& candidate = in.airports[it->second];
            if (!listed || distanceKm(*listed, candidate.position) <= kMaxStationAirportKm) {
                airport = &candidate;
                airportIndex = it->second;
                break;
            }
        }

        if (airport == nullptr && !listed) {
            ++out.unplaced;
            continue;
        }
        const GeoPoint position = airport != nullptr ? airport->position : *listed;

        StationRow row;
        row.id = id;
        row.latitude = stationLatitudeText(position.lat);
        row.longitude = stationLongitudeText(position.lon);

        if (airport != nullptr) {
            row.name = airport->name;
        } else if (n != nullptr && !n->name.empty()) {
            row.name = titleCaseIfCapitals(n->name);
        } else if (s != nullptr && !s->name.empty()) {
            row.name = titleCaseIfCapitals(s->name);
        } else if (w != nullptr && !w->name.empty() && w->name.rfind("unknown station", 0) != 0) {
            row.name = titleCaseIfCapitals(firstPart(w->name));
        }
        if (row.name.empty()) {
            row.name = id;
        }

        // The station's own height is the one its pressure readings refer to.
        std::optional<double> elevation;
        for (const auto* r : {n, s}) {
            if (r != nullptr && r->elevationM) {
                elevation = r->elevationM;
                break;
            }
        }
        if (!elevation && airport != nullptr && airport->elevationFt) {
            elevation = *airport->elevationFt * 0.3048;
        }
        row.altitudeM = std::round(elevation.value_or(0.0));

        if (airport != nullptr) {
            const std::size_t dash = airport->isoRegion.find('-');
            const std::string region =
                dash == std::string::npos ? std::string() : airport->isoRegion.substr(dash + 1);
            if (region != "U-A") {  // OurAirports' "unassigned"
                row.stateCode = region;
            }
        }
        for (const auto* r : {n, s}) {
            if (row.stateCode.empty() && r != nullptr) {
                row.stateCode = r->state;
            }
        }

        if (airport != nullptr) {
            row.country = countries.nameOfCode(airport->isoCountry);
        }
        if (row.country.empty() && n != nullptr) {
            row.country = countries.nameOf(n->country);
        }
        if (row.country.empty() && s != nullptr) {
            row.country = countries.nameOfCode(s->country);
        }
        if (row.country.empty() && w != nullptr) {
            row.country = countries.nameOf(std::string(lastPart(w->name)));
        }
        if (row.country.empty() && n != nullptr) {
            row.country = n->country;  // a name no longer in use, e.g. "Yugoslavia"
        }

        if (airport != nullptr) {
            out.airportStation.emplace(airportIndex, id);
        }
        out.rows.push_back(std::move(row));
    }

    // Rows under the three-letter codes of the SA format, copies of their station's row.
    std::map<std::string, StationRow> shortRows;
    std::set<std::string> clashing;
    for (const auto& row : out.rows) {
        const StationRecord* s = find(awc, row.id);
        // The SA format was North America's (the United States and Canada).
        if (s == nullptr || s->shortId.empty() || ids.count(s->shortId) != 0 ||
            (s->country != "US" && s->country != "CA")) {
            continue;
        }
        StationRow alias = row;
        alias.id = s->shortId;
        alias.celsius = false;
        if (!shortRows.emplace(alias.id, std::move(alias)).second) {
            clashing.insert(s->shortId);  // two stations claim the code: neither gets it
        }
    }
    for (const auto& code : clashing) {
        shortRows.erase(code);
    }
    out.shortIds = static_cast<int>(shortRows.size());
    for (auto& [code, row] : shortRows) {
        out.rows.push_back(std::move(row));
    }
    std::sort(out.rows.begin(), out.rows.end(),
              [](const StationRow& a, const StationRow& b) { return a.id < b.id; });
    return out;
}

std::vector<WaypointRow> selectAirports(const std::vector<AirportRecord>& airports,
                                        const std::map<std::size_t, std::string>& airportStation) {
    std::vector<WaypointRow> rows;
    for (std::size_t i = 0; i < airports.size(); ++i) {
        const auto& a = airports[i];
        const auto station = airportStation.find(i);
        const bool major = a.type == "large_airport" || a.type == "medium_airport";
        if (a.type == "closed" || (!major && station == airportStation.end())) {
            continue;
        }
        // Pilots file and look up airports by the code their reports come under.
        std::string ident = station != airportStation.end() ? station->second
                            : !a.icaoCode.empty()           ? a.icaoCode
                                                            : a.ident;
        WaypointRow row = waypoint(a.name, "A", "", a.position, std::move(ident));
        row.city = a.municipality;
        row.rank = 2 * (a.type == "large_airport"    ? 3
                        : a.type == "medium_airport" ? 2
                                                     : 1) +
                   (a.scheduled ? 1 : 0);
        for (const std::string* code : {&a.ident, &a.icaoCode, &a.gpsCode, &a.iataCode}) {
            if (!code->empty() && *code != row.ident &&
                std::find(row.codes.begin(), row.codes.end(), *code) == row.codes.end()) {
                row.codes.push_back(*code);
            }
        }
        rows.push_back(std::move(row));
    }
    sortByIdent(rows);
    return rows;
}

NavaidRows selectNavaids(const std::vector<NavaidRecord>& navaids) {
    NavaidRows out;
    for (const auto& n : navaids) {
        const bool vor = n.type == "VOR" || n.type == "VOR-DME" || n.type == "VORTAC";
        const bool ndb = n.type == "NDB" || n.type == "NDB-DME";
        if (!vor && !ndb) {
            continue;  // TACAN and DME: military or distance only, nothing to tune a needle to
        }
        const auto frequency = !n.frequencyKhz ? std::nullopt
                               : vor           ? vorFrequency(*n.frequencyKhz)
                                               : ndbFrequency(*n.frequencyKhz);
        if (!frequency) {
            ++out.badFrequencies;
            continue;
        }
        (vor ? out.vors : out.ndbs)
            .push_back(waypoint(n.name, vor ? "V" : "N", *frequency, n.position, n.ident));
    }
    sortByIdent(out.vors);
    sortByIdent(out.ndbs);
    return out;
}

namespace {

bool isNamedFix(std::string_view ident) {
    if (ident.size() < 2 || ident.size() > 5) {
        return false;
    }
    return std::all_of(ident.begin(), ident.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

// FNV-1a over the ident and the position in micro-degrees: a fixed shuffle within a cell.
std::uint64_t fixKey(const FixRecord& fix) {
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](std::uint64_t byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (const char c : fix.ident) {
        add(static_cast<unsigned char>(c));
    }
    for (const double v : {fix.position.lat, fix.position.lon}) {
        const auto micro = static_cast<std::uint64_t>(std::llround(v * 1e6));
        for (int shift = 0; shift < 64; shift += 8) {
            add((micro >> shift) & 0xFF);
        }
    }
    return hash;
}

}  // namespace

std::vector<WaypointRow> selectFixes(const std::vector<FixRecord>& fixes, int count) {
    if (count <= 0) {
        return {};
    }
    constexpr int kCellDegrees = 5;
    constexpr int kColumns = 360 / kCellDegrees;
    constexpr int kRows = 180 / kCellDegrees;
    std::vector<std::vector<std::pair<std::uint64_t, const FixRecord*>>> cells(kRows * kColumns);

    std::set<std::tuple<std::string, long long, long long>> seen;
    for (const auto& fix : fixes) {
        if (!isNamedFix(fix.ident)) {
            continue;
        }
        // The same fix listed twice (shared by two regions' procedures).
        if (!seen.emplace(fix.ident, std::llround(fix.position.lat * 1e4),
                          std::llround(fix.position.lon * 1e4))
                 .second) {
            continue;
        }
        const int row = std::clamp(
            static_cast<int>(std::floor((fix.position.lat + 90.0) / kCellDegrees)), 0, kRows - 1);
        const int column =
            std::clamp(static_cast<int>(std::floor((fix.position.lon + 180.0) / kCellDegrees)), 0,
                       kColumns - 1);
        cells[static_cast<std::size_t>(row * kColumns + column)].emplace_back(fixKey(fix), &fix);
    }
    for (auto& cell : cells) {
        std::sort(cell.begin(), cell.end(), [](const auto& a, const auto& b) {
            if (a.first != b.first) {
                return a.first < b.first;
            }
            return a.second->ident < b.second->ident;
        });
    }

    std::vector<const FixRecord*> chosen;
    for (std::size_t round = 0; static_cast<int>(chosen.size()) < count; ++round) {
        bool any = false;
        for (const auto& cell : cells) {
            if (round < cell.size()) {
                chosen.push_back(cell[round].second);
                any = true;
                if (static_cast<int>(chosen.size()) == count) {
                    break;
                }
            }
        }
        if (!any) {
            break;
        }
    }

    std::vector<WaypointRow> rows;
    rows.reserve(chosen.size());
    for (const auto* fix : chosen) {
        rows.push_back(waypoint(fix->ident, "W", "", fix->position, fix->ident));
    }
    std::stable_sort(rows.begin(), rows.end(), [](const WaypointRow& a, const WaypointRow& b) {
        return std::tie(a.ident, a.lat, a.ns, a.lon, a.we) <
               std::tie(b.ident, b.lat, b.ns, b.lon, b.we);
    });
    return rows;
}

}  // namespace zephyra::weather::import
