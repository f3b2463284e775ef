#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "weather/AloftField.h"
#include "weather/ObservationTime.h"
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

// The winds aloft of one product as a field: at each site the levels are interpolated
// linearly in altitude (a direction the shorter way round, a temperature over the levels that
// have one; below the lowest level its values, above the highest the highest's); between
// sites, the four nearest within 400 nm are weighted by inverse distance squared, winds as
// vectors. Within 1 nm of a site its own values rule.
class WindsAloftField : public AloftData {
  public:
    // validTime: the product's valid time in seconds since 1970 (its "VALID" group gives only
    // the day and hour; see aloftValidTime).
    WindsAloftField(WindsAloftText product, std::map<std::string, GeoPosition> positions,
                    std::int64_t validTime = 0);
    std::optional<AloftSample> at(double latitude, double longitude,
                                  double altitudeFeet) const override;
    std::string name() const override { return product_.product; }
    std::int64_t validTime() const override { return validTime_; }
    // A site's own values at an altitude; nothing when the site has no level there.
    std::optional<AloftSample> atSite(const AloftSite& site, double altitudeFeet) const;
    const WindsAloftText& product() const { return product_; }

  private:
    WindsAloftText product_;
    std::int64_t validTime_ = 0;
    std::vector<std::pair<const AloftSite*, GeoPosition>> placed_;
    std::vector<std::array<double, 3>> unit_;  // each placed site on the unit sphere: far ones
                                               // are passed over without trigonometry
};

// The product's valid time ("080600Z") as seconds since 1970, its month and year taken from a
// reference date near it (the file's date, or today for a download); 0 when it has none.
std::int64_t aloftValidTime(const WindsAloftText& product, const ReferenceDate& reference);

}  // namespace zephyra::weather
