#pragma once

#include <string>

#include "delivery/DeliveryHost.h"

namespace zephyra::platform {
class Random;
}
namespace zephyra::simlink {
class SimLink;
}

namespace zephyra::delivery {

class WeatherSender;

// A random step of magnitude range m: a sign draw, then Int(Rnd * m); -(m-1)..(m-1).
int randomStep(platform::Random& random, int magnitudeRange);

// Between station changes the upper winds of the current station drift, their turbulence
// shakes a little and a hazy station's visibility drops and recovers. Wind changes are written
// back into the station's record, so they add up from firing to firing until the next load.
class RandomVariation {
  public:
    RandomVariation(simlink::SimLink& sim, platform::Random& random, WeatherSender& sender,
                    DeliveryHost& host, std::string databasePath);

    // Random_Timer's tick for the closest-station text: the timer's next interval in ms (10
    // to 59 s), or 0 when it stays as it is (no station yet).
    int tick(const std::string& closestText);
    // The variation of one station's record; a station without a record is left alone.
    void vary(const std::string& id);

    void setDatabasePath(std::string path) { databasePath_ = std::move(path); }

  private:
    simlink::SimLink& sim_;
    platform::Random& random_;
    WeatherSender& sender_;  // settings and the varied visibility
    DeliveryHost& host_;
    std::string databasePath_;
};

}  // namespace zephyra::delivery
