#pragma once

#include <string>

#include "delivery/DeliveryHost.h"
#include "weather/Records.h"

namespace zephyra::delivery {

class WeatherSender;

// StationDistance: the distance on the flat latitude/longitude grid, in degrees; no
// cosine of latitude and no wrap at the 180th meridian. Arguments: latitude, station
// latitude, longitude, station longitude.
double stationDistance(double lat1, double lat2, double lon1, double lon2);

// The index (1..count) of the entry nearest on the grid, or 0 when none is nearer than
// 99999 degrees. Ties keep the lower index.
int closestStationIndex(const weather::StationList& stations, double latitude, double longitude);

// The closest-station text: ID, "-", Name, ", ", State Code. Its first four characters are
// the station identifier.
std::string closestStationText(const weather::StationEntry& entry);

// FindClosestStation: the text of the nearest entry, or the empty text when there is none or
// the nearest entry's identifier is shorter than two characters.
std::string findClosestStation(const weather::StationList& stations, double latitude,
                               double longitude);

// The first four characters of a station text.
std::string stationId(const std::string& text);

// Keeps the station nearest to the aircraft and sends its weather when it changes. Holds the
// closest-station text and the last sent station, which the host shows.
class StationTracker {
  public:
    StationTracker(const weather::StationList& stations, WeatherSender& sender, DeliveryHost& host);

    // The Closest timer's tick: find the nearest station from the host's position and, when
    // it is another than the last sent, send its weather (which may take a minute or more).
    void tick();
    // The closest station found and shown, nothing sent (the blended mode sends by itself).
    void locate();
    // The first navigation tick that reads a position starts the tracking with one tick.
    void startTracking() { tick(); }
    // New weather was loaded: the next tick sends the closest station even when it is the one
    // last sent (its report may have changed), from the values the simulator holds.
    void weatherReloaded();
    // "Manual Update": send the shown station's weather from the last sent one, unconditionally.
    void manualUpdate();

    const std::string& closestText() const { return closest_; }
    const std::string& lastStation() const { return lastStation_; }
    void setLastStation(const std::string& id);
    // Takes the texts as the window shows them, which other parts of the program may have
    // rewritten (a plan with custom weather empties the last station, say).
    void adoptShownTexts(const std::string& closestText, const std::string& lastStation) {
        closest_ = closestText;
        lastStation_ = lastStation;
    }

  private:
    void setClosest(const std::string& text);

    const weather::StationList& stations_;
    WeatherSender& sender_;
    DeliveryHost& host_;
    std::string closest_;      // Text3
    std::string lastStation_;  // LastStation
    bool reloaded_ = false;
};

}  // namespace zephyra::delivery
