#include "weather/import/Sources.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <unordered_map>

#include "weather/import/TextInput.h"

namespace zephyra::weather::import {

namespace {

bool validPosition(double lat, double lon) {
    return lat >= -90.0 && lat <= 90.0 && lon >= -180.0 && lon <= 180.0;
}

// Looks up every named column; names the first that is missing.
bool findColumns(const CsvTable& table, std::initializer_list<std::pair<const char*, int*>> wanted,
                 const char* file, std::string* error) {
    for (const auto& [name, index] : wanted) {
        *index = table.column(name);
        if (*index < 0) {
            if (error != nullptr) {
                *error = std::string(file) + " has no column \"" + name + "\".";
            }
            return false;
        }
    }
    return true;
}

// Decimal degrees; false when either is missing or out of range.
bool readPosition(std::string_view lat, std::string_view lon, GeoPoint& out) {
    const auto la = parseNumber(trim(lat));
    const auto lo = parseNumber(trim(lon));
    if (!la || !lo) {
        return false;
    }
    out = GeoPoint{*la, *lo};
    return validPosition(out.lat, out.lon);
}

// Degrees and minutes as the station lists write them; false when either cannot be read.
bool readListedPosition(std::string_view lat, std::string_view lon, GeoPoint& out) {
    const auto la = parseDegreesMinutes(lat);
    const auto lo = parseDegreesMinutes(lon);
    if (!la || !lo) {
        return false;
    }
    out = GeoPoint{*la, *lo};
    return validPosition(out.lat, out.lon);
}

// Splits text at any of the separators, dropping empty pieces.
std::vector<std::string_view> split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find_first_of(separators, start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (stop > start) {
            parts.push_back(text.substr(start, stop - start));
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    return parts;
}

std::vector<std::string_view> lines(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        out.push_back(line);
        start = end + 1;
    }
    return out;
}

bool isDigits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool isStationId(std::string_view id) {
    if (id.size() != 4 || !std::isupper(static_cast<unsigned char>(id[0]))) {
        return false;
    }
    for (std::size_t i = 1; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(id[i]);
        if (!std::isupper(c) && !std::isdigit(c)) {
            return false;
        }
    }
    return true;
}

std::optional<double> parseDegreesMinutes(std::string_view text) {
    text = trim(text);
    if (text.empty()) {
        return std::nullopt;
    }
    int sign = 0;
    switch (std::toupper(static_cast<unsigned char>(text.back()))) {
        case 'N':
        case 'E':
            sign = 1;
            break;
        case 'S':
        case 'W':
            sign = -1;
            break;
        default:
            break;
    }
    if (sign != 0) {
        text.remove_suffix(1);
    }
    const auto parts = split(text, " -");
    if (parts.size() < 2 || parts.size() > 3) {
        return std::nullopt;
    }
    double value = 0.0;
    double scale = 1.0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!isDigits(parts[i])) {
            return std::nullopt;
        }
        const double part = *parseNumber(parts[i]);
        // 60 appears where a source rounded 59.6 up without carrying; anything more is
        // a broken value (decimal degrees in the minutes column, for instance).
        if (i > 0 && part > 60.0) {
            return std::nullopt;
        }
        value += part / scale;
        scale *= 60.0;
    }
    if (sign == 0) {
        // nsd_cccc.txt writes the prime meridian as "000-00" without a letter.
        if (value != 0.0) {
            return std::nullopt;
        }
        sign = 1;
    }
    return sign * value;
}

namespace {

// A name without blanks, commas or semicolons at either end.
std::string cleanName(std::string_view name) {
    const auto b = name.find_first_not_of(" \t,;");
    if (b == std::string_view::npos) {
        return {};
    }
    return std::string(name.substr(b, name.find_last_not_of(" \t,;") - b + 1));
}

}  // namespace

bool parseAirports(std::string_view text, Parsed<AirportRecord>& out, std::string* error) {
    CsvTable table(text);
    int ident, type, name, lat, lon, elevation, country, region, icao, gps;
    if (!findColumns(table,
                     {{"ident", &ident},
                      {"type", &type},
                      {"name", &name},
                      {"latitude_deg", &lat},
                      {"longitude_deg", &lon},
                      {"elevation_ft", &elevation},
                      {"iso_country", &country},
                      {"iso_region", &region},
                      {"icao_code", &icao},
                      {"gps_code", &gps}},
                     "airports.csv", error)) {
        return false;
    }
    const int iata = table.column("iata_code");
    const int city = table.column("municipality");
    const int scheduled = table.column("scheduled_service");
    int bad = 0;
    while (table.next()) {
        AirportRecord a;
        a.ident = trim(table.field(ident));
        a.name = cleanName(table.field(name));
        if (a.ident.empty() || a.name.empty() ||
            !readPosition(table.field(lat), table.field(lon), a.position)) {
            ++bad;
            continue;
        }
        a.type = trim(table.field(type));
        a.isoCountry = trim(table.field(country));
        a.isoRegion = trim(table.field(region));
        a.icaoCode = trim(table.field(icao));
        a.gpsCode = trim(table.field(gps));
        if (iata >= 0) {
            a.iataCode = trim(table.field(iata));
        }
        if (scheduled >= 0) {
            a.scheduled = trim(table.field(scheduled)) == "yes";
        }
        if (city >= 0) {
            a.municipality = cleanName(table.field(city));
        }
        a.elevationFt = parseNumber(trim(table.field(elevation)));
        out.rows.push_back(std::move(a));
    }
    out.malformed += table.malformed() + bad;
    return true;
}

bool parseNavaids(std::string_view text, Parsed<NavaidRecord>& out, std::string* error) {
    CsvTable table(text);
    int ident, name, type, frequency, lat, lon;
    if (!findColumns(table,
                     {{"ident", &ident},
                      {"name", &name},
                      {"type", &type},
                      {"frequency_khz", &frequency},
                      {"latitude_deg", &lat},
                      {"longitude_deg", &lon}},
                     "navaids.csv", error)) {
        return false;
    }
    int bad = 0;
    while (table.next()) {
        NavaidRecord n;
        n.ident = trim(table.field(ident));
        if (n.ident.empty() || !readPosition(table.field(lat), table.field(lon), n.position)) {
            ++bad;
            continue;
        }
        n.name = trim(table.field(name));
        n.type = trim(table.field(type));
        n.frequencyKhz = parseNumber(trim(table.field(frequency)));
        out.rows.push_back(std::move(n));
    }
    out.malformed += table.malformed() + bad;
    return true;
}

bool parseCountries(std::string_view text, std::map<std::string, std::string>& out, int& malformed,
                    std::string* error) {
    CsvTable table(text);
    int code, name;
    if (!findColumns(table, {{"code", &code}, {"name", &name}}, "countries.csv", error)) {
        return false;
    }
    int bad = 0;
    while (table.next()) {
        const std::string c(trim(table.field(code)));
        const std::string n(trim(table.field(name)));
        if (c.empty() || n.empty()) {
            ++bad;
            continue;
        }
        out.emplace(c, n);
    }
    malformed += table.malformed() + bad;
    return true;
}

Parsed<StationRecord> parseAwcStations(std::string_view text) {
    Parsed<StationRecord> out;
    std::unordered_map<std::string, std::size_t> seen;
    std::vector<bool> reportsMetar;
    for (const auto line : lines(text)) {
        // Comments, section titles ("ALASKA  14-DEC-20") and repeated column headings.
        if (line.empty() || line.front() == '!' || trim(line).size() < 40 ||
            line.substr(0, 11) == "CD  STATION") {
            continue;
        }
        const std::string_view id = trim(line.substr(20, 4));
        if (id.empty()) {
            continue;  // profilers and radars without an ICAO id
        }
        GeoPoint position;
        if (!isStationId(id) || line.size() < 54 ||
            !readListedPosition(line.substr(39, 6), line.substr(47, 7), position)) {
            ++out.malformed;
            continue;
        }
        StationRecord s;
        s.id = id;
        s.name = toUtf8(trim(line.substr(3, 16)));
        s.state = trim(line.substr(0, 2));
        s.position = position;
        if (line.size() >= 59) {
            s.elevationM = parseNumber(trim(line.substr(55, 4)));
        }
        if (line.size() >= 83) {
            s.country = trim(line.substr(81, 2));
        }
        if (line.size() >= 29) {
            const std::string_view code = trim(line.substr(26, 3));
            if (code.size() == 3 && std::all_of(code.begin(), code.end(), [](char c) {
                    return std::isupper(static_cast<unsigned char>(c)) != 0;
                })) {
                s.shortId = code;
            }
        }
        const bool metar = line.size() > 62 && line[62] == 'X';
        // Some ids appear twice (a radar office beside the weather station); the line flagged
        // as a METAR station wins, else the first.
        const auto [it, inserted] = seen.emplace(s.id, out.rows.size());
        if (inserted) {
            out.rows.push_back(std::move(s));
            reportsMetar.push_back(metar);
        } else if (metar && !reportsMetar[it->second]) {
            out.rows[it->second] = std::move(s);
            reportsMetar[it->second] = true;
        }
    }
    return out;
}

Parsed<StationRecord> parseNsdStations(std::string_view text) {
    Parsed<StationRecord> out;
    for (const auto line : lines(text)) {
        if (trim(line).empty()) {
            continue;
        }
        std::vector<std::string_view> fields;
        std::size_t start = 0;
        while (true) {
            const std::size_t end = line.find(';', start);
            fields.push_back(trim(line.substr(
                start, end == std::string_view::npos ? std::string_view::npos : end - start)));
            if (end == std::string_view::npos) {
                break;
            }
            start = end + 1;
        }
        if (fields.size() < 9 || !isStationId(fields[0])) {
            ++out.malformed;
            continue;
        }
        StationRecord s;
        s.id = fields[0];
        s.name = toUtf8(fields[3]);
        s.state = fields[4];
        s.country = toUtf8(fields[5]);
        if (!fields[7].empty() || !fields[8].empty()) {
            GeoPoint position;
            if (!readListedPosition(fields[7], fields[8], position)) {
                ++out.malformed;
                continue;
            }
            s.position = position;
        }
        if (fields.size() > 11) {
            s.elevationM = parseNumber(fields[11]);
        }
        out.rows.push_back(std::move(s));
    }
    return out;
}

Parsed<StationRecord> parseWeatherUtilStations(std::string_view text) {
    Parsed<StationRecord> out;
    StationRecord current;
    bool inSection = false;
    bool currentBad = false;
    auto finish = [&] {
        if (inSection) {
            if (currentBad) {
                ++out.malformed;
            } else {
                out.rows.push_back(std::move(current));
            }
        }
        current = StationRecord{};
        inSection = false;
        currentBad = false;
    };
    for (const auto raw : lines(text)) {
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            finish();
            std::string id(line.substr(1, line.size() - 2));
            for (auto& c : id) {
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            }
            inSection = true;
            currentBad = !isStationId(id);
            current.id = std::move(id);
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!inSection || eq == std::string_view::npos) {
            continue;
        }
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "description") {
            current.name = toUtf8(value);
        } else if (key == "location" && value != "None") {
            // "(lat, lon)" in radians.
            constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;
            const auto parts = split(value, "(), ");
            GeoPoint position;
            if (parts.size() != 2 || !readPosition(parts[0], parts[1], position)) {
                currentBad = true;
                continue;
            }
            position.lat *= kDegreesPerRadian;
            position.lon *= kDegreesPerRadian;
            if (!validPosition(position.lat, position.lon)) {
                currentBad = true;
                continue;
            }
            current.position = position;
        }
    }
    finish();
    return out;
}

Parsed<FixRecord> parseFixes(std::string_view text) {
    Parsed<FixRecord> out;
    const auto all = lines(text);
    // Two header lines (origin letter, then version and copyright), then "lat lon ident ..."
    // rows up to "99".
    for (std::size_t i = 2; i < all.size(); ++i) {
        const std::string_view line = trim(all[i]);
        if (line.empty()) {
            continue;
        }
        if (line == "99") {
            break;
        }
        const auto parts = split(line, " \t");
        GeoPoint position;
        if (parts.size() < 3 || !readPosition(parts[0], parts[1], position)) {
            ++out.malformed;
            continue;
        }
        out.rows.push_back(FixRecord{std::string(parts[2]), position});
    }
    return out;
}

}  // namespace zephyra::weather::import
