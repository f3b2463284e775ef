#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "delivery/DeliveryHost.h"
#include "delivery/WeatherSet.h"

namespace zephyra::platform {
class Scheduler;
}
namespace zephyra::simlink {
class SimLink;
}

namespace zephyra::delivery {

// Moves a station's weather into the simulator. The first send of a run goes at once; later
// ones step from the previous station's values to the new ones over the transition periods,
// one send a period, waiting on the scheduler between periods so the window stays live.
//
// A send that starts while another is still under way (in its transition or its cloud redraw)
// wins: it starts from the values the simulator holds at that moment, and the earlier send
// stops at its next wait without sending again, redrawing clouds or refreshing the report.
//
// With "Send Weather to FS" off nothing reaches the simulator: no values, no cloud redraw.
class WeatherSender {
  public:
    // precipitation: the level of the last report decoded (above 6 is a thunderstorm).
    WeatherSender(simlink::SimLink& sim, platform::Scheduler& scheduler, DeliveryHost& host,
                  std::string databasePath, const int& precipitation);

    DeliverySettings settings;

    // SendStationWeather: newId's weather, from previousId's (empty: at once). A station
    // without a weather record sends nothing; a previous station without one counts as none.
    // False when nothing was sent or a later send took over.
    bool sendStationWeather(const std::string& newId, const std::string& previousId);

    // SendWeatherToSimulator: one send, limits applied. Turbulence values above the ceiling
    // are capped in the caller's set and the thunder flag may be forced on; nothing else is
    // changed.
    void sendWeatherToSimulator(WeatherSet& set);

    // Visibility reduced by the random variation (0: none held); it replaces the previous
    // station's visibility when the next transition starts, which clears it.
    double variedVisibility = 0.0;
    // Set when a transition removed cloud layer 2 and the cloud redraw has yet to clear it.
    std::int16_t layer2Removal = 0;

    bool transitionRunning() const { return underWay_ > 0; }
    // The next station send starts from the values the simulator holds rather than from the
    // previous station's record (which a load has just replaced).
    void startNextFromHeld() { fromHeld_ = true; }
    void setDatabasePath(std::string path) { databasePath_ = std::move(path); }

    // New clouds (the texture swap, the 7/8 cover and the redraw) are for a simulator that
    // does not draw the cover it is sent; any other gets each layer's own cover.
    bool newCloudsApply() const;

  private:
    bool transition(WeatherSet from, WeatherSet& to, std::uint64_t generation);
    bool cloudRedraw(const WeatherSet& to, std::uint64_t generation);
    // Waits, then tells whether this send is still the newest.
    bool waitAndKeep(int milliseconds, std::uint64_t generation);
    void cloudCall(bool layer1, const WeatherSet& s, double coverage);

    simlink::SimLink& sim_;
    platform::Scheduler& scheduler_;
    DeliveryHost& host_;
    std::string databasePath_;
    const int& precipitation_;
    std::uint64_t generation_ = 0;
    int underWay_ = 0;                // station sends not yet finished (nested in their waits)
    std::optional<WeatherSet> held_;  // the values last sent: what the simulator holds
    bool fromHeld_ = false;
};

}  // namespace zephyra::delivery
