#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "weather/WindsAloftText.h"

namespace zephyra::weather {

class WeatherDb;

struct GeoPosition {
    double latitude = 0;
    double longitude = 0;
};

// Where the product's sites are: an airport with that code (IATA, FAA or ICAO, as OurAirports
// gives them), else a VOR with that identifier. Sites found nowhere are listed in unplaced.
std::map<std::string, GeoPosition> placeAloftSites(WeatherDb& db, const WindsAloftText& product,
                                                   std::vector<std::string>* unplaced = nullptr);

// The wind and temperature at one point of the field, and where they came from.
struct AloftSample {
    std::optional<double> direction;  // degrees true; none for light and variable
    double speedKnots = 0;
    std::optional<double> temperature;  // degrees Celsius
    std::string source;                 // "FD1US1 (KWNO), 3 sites"
    std::string valid;                  // the product's valid time as it gives it ("080600Z")
};

// The winds aloft of one product as a field: at each site the levels are interpolated
// linearly in altitude (a direction the shorter way round, a temperature over the levels that
// have one; below the lowest level its values, above the highest the highest's); between
// sites, the four nearest within 400 nm are weighted by inverse distance squared, winds as
// vectors. Within 1 nm of a site its own values rule.
class WindsAloftField {
  public:
    WindsAloftField(WindsAloftText product, std::map<std::string, GeoPosition> positions);
    std::optional<AloftSample> at(double latitude, double longitude, double altitudeFeet) const;
    // A site's own values at an altitude; nothing when the site has no level there.
    std::optional<AloftSample> atSite(const AloftSite& site, double altitudeFeet) const;
    const WindsAloftText& product() const { return product_; }

  private:
    WindsAloftText product_;
    std::vector<std::pair<const AloftSite*, GeoPosition>> placed_;
};

}  // namespace zephyra::weather
