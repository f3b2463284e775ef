#include "weather/GribAloft.h"
#include "weather/WindVector.h"

#include <eccodes.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>

namespace zephyra::weather {

namespace {

// Limits on what a file may ask of memory: a global 0.25-degree GFS grid has about a million
// points, the Gaussian grid of its surface fields 4.7 million.
constexpr std::size_t kMaxMessages = 100000;
constexpr std::uint64_t kMaxMessageBytes = std::uint64_t{1} << 30;
constexpr std::size_t kMaxPoints = 20'000'000;
constexpr std::size_t kMaxValues = 64'000'000;  // of all fields kept, 256 MB as floats
constexpr long kMaxGaussianN = 4000;  // rows a hemisphere (GFS has 768); their latitudes take
                                      // time of the order of N squared
constexpr double kMissing = 1e30;     // ecCodes' value for points without data
constexpr double kKnotsPerMeterPerSecond = 1.943844;
constexpr double kFeetPerMeter = 1 / 0.3048;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// ecCodes reports its troubles on stderr; the reader says what went wrong itself.
void quiet(const codes_context*, int, const char*) {}

codes_context* context() {
    static codes_context* const c = [] {
        codes_context* made = codes_context_get_default();
        codes_context_set_logging_proc(made, quiet);
        return made;
    }();
    return c;
}

struct HandleDeleter {
    void operator()(codes_handle* h) const { codes_handle_delete(h); }
};
using Handle = std::unique_ptr<codes_handle, HandleDeleter>;

std::string text(codes_handle* h, const char* key) {
    char value[128] = {};
    std::size_t length = sizeof value;
    if (codes_get_string(h, key, value, &length) != CODES_SUCCESS) {
        return {};
    }
    return value;
}

std::optional<long> whole(codes_handle* h, const char* key) {
    long value = 0;
    if (codes_get_long(h, key, &value) != CODES_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> real(codes_handle* h, const char* key) {
    double value = 0;
    if (codes_get_double(h, key, &value) != CODES_SUCCESS || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// YYYYMMDD and HHMM as seconds since 1970; nothing for a date that is none.
std::optional<std::int64_t> unixTime(long date, long time) {
    const long year = date / 10000, month = date / 100 % 100, day = date % 100;
    const long hour = time / 100, minute = time % 100;
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 24 ||
        minute < 0 || minute > 59) {
        return std::nullopt;
    }
    return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
           hour * 3600 + minute * 60;
}

// Reads a file's messages one after another, each checked whole before ecCodes sees it.
class MessageReader {
  public:
    explicit MessageReader(const std::string& path) : in_(path, std::ios::binary) {}
    bool isOpen() const { return in_.is_open(); }

    // The next message into bytes; false at the end of the file or (with error set) on a
    // message that is cut or damaged. Bytes between messages are passed over.
    bool next(std::vector<unsigned char>& bytes, std::size_t number, std::string* error) {
        static constexpr char kMagic[] = "GRIB";
        std::size_t matched = 0;
        while (matched < 4) {
            const int c = in_.get();
            if (c == std::char_traits<char>::eof()) {
                return false;
            }
            matched = c == kMagic[matched] ? matched + 1 : (c == 'G' ? 1 : 0);
        }
        const auto start = static_cast<std::uint64_t>(in_.tellg()) - 4;
        unsigned char head[16] = {'G', 'R', 'I', 'B'};
        in_.read(reinterpret_cast<char*>(head + 4), 12);
        const std::string where =
            "message " + std::to_string(number) + " (at byte " + std::to_string(start) + ")";
        if (in_.gcount() < 12) {
            *error = "the file is cut short: " + where + " ends in its header";
            return false;
        }
        if (head[7] == 1) {
            *error = "the file is GRIB edition 1; only GRIB2 is read";
            return false;
        }
        if (head[7] != 2) {
            *error = where + " is not GRIB: its edition is " + std::to_string(head[7]);
            return false;
        }
        std::uint64_t length = 0;
        for (int i = 8; i < 16; ++i) {
            length = length << 8 | head[i];
        }
        if (length < 16 + 4 || length > kMaxMessageBytes) {
            *error = where + " gives an impossible length of " + std::to_string(length) + " bytes";
            return false;
        }
        bytes.resize(static_cast<std::size_t>(length));
        std::copy(head, head + 16, bytes.begin());
        in_.read(reinterpret_cast<char*>(bytes.data() + 16),
                 static_cast<std::streamsize>(length - 16));
        if (static_cast<std::uint64_t>(in_.gcount()) < length - 16) {
            *error = "the file is cut short: " + where + " should have " + std::to_string(length) +
                     " bytes, the file ends " + std::to_string(16 + in_.gcount()) +
                     " bytes into it";
            return false;
        }
        if (std::string_view(reinterpret_cast<const char*>(bytes.data() + length - 4), 4) !=
            "7777") {
            *error = where + " is damaged: it does not end in 7777";
            return false;
        }
        return true;
    }

  private:
    std::ifstream in_;
};

// How a message lays out its values: where the value of a row and column of the grid's order
// (south to north, west to east) is in the file's.
struct Scanning {
    std::size_t rows = 0, columns = 0;
    bool westward = false, northward = false, byColumn = false;
    std::size_t fileIndex(std::size_t row, std::size_t column) const {
        const std::size_t r = northward ? row : rows - 1 - row;
        const std::size_t c = westward ? columns - 1 - column : column;
        return byColumn ? c * rows + r : r * columns + c;
    }
};

// The grid of a message and how it scans it.
bool readGrid(codes_handle* h, GribGrid& grid, Scanning& scanning, std::string* why) {
    grid.type = text(h, "gridType");
    if (grid.type != "regular_ll" && grid.type != "regular_gg") {
        *why = "is on a grid of type \"" + grid.type +
               "\"; only regular latitude/longitude and Gaussian grids are read";
        return false;
    }
    const auto ni = whole(h, "Ni"), nj = whole(h, "Nj");
    const auto lat1 = real(h, "latitudeOfFirstGridPointInDegrees");
    const auto lat2 = real(h, "latitudeOfLastGridPointInDegrees");
    const auto lon1 = real(h, "longitudeOfFirstGridPointInDegrees");
    const auto lon2 = real(h, "longitudeOfLastGridPointInDegrees");
    if (!ni || !nj || !lat1 || !lat2 || !lon1 || !lon2) {
        *why = "has no complete grid description";
        return false;
    }
    if (*ni < 1 || *nj < 1 ||
        static_cast<std::uint64_t>(*ni) * static_cast<std::uint64_t>(*nj) > kMaxPoints) {
        *why = "has a grid of " + std::to_string(*ni) + " x " + std::to_string(*nj) +
               " points (at most " + std::to_string(kMaxPoints) + " are read)";
        return false;
    }
    if (whole(h, "alternativeRowScanning").value_or(0) != 0) {
        *why = "scans its rows alternately, which is not read";
        return false;
    }
    const auto columns = static_cast<std::size_t>(*ni), rows = static_cast<std::size_t>(*nj);
    const bool westward = whole(h, "iScansNegatively").value_or(0) != 0;
    const bool northward = whole(h, "jScansPositively").value_or(0) != 0;
    const bool byColumn = whole(h, "jPointsAreConsecutive").value_or(0) != 0;

    grid.latitudes.resize(rows);
    if (grid.type == "regular_gg") {
        // The grid's rows are those of the global Gaussian grid of N rows a hemisphere that
        // lie between its first and last latitudes.
        const auto n = whole(h, "N");
        std::vector<double> global;
        if (n && *n >= 1 && *n <= kMaxGaussianN) {
            global.resize(static_cast<std::size_t>(*n) * 2);
            if (codes_get_gaussian_latitudes(*n, global.data()) != CODES_SUCCESS) {
                global.clear();
            }
        }
        const double south = std::min(*lat1, *lat2) - 1e-4, north = std::max(*lat1, *lat2) + 1e-4;
        grid.latitudes.clear();
        for (auto l = global.rbegin(); l != global.rend(); ++l) {
            if (*l >= south && *l <= north) {
                grid.latitudes.push_back(*l);
            }
        }
        if (grid.latitudes.size() != rows) {
            *why = "has a Gaussian grid whose rows cannot be placed";
            return false;
        }
    } else {
        if (rows > 1 && *lat1 == *lat2) {
            *why = "has a grid whose first and last latitudes are the same";
            return false;
        }
        const double south = std::min(*lat1, *lat2);
        const double step = rows > 1 ? std::abs(*lat2 - *lat1) / static_cast<double>(rows - 1) : 0;
        for (std::size_t r = 0; r < rows; ++r) {
            grid.latitudes[r] = south + step * static_cast<double>(r);
        }
    }
    if (grid.latitudes.front() < -90.001 || grid.latitudes.back() > 90.001) {
        *why = "has latitudes beyond the poles";
        return false;
    }

    double span = std::fmod(westward ? *lon1 - *lon2 : *lon2 - *lon1, 360.0);
    if (span < 0) {
        span += 360.0;
    }
    if (columns > 1 && span <= 0) {
        *why = "has a grid whose first and last longitudes are the same";
        return false;
    }
    const double step = columns > 1 ? span / static_cast<double>(columns - 1) : 0;
    const double west = westward ? *lon2 : *lon1;
    grid.longitudes.resize(columns);
    for (std::size_t c = 0; c < columns; ++c) {
        grid.longitudes[c] = west + step * static_cast<double>(c);
    }
    grid.wraps = columns > 1 && std::abs(step * static_cast<double>(columns) - 360.0) < step * 1e-3;

    scanning = {rows, columns, westward, northward, byColumn};
    return true;
}

std::string levelText(const GribMessageKey& key) {
    char number[32];
    std::snprintf(number, sizeof number, "%g", key.level);
    if (key.levelType == "isobaricInhPa") {
        return key.shortName + " at " + number + " hPa";
    }
    if (key.levelType == "isobaricInPa") {
        return key.shortName + " at " + number + " Pa";
    }
    return key.shortName + " (" + key.levelType + " " + number + ")";
}

// "0.25", "1", "0.117"
std::string degrees(double value) {
    char number[32];
    std::snprintf(number, sizeof number, "%.3f", value);
    std::string out = number;
    while (!out.empty() && out.back() == '0') {
        out.pop_back();
    }
    if (!out.empty() && out.back() == '.') {
        out.pop_back();
    }
    return out;
}

// One pressure level of the forecast: values in the grid's order.
struct Level {
    double hectopascals = 0;
    double standardFeet = 0;  // the standard atmosphere's altitude of the pressure
    std::vector<float> u, v, t;
    std::vector<float> feet;  // from the geopotential height; empty without one
};

// Winds and temperatures on pressure levels over one grid. Between grid points bilinear, wind
// as U/V components; between levels linear in altitude. A level's altitude at a point is its
// geopotential height there when the file gives one for every level, else the standard
// atmosphere's altitude of its pressure. Below the lowest level the lowest level's values
// hold and above the highest the highest's: the forecast says nothing nearer.
class GribAloftField : public AloftData {
  public:
    GribAloftField(GribGrid grid, std::vector<Level> levels, std::string name, std::int64_t valid)
        : grid_(std::move(grid)),
          levels_(std::move(levels)),
          name_(std::move(name)),
          valid_(valid),
          west_(grid_.longitudes.front()),
          step_(grid_.longitudes.size() > 1 ? grid_.longitudes[1] - grid_.longitudes[0] : 0) {
        // A grid round the whole earth whose end rows lie within a row's spacing of a pole
        // (a Gaussian grid's do) stretches them to the pole.
        const auto& lats = grid_.latitudes;
        southmost_ = lats.front();
        northmost_ = lats.back();
        if (grid_.wraps && lats.size() > 1) {
            if (lats.front() + 90 <= lats[1] - lats.front()) {
                southmost_ = -90;
            }
            if (90 - lats.back() <= lats.back() - lats[lats.size() - 2]) {
                northmost_ = 90;
            }
        }
    }

    std::optional<AloftSample> at(double latitude, double longitude,
                                  double altitudeFeet) const override {
        Corners c;
        if (!locate(latitude, longitude, c)) {
            return std::nullopt;
        }
        const auto blend = [&c](const std::vector<float>& f) {
            return c.w[0] * f[c.i[0]] + c.w[1] * f[c.i[1]] + c.w[2] * f[c.i[2]] +
                   c.w[3] * f[c.i[3]];
        };
        constexpr double nan = std::numeric_limits<double>::quiet_NaN();
        bool have = false;
        double alt0 = 0, u0 = 0, v0 = 0, t0 = nan;
        double u = 0, v = 0, t = nan;
        bool found = false;
        for (const Level& level : levels_) {
            const double alt = level.feet.empty() ? level.standardFeet : blend(level.feet);
            const double lu = blend(level.u), lv = blend(level.v);
            const double lt = level.t.empty() ? nan : blend(level.t);
            if (std::isnan(alt) || std::isnan(lu) || std::isnan(lv)) {
                continue;  // no data at this point on this level
            }
            if (alt >= altitudeFeet) {
                if (!have || alt <= alt0) {
                    u = lu, v = lv, t = lt;
                } else {
                    const double f = (altitudeFeet - alt0) / (alt - alt0);
                    u = u0 + f * (lu - u0);
                    v = v0 + f * (lv - v0);
                    t = t0 + f * (lt - t0);
                }
                found = true;
                break;
            }
            have = true;
            alt0 = alt, u0 = lu, v0 = lv, t0 = lt;
        }
        if (!found) {
            if (!have) {
                return std::nullopt;
            }
            u = u0, v = v0, t = t0;
        }
        AloftSample s;
        const WindVector wind{u * kKnotsPerMeterPerSecond, v * kKnotsPerMeterPerSecond};
        s.speedKnots = wind.knots();
        if (s.speedKnots >= 0.5) {
            s.direction = wind.from();
        }
        if (!std::isnan(t)) {
            s.temperature = t - 273.15;
        }
        s.source = name_;
        s.validTime = valid_;
        return s;
    }

    std::string name() const override { return name_; }
    std::int64_t validTime() const override { return valid_; }

  private:
    struct Corners {
        std::size_t i[4];
        double w[4];
    };

    bool locate(double latitude, double longitude, Corners& c) const {
        const auto& lats = grid_.latitudes;
        if (!std::isfinite(latitude) || !std::isfinite(longitude)) {
            return false;
        }
        std::size_t r0 = 0, r1 = 0;
        double fy = 0;
        if (latitude <= lats.front() || latitude >= lats.back()) {
            const bool south = latitude <= lats.front();
            const double edge = south ? lats.front() : lats.back();
            if (std::abs(latitude - edge) > 1e-9 &&
                (south ? latitude < southmost_ : latitude > northmost_)) {
                return false;
            }
            r0 = r1 = south ? 0 : lats.size() - 1;
        } else {
            r1 = static_cast<std::size_t>(std::upper_bound(lats.begin(), lats.end(), latitude) -
                                          lats.begin());
            r0 = r1 - 1;
            fy = (latitude - lats[r0]) / (lats[r1] - lats[r0]);
        }

        const std::size_t columns = grid_.longitudes.size();
        double d = std::fmod(longitude - west_, 360.0);
        if (d < 0) {
            d += 360.0;
        }
        std::size_t c0 = 0, c1 = 0;
        double fx = 0;
        if (columns == 1) {
            if (d > 1e-9 && d < 360.0 - 1e-9) {
                return false;
            }
        } else {
            const double x = d / step_;
            const auto last = static_cast<double>(columns - 1);
            if (x <= last) {
                c0 = std::min(static_cast<std::size_t>(x), columns - 2);
                c1 = c0 + 1;
                fx = x - static_cast<double>(c0);
            } else if (grid_.wraps) {
                c0 = columns - 1;
                c1 = 0;
                fx = x - last;
            } else if (360.0 - d < step_ * 1e-6) {
                c0 = 0, c1 = 1;  // just west of the first column by rounding
            } else {
                return false;
            }
        }
        c.i[0] = grid_.index(r0, c0);
        c.i[1] = grid_.index(r0, c1);
        c.i[2] = grid_.index(r1, c0);
        c.i[3] = grid_.index(r1, c1);
        c.w[0] = (1 - fy) * (1 - fx);
        c.w[1] = (1 - fy) * fx;
        c.w[2] = fy * (1 - fx);
        c.w[3] = fy * fx;
        return true;
    }

    GribGrid grid_;
    std::vector<Level> levels_;  // rising: from the highest pressure
    std::string name_;
    std::int64_t valid_ = 0;
    double west_ = 0;
    double step_ = 0;
    double southmost_ = 0, northmost_ = 0;  // the latitudes the field reaches
};

bool isPressureLevel(const GribMessageKey& key) {
    return key.levelType == "isobaricInhPa" || key.levelType == "isobaricInPa";
}

}  // namespace

double pressureAltitudeFeet(double hectopascals) {
    return 44330.77 * (1 - std::pow(hectopascals / 1013.25, 0.190263)) * kFeetPerMeter;
}

std::vector<GribField> readGribFields(const std::string& path, std::string* error,
                                      const std::function<bool(const GribMessageKey&)>& want) {
    std::string ignored;
    std::string& why = error != nullptr ? *error : ignored;
    why.clear();
    std::vector<GribField> fields;
    MessageReader reader(path);
    if (!reader.isOpen()) {
        why = "cannot read the file";
        return {};
    }
    std::vector<unsigned char> bytes;
    Scanning scanning;
    std::vector<double> values;
    std::size_t kept = 0;
    std::size_t number = 0;
    for (; reader.next(bytes, number + 1, &why); ++number) {
        const std::string where = "message " + std::to_string(number + 1);
        if (number + 1 > kMaxMessages) {
            why = "the file has more than " + std::to_string(kMaxMessages) + " messages";
            return {};
        }
        Handle h(codes_handle_new_from_message(context(), bytes.data(), bytes.size()));
        if (!h) {
            why = where + " cannot be decoded";
            return {};
        }
        GribField field;
        field.key.shortName = text(h.get(), "shortName");
        field.key.levelType = text(h.get(), "typeOfLevel");
        field.key.level = real(h.get(), "level").value_or(0);
        if (want && !want(field.key)) {
            continue;
        }
        const std::string what = where + " (" + levelText(field.key) + ")";
        if (!readGrid(h.get(), field.grid, scanning, &why)) {
            why = what + " " + why;
            return {};
        }
        // ecCodes works out the valid time for ever from a time unit it does not know.
        for (const char* key : {"indicatorOfUnitOfTimeRange", "indicatorOfUnitForTimeRange"}) {
            const long unit = whole(h.get(), key).value_or(1);
            if (unit < 0 || (unit > 7 && unit < 10) || unit > 13) {
                why = what + " gives its forecast time in an unknown unit (" +
                      std::to_string(unit) + ")";
                return {};
            }
        }
        const auto reference = unixTime(whole(h.get(), "dataDate").value_or(0),
                                        whole(h.get(), "dataTime").value_or(-1));
        const auto valid = unixTime(whole(h.get(), "validityDate").value_or(0),
                                    whole(h.get(), "validityTime").value_or(-1));
        if (!reference || !valid) {
            why = what + " has no valid date";
            return {};
        }
        field.referenceTime = *reference;
        field.validTime = *valid;
        field.centre = text(h.get(), "centre");

        const std::size_t points = field.grid.size();
        kept += points;
        if (kept > kMaxValues) {
            why = "the file holds more than " + std::to_string(kMaxValues) +
                  " grid values of the fields wanted; load a smaller region or fewer levels";
            return {};
        }
        std::size_t n = 0;
        if (codes_get_size(h.get(), "values", &n) != CODES_SUCCESS || n != points) {
            why = what + " has " + std::to_string(n) + " values for a grid of " +
                  std::to_string(points) + " points";
            return {};
        }
        values.resize(n);
        if (codes_set_double(h.get(), "missingValue", kMissing) != CODES_SUCCESS ||
            codes_get_double_array(h.get(), "values", values.data(), &n) != CODES_SUCCESS ||
            n != points) {
            why = what + " has values that cannot be decoded";
            return {};
        }
        field.values.resize(points);
        for (std::size_t r = 0, i = 0; r < scanning.rows; ++r) {
            for (std::size_t c = 0; c < scanning.columns; ++c, ++i) {
                const double v = values[scanning.fileIndex(r, c)];
                field.values[i] = v == kMissing || !std::isfinite(v) ? kNaN : static_cast<float>(v);
            }
        }
        fields.push_back(std::move(field));
    }
    if (!why.empty()) {
        return {};
    }
    if (number == 0) {
        why = "the file holds no GRIB message";
    }
    return fields;
}

std::shared_ptr<const AloftData> readGribAloft(const std::string& path, std::string* error) {
    std::string ignored;
    std::string& why = error != nullptr ? *error : ignored;
    static const char* const kWanted[] = {"u", "v", "t", "gh"};
    auto fields = readGribFields(path, &why, [](const GribMessageKey& key) {
        return isPressureLevel(key) && std::find(std::begin(kWanted), std::end(kWanted),
                                                 key.shortName) != std::end(kWanted);
    });
    if (!why.empty()) {
        return nullptr;
    }
    const auto noWind = [&why] {
        why = "the file has no wind on pressure levels (U and V at hPa levels, as in GFS output)";
        return nullptr;
    };
    if (fields.empty()) {
        return noWind();
    }

    const GribField& first = fields.front();
    std::map<double, Level, std::greater<>> byPressure;
    for (GribField& f : fields) {
        if (f.validTime != first.validTime || f.referenceTime != first.referenceTime) {
            why = "the file holds more than one forecast time (" + levelText(f.key) + " is " +
                  isoTime(f.validTime) + ", " + levelText(first.key) + " " +
                  isoTime(first.validTime) + "); keep one forecast time a file";
            return nullptr;
        }
        if (!(f.grid == first.grid)) {
            why = "the file has its fields on more than one grid (" + levelText(f.key) +
                  " is on another than " + levelText(first.key) + ")";
            return nullptr;
        }
        const double hPa = f.key.levelType == "isobaricInPa" ? f.key.level / 100 : f.key.level;
        if (!(hPa > 0)) {
            continue;
        }
        Level& level = byPressure[hPa];
        level.hectopascals = hPa;
        std::vector<float>& slot = f.key.shortName == "u"   ? level.u
                                   : f.key.shortName == "v" ? level.v
                                   : f.key.shortName == "t" ? level.t
                                                            : level.feet;
        if (slot.empty()) {  // a repeated field: the first one stands
            slot = std::move(f.values);
        }
    }
    std::vector<Level> levels;
    bool allHeights = true;
    for (auto& [hPa, level] : byPressure) {
        if (level.u.empty() || level.v.empty()) {
            continue;
        }
        level.standardFeet = pressureAltitudeFeet(hPa);
        allHeights = allHeights && !level.feet.empty();
        levels.push_back(std::move(level));
    }
    if (levels.empty()) {
        return noWind();
    }
    for (Level& level : levels) {
        if (!allHeights) {
            level.feet.clear();  // heights at some levels only would mix two altitude scales
        }
        for (float& h : level.feet) {
            h = static_cast<float>(h * kFeetPerMeter);
        }
    }

    std::string centre = first.centre;
    if (centre == "kwbc") {
        centre = "GFS";
    } else if (centre == "ecmf") {
        centre = "ECMWF";
    } else {
        std::transform(centre.begin(), centre.end(), centre.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    }
    const GribGrid& grid = first.grid;
    const double increment =
        grid.longitudes.size() > 1 ? grid.longitudes[1] - grid.longitudes[0] : 0;
    const std::string reference = isoTime(first.referenceTime);  // "2026-12-07T00:00:00Z"
    const std::int64_t minutes = (first.validTime - first.referenceTime) / 60;
    std::string name = (centre.empty() ? std::string("GRIB") : centre) + " " + degrees(increment) +
                       " deg " + reference.substr(0, 10) + " " + reference.substr(11, 2) + "Z +" +
                       (minutes % 60 == 0 ? std::to_string(minutes / 60) + " h"
                                          : std::to_string(minutes) + " min");
    return std::make_shared<GribAloftField>(first.grid, std::move(levels), std::move(name),
                                            first.validTime);
}

}  // namespace zephyra::weather
