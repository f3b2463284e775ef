#include "delivery/BlendedSender.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "delivery/ObservedWeather.h"
#include "delivery/WeatherSender.h"
#include "delivery/WeatherSet.h"
#include "simlink/SimLink.h"
#include "weather/ObservationTime.h"
#include "weather/WeatherDb.h"

namespace zephyra::delivery {

namespace {

constexpr double kMetresPerMile = 1609.344;
constexpr double kHpaPerInHg = 33.8639;

struct Cover {
    const char* word;
    int eighths;
    double thickness;  // feet
};
// The classes a blended layer may take, by the eighths that stand for them.
constexpr Cover kCovers[] = {
    {"few", 2, 500}, {"scattered", 4, 1000}, {"broken", 6, 2000}, {"overcast", 8, 3000}};

const Cover& coverOf(int eighths) {
    for (const Cover& c : kCovers) {
        if (eighths <= c.eighths) {
            return c;
        }
    }
    return kCovers[3];
}

int eighthsOf(const std::string& word) {
    for (const Cover& c : kCovers) {
        if (word == c.word) {
            return c.eighths;
        }
    }
    return 0;
}

double celsius(int degrees, bool inCelsius) {
    return inCelsius ? degrees : (degrees - 32.0) / 1.8;
}

double inScale(double c, bool inCelsius) {
    return inCelsius ? c : c * 1.8 + 32.0;
}

}  // namespace

std::vector<BlendStation> blendStations(const std::vector<weather::WeatherRecord>& records,
                                        const weather::StationList& positions, double nowSeconds,
                                        double unlimitedVisibilityMiles, double staleSeconds) {
    std::unordered_map<std::string, const weather::StationEntry*> where;
    for (int i = 1; i <= positions.count(); ++i) {
        where.emplace(positions[i].ID, &positions[i]);
    }
    std::vector<BlendStation> out;
    std::vector<double> observed;
    double newest = 0;
    for (const weather::WeatherRecord& r : records) {
        const auto at = where.find(r.ID);
        if (at == where.end()) {
            continue;
        }
        BlendStation s;
        s.id = r.ID;
        s.latitude = at->second->latitude;
        s.longitude = at->second->longitude;
        s.elevationFeet = r.t0Alt;
        s.windDirection = r.w0Dir;
        s.windKnots = r.w0Spd;
        s.temperatureC = celsius(r.t0Deg, r.celsius());
        s.seaLevelInHg = r.Pressure / kHpaPerInHg;
        const simlink::ObservedWeather o = observedWeather(r, unlimitedVisibilityMiles);
        if (o.valid) {
            for (const simlink::ObservedLayer& l : o.layers) {
                s.layers.push_back({eighthsOf(l.coverage), static_cast<double>(l.base),
                                    l.cumulonimbus ? Convection::Cumulonimbus
                                    : l.towering   ? Convection::Towering
                                                   : Convection::None});
            }
            s.dewPointC = o.dewPointC;
            s.visibilityMiles = o.visibilityMetres
                                    ? *o.visibilityMetres / kMetresPerMile
                                    : std::min<double>(r.Visibility, unlimitedVisibilityMiles);
            s.rain = o.rain;
            s.snow = o.snow;
        } else {
            if (r.Cl1Coverage > 0 && r.cl1Base > 0) {
                s.layers.push_back({r.Cl1Coverage, static_cast<double>(r.cl1Base)});
            }
            if (r.Cl2Coverage > 0 && r.cl2Base > 0) {
                s.layers.push_back({r.Cl2Coverage, static_cast<double>(r.cl2Base)});
            }
            s.visibilityMiles = std::min<double>(r.Visibility, unlimitedVisibilityMiles);
        }
        s.aloft = {BlendWind{r.w1Base, r.w1Top, r.w1Dir, r.w1Spd},
                   BlendWind{r.w2Base, r.w2Top, r.w2Dir, r.w2Spd},
                   BlendWind{r.w3Base, r.w3Top, r.w3Dir, r.w3Spd}};
        s.aloftTemperatureC = {celsius(r.t1Deg, r.celsius()), celsius(r.t2Deg, r.celsius()),
                               celsius(r.t3Deg, r.celsius())};
        const double when = weather::observationSeconds(r.ObsTime).value_or(0);
        newest = std::max(newest, when);
        observed.push_back(when);
        out.push_back(std::move(s));
    }
    const double reference = nowSeconds - newest > staleSeconds ? newest : nowSeconds;
    for (std::size_t i = 0; i < out.size(); ++i) {
        // A report without a time counts as fresh as the newest.
        out[i].ageSeconds = std::max(0.0, reference - (observed[i] > 0 ? observed[i] : newest));
        out[i].reportAgeSeconds = observed[i] > 0 ? std::max(0.0, nowSeconds - observed[i]) : -1;
    }
    return out;
}

std::vector<BlendStation> storedBlendStations(weather::WeatherDb& db, double nowSeconds,
                                              double unlimitedVisibilityMiles, double staleSeconds,
                                              std::vector<weather::WeatherRecord>& records) {
    const weather::StationList positions = db.stationList();
    std::vector<weather::WeatherRecord> all;
    all.reserve(static_cast<std::size_t>(positions.count()));
    for (int i = 1; i <= positions.count(); ++i) {
        if (auto r = db.findWeather(positions[i].ID)) {
            all.push_back(std::move(*r));
        }
    }
    auto stations =
        blendStations(all, positions, nowSeconds, unlimitedVisibilityMiles, staleSeconds);
    // The records by the stations' order (a record whose station has no position is left out).
    records.clear();
    records.reserve(stations.size());
    std::size_t next = 0;
    for (const BlendStation& s : stations) {
        while (next < all.size() && all[next].ID != s.id) {
            ++next;
        }
        records.push_back(all[next++]);
    }
    return stations;
}

BlendedSender::BlendedSender(simlink::SimLink& sim, WeatherSender& sender, DeliveryHost& host)
    : sim_(sim), sender_(sender), host_(host) {}

void BlendedSender::setStations(std::vector<BlendStation> stations,
                                std::vector<weather::WeatherRecord> records) {
    stations_ = std::move(stations);
    records_ = std::move(records);
}

void BlendedSender::tick(double seconds) {
    const auto position = host_.aircraftPosition();
    if (!position || stations_.empty()) {
        return;
    }
    sinceBlend_ += seconds;
    if (!target_ || !sent_ || sinceBlend_ >= blendEverySeconds) {
        sinceBlend_ = 0;
        target_ = blendAt(position->first, position->second, stations_, blend);
        if (target_->stations.empty()) {
            BlendSettings nearest = blend;  // nothing in range: the nearest station rules
            nearest.radiusNm = nearest.ownReportNm = 1e9;
            target_ = blendAt(position->first, position->second, stations_, nearest);
        }
    }
    sent_ = sent_ ? limitedStep(*sent_, *target_, seconds, limits) : *target_;
    const Blended& b = *sent_;

    const auto heaviest = std::find_if(stations_.begin(), stations_.end(), [&](const auto& s) {
        return s.id == b.stations.front().id;
    });
    const weather::WeatherRecord& record =
        records_[static_cast<std::size_t>(heaviest - stations_.begin())];
    WeatherSet set = WeatherSet::fromRecord(record);
    const bool c = set.celsius;
    set.t0Alt = b.elevationFeet;
    set.t0Deg = inScale(b.temperatureC, c);
    set.t1Deg = inScale(b.aloftTemperatureC[0], c);
    set.t2Deg = inScale(b.aloftTemperatureC[1], c);
    set.t3Deg = inScale(b.aloftTemperatureC[2], c);
    set.w0Dir = b.windDirection;
    set.w0Spd = b.windKnots;
    const std::array<std::array<double WeatherSet::*, 4>, 3> aloft{
        {{&WeatherSet::w1Base, &WeatherSet::w1Top, &WeatherSet::w1Dir, &WeatherSet::w1Spd},
         {&WeatherSet::w2Base, &WeatherSet::w2Top, &WeatherSet::w2Dir, &WeatherSet::w2Spd},
         {&WeatherSet::w3Base, &WeatherSet::w3Top, &WeatherSet::w3Dir, &WeatherSet::w3Spd}}};
    for (std::size_t i = 0; i < 3; ++i) {
        set.*aloft[i][0] = b.aloft[i].baseFeet;
        set.*aloft[i][1] = b.aloft[i].topFeet;
        set.*aloft[i][2] = b.aloft[i].direction;
        set.*aloft[i][3] = b.aloft[i].knots;
    }
    set.Pressure = b.seaLevelInHg * kHpaPerInHg;
    set.Visibility = b.visibilityMiles;
    // The two classic cloud layers are the lowest two of the blend.
    const auto classic = [&](std::size_t i, double& base, double& top, double& coverage) {
        if (i < b.layers.size()) {
            base = b.layers[i].baseFeet;
            top = base + coverOf(b.layers[i].eighths).thickness;
            coverage = b.layers[i].eighths;
        } else {
            base = top = coverage = 0;
        }
    };
    classic(0, set.cl1Base, set.cl1Top, set.Cl1Coverage);
    classic(1, set.cl2Base, set.cl2Top, set.Cl2Coverage);

    simlink::ObservedWeather o;
    o.valid = true;
    for (const BlendLayer& l : b.layers) {
        if (o.layers.size() == 5) {
            break;
        }
        const Cover& cover = coverOf(l.eighths);
        const bool cb = l.convection == Convection::Cumulonimbus;
        const bool tcu = l.convection == Convection::Towering;
        o.layers.push_back({cover.word, static_cast<std::int32_t>(std::lround(l.baseFeet)),
                            layerDepthFeet(cb, tcu, static_cast<std::int32_t>(cover.thickness)), cb,
                            tcu});
    }
    o.dewPointC = b.dewPointC;
    o.visibilityMetres = b.visibilityMiles * kMetresPerMile;
    o.rain = b.rain;
    o.snow = b.snow;
    o.temperatureC = b.temperatureC;
    o.windFrom = b.windDirection;
    o.windKnots = b.windKnots;
    o.seaLevelInHg = b.seaLevelInHg;
    for (const BlendWind& w : b.aloft) {
        o.windsAloft.push_back({w.direction, w.knots});
    }
    o.temperaturesAloftC.assign(b.aloftTemperatureC.begin(), b.aloftTemperatureC.end());
    if (host_.sendWeatherOn()) {
        sim_.upd_observed(o);
    }
    sender_.sendWeatherToSimulator(set);
    if (b.stations.front().id != shownStation_) {
        shownStation_ = b.stations.front().id;
        host_.showLastStation(shownStation_);
    }
    host_.setStatus(weightsText() + " (" + agesText() + ")");
}

std::optional<weather::WeatherRecord> BlendedSender::hereRecord() const {
    if (!sent_ || sent_->stations.empty()) {
        return std::nullopt;
    }
    const Blended& b = *sent_;
    weather::WeatherRecord r;
    for (std::size_t i = 0; i < stations_.size(); ++i) {
        if (stations_[i].id == b.stations.front().id) {
            r = records_[i];
        }
    }
    r.ID = "HERE";
    r.RawText.clear();
    r.ObsTime.clear();
    r.Estimated.clear();
    r.Observation = "BLEND";
    r.t0Alt = static_cast<int>(std::lround(b.elevationFeet));
    r.t0Deg = static_cast<int>(std::lround(inScale(b.temperatureC, r.celsius())));
    r.w0Dir = std::round(b.windDirection);
    r.w0Spd = std::round(b.windKnots);
    r.Pressure = b.seaLevelInHg * kHpaPerInHg;
    r.Visibility = b.visibilityMiles;
    r.Cl1Coverage = r.Cl2Coverage = 0;
    r.cl1Base = r.cl2Base = 0;
    for (std::size_t i = 0; i < b.layers.size() && i < 2; ++i) {
        (i == 0 ? r.Cl1Coverage : r.Cl2Coverage) = b.layers[i].eighths;
        (i == 0 ? r.cl1Base : r.cl2Base) = static_cast<int>(std::lround(b.layers[i].baseFeet));
    }
    return r;
}

std::string BlendedSender::agesText() const {
    if (!sent_ || sent_->stations.empty()) {
        return {};
    }
    double youngest = 1e18, oldest = -1;
    for (const BlendWeight& w : sent_->stations) {
        for (const BlendStation& s : stations_) {
            if (s.id == w.id && s.reportAgeSeconds >= 0) {
                youngest = std::min(youngest, s.reportAgeSeconds);
                oldest = std::max(oldest, s.reportAgeSeconds);
            }
        }
    }
    if (oldest < 0) {
        return "report times not known";
    }
    const auto age = [](double seconds) {
        const long minutes = std::lround(seconds / 60);
        char text[32];
        if (minutes < 60) {
            std::snprintf(text, sizeof text, "%ld min", minutes);
        } else {
            std::snprintf(text, sizeof text, "%ld h %02ld min", minutes / 60, minutes % 60);
        }
        return std::string(text);
    };
    if (sent_->stations.size() == 1) {
        return "report " + age(oldest) + " old";
    }
    if (age(youngest) == age(oldest)) {
        return "reports " + age(oldest) + " old";
    }
    return "reports " + age(youngest) + " to " + age(oldest) + " old";
}

std::string BlendedSender::weightsText() const {
    std::string out;
    if (!sent_) {
        return out;
    }
    for (const BlendWeight& w : sent_->stations) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%s %.0f%%", out.empty() ? "" : ", ", w.id.c_str(),
                      w.weight * 100);
        out += text;
    }
    return out;
}

}  // namespace zephyra::delivery
