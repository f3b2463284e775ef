#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/AloftField.h"

// SimBrief's operational flight plan saved as XML (root <OFP>): the airports, the navigation
// log's fixes and the winds and temperatures the plan was computed with. The reading is Qt's
// XML reader (library zephyra_weather_xml); the winds field made of it is plain C++.
namespace zephyra::weather {

struct OfpWindLevel {
    double altitudeFeet = 0;
    std::optional<double> direction;  // degrees true, from
    std::optional<double> speedKnots;
    std::optional<double> temperature;  // degrees Celsius
};

struct OfpFix {
    std::string ident, name, type;  // type: apt, wpt, vor, ndb, ltlg (TOC, TOD) ...
    std::optional<double> latitude, longitude, altitudeFeet;
    std::optional<double> indicatedKnots, trueKnots;
    std::optional<double> windDirection, windKnots, temperature;  // at the fix's altitude
    std::vector<OfpWindLevel> levels;                             // wind_data, as the file lists
};

struct OfpAirport {
    std::string icao, name;
    std::optional<double> latitude, longitude, elevationFeet;
};

struct SimBriefOfp {
    OfpAirport origin, destination;
    std::optional<double> initialAltitudeFeet, cruiseTas;
    std::string route;
    std::vector<OfpFix> fixes;
};

// The most fixes and wind levels per fix read; a file with more is refused.
inline constexpr std::size_t kMaxOfpFixes = 2001;
inline constexpr std::size_t kMaxOfpLevels = 64;
// The largest OFP read, in bytes (SimBrief's own run to a few hundred kilobytes).
inline constexpr std::size_t kMaxOfpBytes = 16 * 1024 * 1024;

// Whether a text looks like XML, which is all an aloft file's first bytes can tell.
bool looksLikeXml(std::string_view text);

// Reads an OFP. Elements it does not know are passed over; an empty or unreadable number is
// absent. Refused, with the reason in error: text that is not well-formed XML, a document type
// or an entity other than XML's own, nesting deeper than 64, a root other than <OFP>, no
// navlog fix, more fixes or levels than above, and a position off the Earth.
std::optional<SimBriefOfp> readSimBriefOfp(std::string_view text, std::string* error = nullptr);

// From now on loadAloftFile reads an OFP as winds aloft (see setXmlAloftReader).
void readOfpAloftFiles();

// The OFP's winds as a winds aloft forecast: each fix with a position is a site whose levels
// are its wind_data (or, without any, its own wind at its altitude), interpolated as
// WindsAloftField does. Null when no fix gives a wind.
std::shared_ptr<const AloftData> ofpAloftData(const SimBriefOfp& ofp);

}  // namespace zephyra::weather
