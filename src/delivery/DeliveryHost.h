#pragma once

#include <optional>
#include <string>
#include <utility>

namespace zephyra::delivery {

// What weather delivery needs of the main window; the window, the command-line tool and the
// tests each implement it.
class DeliveryHost {
  public:
    virtual ~DeliveryHost() = default;

    virtual void setStatus(const std::string& text) = 0;
    // The waypoint loading disables the window; status texts of the search wait for it.
    virtual bool windowEnabled() { return true; }
    // The "Send Weather to FS" switch.
    virtual bool sendWeatherOn() = 0;
    // The aircraft position as last read by the navigation tick (latitude, longitude in
    // degrees), or nothing before the first reading.
    virtual std::optional<std::pair<double, double>> aircraftPosition() = 0;
    // The closest station and the last sent station changed (their texts as shown).
    virtual void showClosestStation(const std::string&) {}
    virtual void showLastStation(const std::string&) {}
    // The weather sent changed: show the report of the closest station.
    virtual void refreshReport() {}
};

// The settings weather delivery reads, refreshed by its owner before each use.
struct DeliverySettings {
    int MaxTurb = 0;        // ceiling of every turbulence value sent, 0..255
    int UnlimitedVis = 50;  // ceiling of the visibility sent, statute miles
    bool NewClouds = true;  // FS98: swap cloud textures and redraw the clouds
    bool Wind = true;       // send winds
    // Blended: the weather at the aircraft is blended from the stations around it every few
    // seconds and sent every second at a pilot's rates; otherwise the nearest station's is sent
    // when it changes, in a transition.
    bool blended = false;
    double blendRadiusNm = 60;
    int blendSeconds = 5;
    int transitionPeriods = 60;
    int transitionSeconds = 1;
    std::string programFolder;    // where the cloud pictures are
    std::string simulatorFolder;  // holds texture/clouds.r8
};

}  // namespace zephyra::delivery
