#include "delivery/ObservedWeather.h"

#include <algorithm>

#include "weather/Observation.h"

namespace zephyra::delivery {

namespace {

constexpr std::size_t kLayers = 5;
constexpr double kMetresPerMile = 1609.344;

struct Cover {
    const char* code;
    const char* word;
    std::int32_t thickness;  // feet
};
constexpr Cover kCovers[] = {{"FEW", "few", 500},
                             {"SCT", "scattered", 1000},
                             {"BKN", "broken", 2000},
                             {"OVC", "overcast", 3000},
                             {"VV", "overcast", 1000}};

double strength(const std::string& intensity) {
    return intensity == "-" ? 0.3 : intensity == "+" ? 0.9 : 0.6;
}

}  // namespace

simlink::ObservedWeather observedWeather(const weather::WeatherRecord& r,
                                         double unlimitedVisibilityMiles) {
    simlink::ObservedWeather out;
    if (r.Observation != "METAR" || r.RawText.empty()) {
        return out;
    }
    const weather::Observation obs = weather::readObservation(r.RawText);
    if (obs.id != r.ID) {
        return out;
    }
    out.valid = true;
    const auto elevation = static_cast<std::int32_t>(r.t0Alt);
    for (const weather::CloudLayer& l : obs.layers) {
        const auto cover = std::find_if(std::begin(kCovers), std::end(kCovers),
                                        [&l](const Cover& c) { return l.cover == c.code; });
        if (cover == std::end(kCovers) || !l.baseFeet || out.layers.size() == kLayers) {
            continue;  // a layer without a known cover or base is nothing to draw
        }
        simlink::ObservedLayer layer;
        layer.coverage = cover->word;
        layer.base = elevation + *l.baseFeet;
        layer.cumulonimbus = l.type == "CB";
        layer.towering = l.type == "TCU";
        layer.thickness = layerDepthFeet(layer.cumulonimbus, layer.towering, cover->thickness);
        out.layers.push_back(layer);
    }
    out.dewPointC = obs.dewPoint;
    if (obs.visibilityMetres) {
        double metres = *obs.visibilityMetres;
        if (obs.visibilityAbove) {
            metres = std::max(metres, unlimitedVisibilityMiles * kMetresPerMile);
        }
        out.visibilityMetres = metres;
    }
    for (const weather::WeatherGroup& g : obs.weather) {
        if (g.intensity == "VC") {
            continue;  // in the vicinity, not where the aircraft is
        }
        for (const std::string& p : g.phenomena) {
            const double s = strength(g.intensity);
            if (p == "RA" || p == "UP") {
                out.rain = std::max(out.rain, s);
            } else if (p == "DZ") {
                out.rain = std::max(out.rain, s / 2);
            } else if (p == "SN" || p == "SG" || p == "PL" || p == "GR" || p == "GS" || p == "IC") {
                out.snow = std::max(out.snow, s);
            }
        }
    }
    return out;
}

}  // namespace zephyra::delivery
