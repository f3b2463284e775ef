#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/Records.h"

namespace zephyra::platform {
class Random;
}
namespace zephyra::weather {
class WeatherDb;
}

namespace zephyra::flightplan {

// One text field of every entry of the store, in one buffer: a load adds some 45,000 entries,
// and a string each would be as many allocations to make and to free. Entry 0 is empty.
class TextColumn {
  public:
    std::string_view operator[](std::size_t i) const {
        return std::string_view(text_).substr(starts_[i], starts_[i + 1] - starts_[i]);
    }
    std::size_t size() const { return starts_.size() - 1; }
    std::string_view back() const { return (*this)[size() - 1]; }
    void push_back(std::string_view s) {
        text_.append(s);
        starts_.push_back(static_cast<std::uint32_t>(text_.size()));
    }
    // Appends count texts lying back to back in texts, the i-th (from 0) starting at
    // startOf(i); startOf(count) is where the last ends.
    template <typename StartOf>
    void append(std::string_view texts, int count, StartOf startOf) {
        const auto base = static_cast<std::uint32_t>(text_.size());
        text_.append(texts);
        for (int i = 1; i <= count; ++i) {
            starts_.push_back(base + static_cast<std::uint32_t>(startOf(i)));
        }
    }
    // Only entry 0 left.
    void clear() {
        text_.clear();
        starts_.assign(2, 0);
    }
    void reserve(std::size_t entries, std::size_t bytes) {
        starts_.reserve(entries + 1);
        text_.reserve(bytes);
    }

  private:
    std::string text_;
    std::vector<std::uint32_t> starts_{0, 0};  // entry i is text_[starts_[i], starts_[i + 1])
};

// Hashes texts of any kind alike, so a map keyed by strings can be searched with a store's
// texts (std::unordered_map<std::string, T, TextHash, std::equal_to<>>).
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

// The in-memory waypoints for plan generation and frequency display: the WPS records of the
// chosen region, then one entry per reporting station with weather ("C"), tagged with its
// weather category and precipitation index. Entries are 1..WpsCount; index 0 holds none.
struct WaypointStore {
    static constexpr int kCapacity = 50000;

    TextColumn WpsType;
    TextColumn WpsName;
    TextColumn WpsFreq;
    TextColumn WpsIdent;  // WPS identifier; empty for stations
    std::vector<double> WpsLat{0.0};
    std::vector<double> WpsLon{0.0};
    std::vector<std::int16_t> WpsWxCat{0};
    std::vector<std::int16_t> WpsPrecip{0};
    // A station's flight category: 0 unknown, 1 VFR, 2 MVFR, 3 IFR, 4 LIFR; 0 for waypoints.
    std::vector<std::int8_t> WpsFlightCat{0};
    int WpsCount = 0;
    // 0 while a load runs, -1 when none does (before the first one and after each).
    std::int16_t loadingFlag = -1;

    void clear();
    // Adds an entry unless the store is full; returns false when it is.
    bool add(std::string_view type, std::string_view name, std::string_view freq, double lat,
             double lon, std::int16_t wxCat = 0, std::int16_t precip = 0,
             std::string_view ident = {}, std::int8_t flightCat = 0);
    // Room for this many entries, so a load does not move the ones it has added.
    void reserve(std::size_t entries);
    // Frequency of the last entry of that name; nothing when no entry has it.
    std::optional<std::string> frequencyOf(const std::string& name) const;
};

// What the waypoint loading needs of the main window.
class WaypointLoadHost {
  public:
    virtual ~WaypointLoadHost() = default;
    virtual bool storeMarkedLoaded() = 0;  // the hidden marker reads "1"
    virtual void markStoreLoaded() = 0;    // marker := "1"
    // Hourglass, window disabled, tracking timers armed, first connection reset.
    virtual void beginLoad() = 0;
    // Window enabled again, normal pointer.
    virtual void endLoad() = 0;
    virtual void setStatus(const std::string& text) = 0;
    virtual void setCurrentWeatherText(const std::string& text) = 0;
    virtual void processEvents() = 0;
    virtual std::string activeWaypointName() = 0;
    virtual void setActiveWaypointFrequency(const std::string& text) = 0;
    virtual void showMessage(const std::string& text) = 0;
};

// A host without a window (the command-line tool, benchmarks): nothing is shown, the store is
// always rebuilt, and the last message is kept for the caller.
class QuietWaypointLoadHost : public WaypointLoadHost {
  public:
    bool storeMarkedLoaded() override { return false; }
    void markStoreLoaded() override {}
    void beginLoad() override {}
    void endLoad() override {}
    void setStatus(const std::string&) override {}
    void setCurrentWeatherText(const std::string&) override {}
    void processEvents() override {}
    std::string activeWaypointName() override { return {}; }
    void setActiveWaypointFrequency(const std::string&) override {}
    void showMessage(const std::string& text) override { message = text; }
    std::string message;
};

enum class WaypointLoadResult { AlreadyLoaded, Loaded, NoWaypointTable, Failed };

// Region codes of the Wayp setting.
enum Region : int { kAmericas = 0, kEuropeOther = 1, kAll = 2, kNone = 3 };

// True when a WPS record belongs to the region, judged by its whole degrees of longitude.
bool inRegion(int region, std::string_view lonText, int we);

// Rebuilds the store when it is marked stale. The stations' weather is read from the database,
// or taken from stored: what a load has just written (by identifier), which saves reading it
// back.
WaypointLoadResult loadWaypoints(weather::WeatherDb& db, int region,
                                 const weather::StationList& stations, platform::Random& rnd,
                                 WaypointStore& store, WaypointLoadHost& host,
                                 const std::vector<weather::StationSky>* stored = nullptr);

}  // namespace zephyra::flightplan
