#include "weather/download/AloftDownload.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "platform/Files.h"
#include "weather/NoaaProducts.h"
#include "weather/WeatherFile.h"
#include "weather/WindsAloftText.h"

namespace zephyra::weather {

namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kGfsRunSpacing = 6 * kHour;
constexpr int kGfsLastStep = 384;

std::tm utc(std::int64_t seconds) {
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    return tm;
}

// A degree value for the filter's query: at most two decimals, no trailing zeros.
std::string degrees(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string s = text;
    while (s.back() == '0') {
        s.pop_back();
    }
    if (s.back() == '.') {
        s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

bool isGfs(const AloftData& forecast) {
    return forecast.name().starts_with("GFS");
}

// "2026-12-07 06:00Z"
std::string validText(std::int64_t seconds) {
    const std::tm tm = utc(seconds);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%MZ", &tm);
    return text;
}

// "30 h" or "12 days", rounded down.
std::string span(std::int64_t seconds) {
    const std::int64_t hours = seconds / kHour;
    return hours < 48 ? std::to_string(hours) + " h" : std::to_string(hours / 24) + " days";
}

// "The download holds an HTML page, not a winds aloft forecast." for an answer that is not
// what: a noun, and the article it takes.
std::string notAForecast(std::string_view body, const std::string& article,
                         const std::string& what) {
    const std::string found = whatTextHolds(body);
    if (found == "no weather reports") {
        return "The download holds no " + what + ".";
    }
    return "The download holds " + found + ", not " + article + what + ".";
}

}  // namespace

std::optional<AloftBox> parseAloftBox(std::string_view text, std::string* error) {
    AloftBox box;
    char tail = 0;
    const std::string copy(text);
    if (std::sscanf(copy.c_str(), "%lf,%lf,%lf,%lf%c", &box.south, &box.west, &box.north, &box.east,
                    &tail) != 4 ||
        !std::isfinite(box.south) || !std::isfinite(box.west) || !std::isfinite(box.north) ||
        !std::isfinite(box.east)) {
        if (error != nullptr) {
            *error =
                "A box is four numbers S,W,N,E in degrees (north and east positive), as "
                "24,-126,50,-66.";
        }
        return std::nullopt;
    }
    if (!checkAloftBox(box, error)) {
        return std::nullopt;
    }
    return box;
}

bool checkAloftBox(const AloftBox& box, std::string* error) {
    std::string why;
    if (std::fabs(box.south) > 90 || std::fabs(box.north) > 90) {
        why = "Latitudes run from -90 to 90.";
    } else if (box.west < -180 || box.west > 360 || box.east < -180 || box.east > 360) {
        why = "Longitudes run from -180 to 180 (or to 360 for a box across the 180th meridian).";
    } else if (box.south == box.north || box.west == box.east) {
        why = "The box is empty: its " +
              std::string(box.south == box.north ? "south and north" : "west and east") +
              " sides are the same.";
    } else if (box.south > box.north) {
        why = "The box is inverted: its south side lies north of its north side.";
    } else if (box.west > box.east) {
        why =
            "The box is inverted: its west side lies east of its east side. A box across the "
            "180th meridian goes to east longitudes above 180 (170 to 190).";
    } else if (box.east - box.west > 360) {
        why = "The box is wider than the world.";
    }
    if (!why.empty() && error != nullptr) {
        *error = why;
    }
    return why.empty();
}

std::optional<AloftBox> boxAround(const std::vector<GeoPosition>& points, double margin) {
    if (points.empty()) {
        return std::nullopt;
    }
    const auto bounds = [&](bool shifted) {
        AloftBox b{90, 360, -90, -360};
        for (const GeoPosition& p : points) {
            const double lon = shifted && p.longitude < 0 ? p.longitude + 360 : p.longitude;
            b.south = std::min(b.south, p.latitude);
            b.north = std::max(b.north, p.latitude);
            b.west = std::min(b.west, lon);
            b.east = std::max(b.east, lon);
        }
        return b;
    };
    AloftBox box = bounds(false);
    // Points far apart in longitude may lie nearer across the 180th meridian.
    if (box.east - box.west > 180) {
        const AloftBox across = bounds(true);
        if (across.east - across.west < box.east - box.west) {
            box = across;
        }
    }
    box.south = std::max(-90.0, box.south - margin);
    box.north = std::min(90.0, box.north + margin);
    box.west -= margin;
    box.east += margin;
    if (box.west < -180) {
        box.west += 360;
        box.east += 360;
    }
    if (box.east - box.west >= 360 || box.east > 360) {
        box.west = -180;
        box.east = 180;
    }
    return box;
}

GfsCycle gfsCycle(std::int64_t now, int runsBack) {
    GfsCycle cycle;
    const std::int64_t published = now - kGfsPublishHours * kHour;
    std::int64_t run = published / kGfsRunSpacing * kGfsRunSpacing;
    if (run > published) {
        run -= kGfsRunSpacing;  // before 1970: division rounds toward zero
    }
    run -= runsBack * kGfsRunSpacing;
    cycle.run = run;
    const double steps = static_cast<double>(now - run) / (3.0 * kHour);
    cycle.forecastHour = std::clamp(static_cast<int>(std::lround(steps)) * 3, 0, kGfsLastStep);
    return cycle;
}

std::string gfsFilterUrl(const std::string& base, const AloftBox& box, const GfsCycle& cycle) {
    const std::tm tm = utc(cycle.run);
    char day[16], hour[8], step[8];
    std::strftime(day, sizeof day, "%Y%m%d", &tm);
    std::strftime(hour, sizeof hour, "%H", &tm);
    std::snprintf(step, sizeof step, "%03d", cycle.forecastHour);
    std::string url = base + (base.find('?') == std::string::npos ? "?" : "&");
    url += "dir=%2Fgfs." + std::string(day) + "%2F" + hour + "%2Fatmos";
    url += "&file=gfs.t" + std::string(hour) + "z.pgrb2.0p25.f" + step;
    for (const char* field : kGfsFields) {
        url += "&var_" + std::string(field) + "=on";
    }
    for (const int level : kGfsLevels) {
        url += "&lev_" + std::to_string(level) + "_mb=on";
    }
    url += "&subregion=&toplat=" + degrees(box.north) + "&leftlon=" + degrees(box.west) +
           "&rightlon=" + degrees(box.east) + "&bottomlat=" + degrees(box.south);
    return url;
}

std::string gribStructureError(std::string_view bytes) {
    if (bytes.empty()) {
        return "The download is empty.";
    }
    std::size_t at = 0;
    int messages = 0;
    while (at < bytes.size()) {
        const std::string_view rest = bytes.substr(at);
        if (!rest.starts_with("GRIB")) {
            return messages == 0 ? notAForecast(bytes, "", "GRIB2 data")
                                 : "The download has other data after its GRIB2 messages.";
        }
        if (rest.size() < 16) {
            return "The download is cut short (its last GRIB2 message is incomplete).";
        }
        if (rest[7] != 2) {
            return "The download is GRIB edition " +
                   std::to_string(static_cast<unsigned char>(rest[7])) + ", not GRIB2.";
        }
        std::uint64_t length = 0;
        for (std::size_t i = 8; i < 16; ++i) {
            length = length << 8 | static_cast<unsigned char>(rest[i]);
        }
        if (length > rest.size()) {
            return "The download is cut short (its last GRIB2 message is incomplete).";
        }
        if (length < 20 || rest.substr(length - 4, 4) != "7777") {
            return "The download is damaged (a GRIB2 message does not end in 7777).";
        }
        at += length;
        ++messages;
    }
    return {};
}

ReferenceDate aloftReference(double secondsSince1970) {
    const std::tm tm = utc(static_cast<std::int64_t>(secondsSince1970) + 24 * kHour);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

AloftField withForecast(const AloftField& current, std::shared_ptr<const AloftData> forecast) {
    AloftField out;
    if (!forecast) {
        return current;
    }
    std::shared_ptr<const AloftData> keep;
    const auto apart = [&](const AloftData& f) {
        return std::llabs(f.validTime() - forecast->validTime());
    };
    for (const auto& f : current.forecasts()) {
        if (isGfs(*f) != isGfs(*forecast) || f->validTime() == forecast->validTime()) {
            continue;
        }
        if (!keep || apart(*f) < apart(*keep)) {
            keep = f;
        }
    }
    out.add(keep);
    out.add(std::move(forecast));
    return out;
}

AloftStatus aloftStatus(const AloftField& field, double nowSeconds) {
    AloftStatus status;
    const auto& forecasts = field.forecasts();
    if (forecasts.empty()) {
        status.text = "Winds aloft: none loaded";
        return status;
    }
    std::vector<std::string> names;
    bool allGfs = true;
    for (const auto& f : forecasts) {
        allGfs = allGfs && isGfs(*f);
        if (std::find(names.begin(), names.end(), f->name()) == names.end()) {
            names.push_back(f->name());
        }
    }
    std::string name = names.size() > 1 && allGfs ? "GFS" : names.front();
    if (!(names.size() > 1 && allGfs)) {
        for (std::size_t i = 1; i < names.size(); ++i) {
            name += " and " + names[i];
        }
    }
    const auto now = static_cast<std::int64_t>(nowSeconds);
    std::string times;
    std::optional<std::int64_t> nearest;
    for (const auto& f : forecasts) {
        const std::int64_t valid = f->validTime();
        if (valid == 0) {
            continue;
        }
        std::string t = validText(valid);
        if (!times.empty()) {
            const std::string date = t.substr(0, 11);
            times += " and " + (times.starts_with(date) ? t.substr(11) : t);
        } else {
            times = t;
        }
        if (!nearest || std::llabs(valid - now) < std::llabs(*nearest - now)) {
            nearest = valid;
        }
    }
    status.text = "Winds aloft: " + name + ", ";
    if (!nearest) {
        status.text += "valid time not known";
        status.stale = true;
        return status;
    }
    status.text += "valid " + times;
    if (std::llabs(*nearest - now) > kAloftFreshHours * kHour) {
        status.stale = true;
        status.text += *nearest < now ? " (" + span(now - *nearest) + " old)"
                                      : " (" + span(*nearest - now) + " ahead)";
    }
    return status;
}

AloftDownload::AloftDownload(platform::Scheduler& clock, DownloadHost& host)
    : download_(clock, host), host_(host) {}

AloftDownloadResult AloftDownload::fetchGfs(const std::string& base, const AloftBox& box,
                                            std::int64_t now, const DownloadSettings& limits,
                                            const std::string& outPath, const AloftReader& read) {
    const auto attempt = [&](int runsBack) {
        const GfsCycle cycle = gfsCycle(now, runsBack);
        const std::tm tm = utc(cycle.run);
        char run[32];
        std::strftime(run, sizeof run, "%Y-%m-%d %HZ", &tm);
        host_.setStatus("GFS run " + std::string(run) + ", forecast hour " +
                        std::to_string(cycle.forecastHour) + ".");
        return fetch(AloftKind::Gfs, gfsFilterUrl(base, box, cycle), limits, outPath, read);
    };
    AloftDownloadResult newest = attempt(0);
    const bool absent = newest.error.starts_with("The server answered 404") ||
                        newest.error.starts_with("The download holds");
    if (newest.ok || newest.cancelled || !absent) {
        return newest;
    }
    AloftDownloadResult before = attempt(1);
    if (!before.ok && !before.cancelled) {
        before.error = newest.error;
    }
    return before;
}

AloftDownloadResult AloftDownload::fetch(AloftKind kind, const std::string& url,
                                         const DownloadSettings& limits, const std::string& outPath,
                                         const AloftReader& read) {
    AloftDownloadResult result;
    FetchedBody fetched = download_.fetchBody(limits, url, "winds aloft");
    if (!fetched.ok) {
        result.cancelled = fetched.cancelled;
        result.error = std::move(fetched.error);
        return result;
    }
    std::string body = std::move(fetched.body);
    if (looksGzipped(body)) {
        std::string why;
        auto inflated = gunzip(body, &why);
        if (!inflated) {
            result.error = why;
            return result;
        }
        body = std::move(*inflated);
    }
    if (kind == AloftKind::Gfs) {
        if (std::string why = gribStructureError(body); !why.empty()) {
            result.error = why;
            return result;
        }
    } else {
        const auto product = readWindsAloftText(body);
        if (!product) {
            result.error = notAForecast(body, "a ", "winds aloft forecast");
            return result;
        }
        if (product->sites.empty()) {
            result.error = "The download holds a winds aloft forecast without sites.";
            return result;
        }
    }

    // The reader takes a file: the answer goes to a scratch file first, and to outPath only
    // once it was read.
    std::string scratch =
        (std::filesystem::temp_directory_path() / "zephyra-aloft-XXXXXX").string();
    const int fd = ::mkstemp(scratch.data());
    if (fd < 0) {
        result.error = "No scratch file could be made to check the download in.";
        return result;
    }
    ::close(fd);
    std::string writeError;
    if (!platform::writeFile(scratch, body, &writeError)) {
        std::filesystem::remove(scratch);
        result.error = "The download could not be checked: " + writeError;
        return result;
    }
    AloftLoad load = read(scratch);
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    if (!load.forecast) {
        result.error = "The download could not be read: " + load.error + ".";
        return result;
    }
    if (!platform::writeFile(outPath, body, &writeError)) {
        result.error = "The winds aloft file could not be written: " + writeError;
        return result;
    }
    result.ok = true;
    result.path = outPath;
    result.load = std::move(load);
    host_.setStatus("Downloaded winds aloft: " + result.load.forecast->name() + ".");
    return result;
}

}  // namespace zephyra::weather
