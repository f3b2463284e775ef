#include "weather/AloftField.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "platform/Files.h"
#include "weather/Directions.h"
#include "weather/GribAloft.h"
#include "weather/ObservationTime.h"
#include "weather/SimBriefOfp.h"
#include "weather/WindVector.h"
#include "weather/WindsAloftField.h"
#include "weather/WindsAloftText.h"

namespace zephyra::weather {

namespace {

// Between two samples of one point, a fraction f of the way from a to b: the wind as a
// vector, the temperature where both have one.
AloftSample between(const AloftSample& a, const AloftSample& b, double f) {
    WindVector wind;  // light and variable adds nothing
    if (a.direction) {
        wind.add(1.0 - f, *a.direction, a.speedKnots);
    }
    if (b.direction) {
        wind.add(f, *b.direction, b.speedKnots);
    }
    AloftSample out;
    out.speedKnots = wind.knots();
    if (out.speedKnots >= 0.5) {
        out.direction = wind.from();
    }
    if (a.temperature && b.temperature) {
        out.temperature = *a.temperature + f * (*b.temperature - *a.temperature);
    } else {
        out.temperature = f < 0.5 ? a.temperature : b.temperature;
    }
    out.source = a.source + " / " + b.source;
    out.validTime = f < 0.5 ? a.validTime : b.validTime;
    return out;
}

}  // namespace

void AloftField::add(std::shared_ptr<const AloftData> forecast) {
    if (!forecast) {
        return;
    }
    std::erase_if(forecasts_, [&](const auto& f) {
        return f->name() == forecast->name() && f->validTime() == forecast->validTime();
    });
    forecasts_.push_back(std::move(forecast));
    std::stable_sort(forecasts_.begin(), forecasts_.end(),
                     [](const auto& a, const auto& b) { return a->validTime() < b->validTime(); });
}

std::optional<AloftSample> AloftField::at(double latitude, double longitude, double altitudeFeet,
                                          std::int64_t when) const {
    // The forecasts that reach the point, in time order.
    std::vector<AloftSample> samples;
    for (const auto& f : forecasts_) {
        if (auto s = f->at(latitude, longitude, altitudeFeet)) {
            s->validTime = f->validTime();
            samples.push_back(std::move(*s));
        }
    }
    if (samples.empty()) {
        return std::nullopt;
    }
    if (when == 0 || samples.size() == 1) {
        return samples.front();
    }
    if (when <= samples.front().validTime) {
        return samples.front();
    }
    if (when >= samples.back().validTime) {
        return samples.back();
    }
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const AloftSample& a = samples[i - 1];
        const AloftSample& b = samples[i];
        if (when <= b.validTime) {
            if (b.validTime == a.validTime) {
                return b;
            }
            const double f = static_cast<double>(when - a.validTime) /
                             static_cast<double>(b.validTime - a.validTime);
            return between(a, b, f);
        }
    }
    return samples.back();
}

namespace {
XmlAloftReader xmlAloftReader = nullptr;
}  // namespace

void setXmlAloftReader(XmlAloftReader reader) {
    xmlAloftReader = reader;
}

bool readsXmlAloft() {
    return xmlAloftReader != nullptr;
}

AloftLoad loadAloftFile(const std::string& path, WeatherDb& db,
                        const std::optional<ReferenceDate>& reference) {
    AloftLoad out;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        out.error = "cannot read " + path;
        return out;
    }
    char start[4] = {};
    {
        std::ifstream in(path, std::ios::binary);
        in.read(start, sizeof start);
    }
    if (std::string_view(start, sizeof start) == "GRIB") {
        out.forecast = readGribAloft(path, &out.error);
        return out;
    }
    std::string bytes;
    if (std::filesystem::file_size(path, ec) > kMaxOfpBytes || ec) {
        out.error = path + " is larger than 16 MB, far more than a winds aloft file";
        return out;
    }
    if (!platform::readFile(path, bytes)) {
        out.error = "cannot read " + path;
        return out;
    }
    if (looksLikeXml(bytes)) {
        if (xmlAloftReader == nullptr) {
            out.error = path + " is XML (a SimBrief OFP?), which this program does not read";
        } else {
            out.forecast = xmlAloftReader(bytes, &out.error);
        }
        return out;
    }
    auto product = readWindsAloftText(bytes, &out.error);
    if (!product) {
        return out;
    }
    const auto ref = reference ? reference : fileDate(path);
    const std::int64_t valid = ref ? aloftValidTime(*product, *ref) : 0;
    auto positions = placeAloftSites(db, *product, &out.unplaced);
    if (positions.empty()) {
        out.error = "no site of the forecast could be placed";
        return out;
    }
    out.forecast =
        std::make_shared<WindsAloftField>(std::move(*product), std::move(positions), valid);
    return out;
}

std::string isoTime(std::int64_t secondsSince1970) {
    if (secondsSince1970 == 0) {
        return {};
    }
    const std::time_t t = static_cast<std::time_t>(secondsSince1970);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

}  // namespace zephyra::weather
