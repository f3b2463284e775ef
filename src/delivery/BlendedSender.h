#pragma once

#include <optional>
#include <string>
#include <vector>

#include "delivery/Blend.h"
#include "delivery/DeliveryHost.h"
#include "weather/Records.h"

namespace zephyra::simlink {
class SimLink;
}
namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::delivery {

class WeatherSender;

// The stations with weather as the blend takes them, read from the stored records: the
// surface from the full reading where there is one (every cloud layer, the dew point, the
// visibility as reported), the classic values otherwise; the layers aloft from the record.
// Ages count from now, or, for reports all older than the stale age (a file of another day),
// from the newest of them, so that they still weigh by how they differ.
std::vector<BlendStation> blendStations(const std::vector<weather::WeatherRecord>& records,
                                        const weather::StationList& positions, double nowSeconds,
                                        double unlimitedVisibilityMiles,
                                        double staleSeconds = BlendSettings{}.staleSeconds);

// The stations with weather stored in the database as the blend takes them, with their records
// in the same order.
std::vector<BlendStation> storedBlendStations(weather::WeatherDb& db, double nowSeconds,
                                              double unlimitedVisibilityMiles, double staleSeconds,
                                              std::vector<weather::WeatherRecord>& records);

// Sends the weather blended at the aircraft every second, moved from what was last sent at the
// pilot's rates (the blend itself is worked out every few seconds): the blended surface goes with
// the exact values to simulators that model them, and the classic weather (the heaviest station's
// record with the blended surface, clouds and layers aloft) to every simulator.
class BlendedSender {
  public:
    BlendedSender(simlink::SimLink& sim, WeatherSender& sender, DeliveryHost& host);

    BlendSettings blend;
    RateLimits limits;
    // The blend at the aircraft is worked out again this often; what is sent moves towards it
    // at every tick.
    double blendEverySeconds = 5;

    // The weather the blend draws from (a load or a refresh). What is sent keeps moving from
    // where it is.
    void setStations(std::vector<BlendStation> stations,
                     std::vector<weather::WeatherRecord> records);
    // One send, seconds after the last (a second, so that no second moves faster than the
    // rates); the first goes at once. Nothing without a position or a station; with no station
    // in range the nearest one's weather is sent.
    void tick(double seconds);
    // Starts again from the next blend (the aircraft moved far, or the mode was switched on).
    void restart() {
        sent_.reset();
        target_.reset();
        shownStation_.clear();
    }

    const std::optional<Blended>& sent() const { return sent_; }
    const std::vector<BlendStation>& stations() const { return stations_; }
    // "KATL 62%, KPDK 25%, KFTY 13%", or "" before the first send.
    std::string weightsText() const;
    // How old the reports blended are by the clock: "report 12 min old", "reports 12 min to
    // 1 h 05 min old"; "" before the first send.
    std::string agesText() const;
    // The weather sent as a record named "HERE", for the station report: the heaviest station's
    // record with the blended surface, clouds and pressure, in its own scale, its elevation the
    // blend's; no report text of its own. Nothing before the first send.
    std::optional<weather::WeatherRecord> hereRecord() const;

  private:
    simlink::SimLink& sim_;
    WeatherSender& sender_;
    DeliveryHost& host_;
    std::vector<BlendStation> stations_;
    std::vector<weather::WeatherRecord> records_;  // by the stations' order
    std::optional<Blended> sent_;
    std::optional<Blended> target_;
    double sinceBlend_ = 0;
    std::string shownStation_;  // the heaviest station last shown
};

}  // namespace zephyra::delivery
