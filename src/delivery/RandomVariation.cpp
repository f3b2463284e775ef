#include "delivery/RandomVariation.h"

#include <algorithm>

#include "delivery/StationTracker.h"
#include "delivery/WeatherSender.h"
#include "platform/Random.h"
#include "simlink/SimLink.h"
#include "weather/WeatherDb.h"

namespace zephyra::delivery {

namespace {

double clampTurbulence(double value, int maxTurb) {
    value = std::max(value, 0.0);
    value = std::min(value, 255.0);
    return std::min(value, static_cast<double>(maxTurb));
}

double wrapDirection(double degrees) {
    if (degrees < 0) {
        return degrees + 360;
    }
    if (degrees > 360) {
        return degrees - 360;
    }
    return degrees;
}

}  // namespace

int randomStep(platform::Random& random, int magnitudeRange) {
    const int sign = static_cast<int>(2 * random.next()) + 1;
    const int magnitude = static_cast<int>(random.next() * magnitudeRange);
    return sign == 1 ? magnitude : -magnitude;
}

RandomVariation::RandomVariation(simlink::SimLink& sim, platform::Random& random,
                                 WeatherSender& sender, DeliveryHost& host,
                                 std::string databasePath)
    : sim_(sim),
      random_(random),
      sender_(sender),
      host_(host),
      databasePath_(std::move(databasePath)) {}

int RandomVariation::tick(const std::string& closestText) {
    if (closestText.empty()) {
        return 0;
    }
    if (host_.windowEnabled()) {
        host_.setStatus("Processing Weather");
    }
    vary(stationId(closestText));
    return (static_cast<int>(random_.next() * 50) + 10) * 1000;
}

void RandomVariation::vary(const std::string& id) {
    auto db = weather::WeatherDb::open(databasePath_, nullptr, false);
    if (!db) {
        return;
    }
    const auto found = db->findWeather(id);
    if (!found) {
        return;
    }
    weather::WeatherRecord r = *found;
    const DeliverySettings& s = sender_.settings;

    r.w2Dir = wrapDirection(r.w2Dir + randomStep(random_, 5));
    r.w3Dir = wrapDirection(r.w3Dir + randomStep(random_, 5));
    r.w2Spd = std::max(0.0, r.w2Spd + randomStep(random_, 5));
    r.w2Turb = clampTurbulence(r.w2Turb + randomStep(random_, 10), s.MaxTurb);
    r.w3Spd = std::max(0.0, r.w3Spd + randomStep(random_, 5));
    r.w3Turb = clampTurbulence(r.w3Turb + randomStep(random_, 10), s.MaxTurb);

    if (s.Wind) {
        // The drift goes on in the record; the simulator gets it only with the switch on.
        if (host_.sendWeatherOn()) {
            sim_.upd_wind3(wholeNumber(r.w3Base), wholeNumber(r.w3Top), wholeNumber(r.w3Spd),
                           wholeNumber(r.w3Dir), r.w3Turb, wholeNumber(r.w3Gust));
            sim_.upd_wind2(wholeNumber(r.w2Base), wholeNumber(r.w2Top), wholeNumber(r.w2Spd),
                           wholeNumber(r.w2Dir), r.w2Turb, wholeNumber(r.w2Gust));
        }
        db->updateVariedWinds(r);
    }

    if (r.VisibVary) {
        double& varied = sender_.variedVisibility;
        if (varied == 0.0) {
            varied = r.Visibility * random_.next();
            varied = std::max(varied, 0.0625);
            varied = std::min(varied, static_cast<double>(s.UnlimitedVis));
        } else {
            varied = 0.0;
        }
    }
}

}  // namespace zephyra::delivery
