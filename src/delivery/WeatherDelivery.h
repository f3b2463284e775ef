#pragma once

#include <memory>
#include <string>

#include "delivery/BlendedSender.h"
#include "delivery/DeliveryHost.h"
#include "delivery/RandomVariation.h"
#include "delivery/StationTracker.h"
#include "delivery/WeatherSender.h"
#include "simlink/SimLink.h"
#include "weather/AloftField.h"
#include "weather/Records.h"

namespace zephyra::platform {
class Random;
class Scheduler;
class Timer;
}  // namespace zephyra::platform

namespace zephyra::delivery {

// The field aloft as a simulator samples it, read for the clock's date and time (without a
// clock: its earliest forecast); an empty source for no field or an empty one.
simlink::AloftSource aloftSource(std::shared_ptr<const weather::AloftField> field,
                                 const platform::Scheduler* clock = nullptr);

// Weather delivery as one piece: the sender, the closest-station tracking and the random
// variation over one station list, one database and one simulator. The main window drives
// the parts from its own timers; the command-line tool and the tests let it own the two
// timers (armTimers) and run on virtual time.
class WeatherDelivery {
  public:
    WeatherDelivery(simlink::SimLink& sim, platform::Scheduler& scheduler, platform::Random& random,
                    DeliveryHost& host, const std::string& databasePath,
                    const weather::StationList& stations, const int& precipitation);
    ~WeatherDelivery();
    WeatherDelivery(const WeatherDelivery&) = delete;
    WeatherDelivery& operator=(const WeatherDelivery&) = delete;

    DeliverySettings& settings() { return sender_.settings; }
    WeatherSender& sender() { return sender_; }
    StationTracker& tracker() { return tracker_; }
    RandomVariation& variation() { return variation_; }
    BlendedSender& blended() { return blended_; }

    // Reads the stations the blended mode draws from out of the database: after a load or a
    // refresh. What is sent moves from where it is to the new weather at the rates.
    void reloadBlend();
    // The blended mode's tick: the closest station shown and the blend sent.
    void blendTick();

    // The Random_Timer's tick: runs the variation and gives the next interval in ms (0: keep).
    int randomTick() { return variation_.tick(tracker_.closestText()); }

    // Runs the Closest timer (60 s) and the random variation (60 s, then 10 to 59 s) on
    // the scheduler, as a weather load and the waypoint loading arm them in the window; in the
    // blended mode the blend's timer instead (every few seconds; no random variation: the
    // blend moves only at a pilot's rates).
    void armTimers();
    void stopTimers();

    // The forecast field aloft the simulator flies in (null or empty: none, the wind layers of
    // the stations rule). The simulator gets it at once and again on every refreshAloft,
    // which runs every five seconds on the scheduler while a field is set (stopTimers stops
    // it, armTimers starts it again), so a simulator that samples the field at its own
    // position follows the aircraft. Nothing is sent while "Send Weather" is off.
    void setAloft(std::shared_ptr<const weather::AloftField> field);
    void refreshAloft();
    static constexpr int kAloftRefreshMs = 5000;

  private:
    void armAloftTimer();

    platform::Scheduler& scheduler_;
    WeatherSender sender_;
    StationTracker tracker_;
    RandomVariation variation_;
    BlendedSender blended_;
    std::string databasePath_;
    std::unique_ptr<platform::Timer> closest_;
    std::unique_ptr<platform::Timer> blend_;
    std::unique_ptr<platform::Timer> random_;
    std::unique_ptr<platform::Timer> aloftTimer_;
    simlink::SimLink& sim_;
    DeliveryHost& host_;
    simlink::AloftSource aloft_;
};

}  // namespace zephyra::delivery
