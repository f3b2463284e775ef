#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyra::flightplan {

// One custom-weather entry of a plan: field 0 is the identifier text, fields 1 to 15 numbers
// (position of the waypoint it belongs to, clouds, wind, visibility, precipitation,
// temperature, pressure).
struct PlanWxEntry {
    std::string id;
    std::array<double, 16> field{};  // field[0] unused: the identifier is the text above
};

// The plan store: three lists shown side by side and four arrays beside them. Row i of each
// belongs to entry i; entry 0 is the next waypoint to fly. The arrays keep 2001 rows whatever
// the lists hold (clearing the lists leaves old values in them).
struct PlanStore {
    static constexpr int kCapacity = 2001;
    static constexpr int kWeatherEntries = 201;

    std::vector<std::string> WaypLst;
    std::vector<std::string> AltLst;
    std::vector<std::string> SpdLst;
    std::vector<double> PlanLat = std::vector<double>(kCapacity, 0.0);
    std::vector<double> PlanLon = std::vector<double>(kCapacity, 0.0);
    std::vector<double> PlanAlt = std::vector<double>(kCapacity, 0.0);
    std::vector<double> PlanSpd = std::vector<double>(kCapacity, 0.0);
    int PlanCount = 0;

    std::vector<PlanWxEntry> PlanWx = std::vector<PlanWxEntry>(kWeatherEntries);
    std::int16_t PlanWxCount = 0;  // highest weather-entry index in use
    // PlanWxCount 0 is both "one entry" and "none": this tells them apart.
    bool hasCustomWeather = false;

    // Sets the highest weather index and marks the plan as carrying custom weather.
    void setCustomWeatherCount(std::int16_t highestIndex) {
        PlanWxCount = highestIndex;
        hasCustomWeather = true;
    }

    struct Row {
        std::string name;
        std::string altText;
        std::string spdText;
        double lat = 0.0;
        double lon = 0.0;
        double alt = 0.0;
        double spd = 0.0;
    };
    bool full() const { return PlanCount >= kCapacity; }
    // False (and nothing changed) when the store is full.
    bool append(const Row& row);
    bool insertAt(int s, const Row& row);
    void replaceAt(int s, const Row& row);
    void removeAt(int s);
    // Empties the lists; the arrays keep their values.
    void clearLists();
    Row row(int i) const;
};

}  // namespace zephyra::flightplan
