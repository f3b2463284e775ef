#pragma once

#include "simlink/SimLink.h"
#include "weather/Records.h"

namespace zephyra::delivery {

// How deep a layer is drawn: a cumulonimbus (CB) 15,000 ft, a towering cumulus (TCU) 8,000 ft,
// any other by its cover.
constexpr std::int32_t layerDepthFeet(bool cumulonimbus, bool towering, std::int32_t byCover) {
    return cumulonimbus ? 15000 : towering ? 8000 : byCover;
}

// The full observation of a stored METAR as a simulator takes it: each reported layer (up to
// five) in FlightGear's words from its reported class (FEW "few", SCT "scattered", BKN
// "broken", OVC and a vertical visibility "overcast"), its base above sea level (the station's
// elevation is the record's t0Alt) and a thickness by cover (CB and TCU deeper); the dew point; the
// visibility in metres, "or more" values (P6SM, 9999, CAVOK) raised to the settings' unlimited
// visibility; rain and snow from the weather groups at the station. Not valid for a record without
// a METAR (custom weather, SA reports).
simlink::ObservedWeather observedWeather(const weather::WeatherRecord& record,
                                         double unlimitedVisibilityMiles);

}  // namespace zephyra::delivery
