#include "delivery/StationTracker.h"

#include <cmath>

#include "delivery/WeatherSender.h"

namespace zephyra::delivery {

namespace {
constexpr double kNoStationDistance = 99999.0;
}

double stationDistance(double lat1, double lat2, double lon1, double lon2) {
    return std::sqrt((lat1 - lat2) * (lat1 - lat2) + (lon1 - lon2) * (lon1 - lon2));
}

int closestStationIndex(const weather::StationList& stations, double latitude, double longitude) {
    // Squares are compared first and the root is taken only for a candidate, so the answer is
    // the same as comparing the distances themselves (ties included) at a fraction of the cost.
    double best = kNoStationDistance;
    double bestSquare = kNoStationDistance * kNoStationDistance;
    int bestIndex = 0;
    const auto& entries = stations.entries;
    const std::size_t n = entries.size();
    for (std::size_t i = 1; i < n; ++i) {
        const double dLat = latitude - entries[i].latitude;
        const double dLon = longitude - entries[i].longitude;
        const double square = dLat * dLat + dLon * dLon;
        if (square <= bestSquare) {
            const double distance =
                stationDistance(latitude, entries[i].latitude, longitude, entries[i].longitude);
            if (distance < best) {
                best = distance;
                bestSquare = square;
                bestIndex = static_cast<int>(i);
            }
        }
    }
    return bestIndex;
}

std::string closestStationText(const weather::StationEntry& entry) {
    return entry.ID + "-" + entry.Name + ", " + entry.StateCode;
}

std::string findClosestStation(const weather::StationList& stations, double latitude,
                               double longitude) {
    const int index = closestStationIndex(stations, latitude, longitude);
    if (index == 0 || stations[index].ID.size() < 2) {
        return {};
    }
    return closestStationText(stations[index]);
}

std::string stationId(const std::string& text) {
    return text.substr(0, 4);
}

StationTracker::StationTracker(const weather::StationList& stations, WeatherSender& sender,
                               DeliveryHost& host)
    : stations_(stations), sender_(sender), host_(host) {}

void StationTracker::setClosest(const std::string& text) {
    closest_ = text;
    host_.showClosestStation(closest_);
}

void StationTracker::setLastStation(const std::string& id) {
    lastStation_ = stationId(id);
    host_.showLastStation(lastStation_);
}

void StationTracker::tick() {
    const auto position = host_.aircraftPosition();
    if (!position) {
        return;
    }
    if (host_.windowEnabled()) {
        host_.setStatus("Finding Closest Station");
    }
    setClosest(findClosestStation(stations_, position->first, position->second));
    const std::string next = stationId(closest_);
    const std::string previous = stationId(lastStation_);
    if ((next != previous || reloaded_) && !closest_.empty()) {
        reloaded_ = false;
        host_.setStatus("Switching stations");
        sender_.sendStationWeather(next, previous);
        setLastStation(closest_);
    }
}

void StationTracker::locate() {
    if (const auto position = host_.aircraftPosition()) {
        setClosest(findClosestStation(stations_, position->first, position->second));
    }
}

void StationTracker::weatherReloaded() {
    reloaded_ = true;
    sender_.startNextFromHeld();
}

void StationTracker::manualUpdate() {
    sender_.sendStationWeather(stationId(closest_), stationId(lastStation_));
    setLastStation(closest_);
}

}  // namespace zephyra::delivery
