#include "weather/SimBriefOfp.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

#include "weather/WindsAloftField.h"
#include "weather/WindsAloftText.h"

namespace zephyra::weather {

namespace {

std::optional<int> whole(const std::optional<double>& v, double lo, double hi) {
    if (!v || *v < lo || *v > hi) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(*v));
}

// A fix's wind at one level as the FB reader gives it: light and variable below 5 knots
// without a direction.
std::optional<AloftLevel> aloftLevel(double altitudeFeet, const std::optional<double>& direction,
                                     const std::optional<double>& speed,
                                     const std::optional<double>& temperature) {
    const auto knots = whole(speed, 0, 500);
    if (!std::isfinite(altitudeFeet) || std::fabs(altitudeFeet) > 100000 || !knots) {
        return std::nullopt;
    }
    AloftLevel l;
    l.altitudeFeet = static_cast<int>(std::lround(altitudeFeet));
    l.speedKnots = knots;
    l.direction = whole(direction, 0, 360);
    if (l.direction) {
        *l.direction %= 360;
    }
    l.lightAndVariable = !l.direction;
    l.temperature = whole(temperature, -100, 60);
    return l;
}

}  // namespace

bool looksLikeXml(std::string_view text) {
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.remove_prefix(3);
    }
    const auto first = text.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos &&
           (text.compare(first, 5, "<?xml") == 0 || text.compare(first, 4, "<OFP") == 0);
}

std::shared_ptr<const AloftData> ofpAloftData(const SimBriefOfp& ofp) {
    WindsAloftText product;
    product.product = "SimBrief OFP " + ofp.origin.icao + "-" + ofp.destination.icao;
    std::map<std::string, GeoPosition> positions;
    for (std::size_t i = 0; i < ofp.fixes.size(); ++i) {
        const OfpFix& f = ofp.fixes[i];
        if (!f.latitude || !f.longitude) {
            continue;
        }
        AloftSite site;
        // Sites are told apart by their identifiers: a fix flown twice gets its number too.
        site.id = f.ident.empty() ? "fix " + std::to_string(i + 1) : f.ident;
        if (positions.count(site.id) != 0) {
            site.id += " (" + std::to_string(i + 1) + ")";
        }
        for (const OfpWindLevel& l : f.levels) {
            if (auto level = aloftLevel(l.altitudeFeet, l.direction, l.speedKnots, l.temperature)) {
                site.levels.push_back(*level);
            }
        }
        if (site.levels.empty() && f.altitudeFeet) {
            if (auto level =
                    aloftLevel(*f.altitudeFeet, f.windDirection, f.windKnots, f.temperature)) {
                site.levels.push_back(*level);
            }
        }
        if (site.levels.empty()) {
            continue;
        }
        std::stable_sort(site.levels.begin(), site.levels.end(), [](const auto& a, const auto& b) {
            return a.altitudeFeet < b.altitudeFeet;
        });
        site.levels.erase(std::unique(site.levels.begin(), site.levels.end(),
                                      [](const auto& a, const auto& b) {
                                          return a.altitudeFeet == b.altitudeFeet;
                                      }),
                          site.levels.end());
        positions[site.id] = GeoPosition{*f.latitude, *f.longitude};
        product.sites.push_back(std::move(site));
    }
    if (product.sites.empty()) {
        return nullptr;
    }
    return std::make_shared<WindsAloftField>(std::move(product), std::move(positions));
}

}  // namespace zephyra::weather
