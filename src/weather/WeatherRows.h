#pragma once

#include <atomic>
#include <cstddef>
#include <utility>
#include <vector>

#include "weather/Records.h"

struct sqlite3;

namespace zephyra::weather {

// Records on their way into the Weather table, handed over while the caller may still be
// finishing them: rows [0, published) are final and will not change again. A reader of row i
// waits until it is published; abandon() ends the stream early, and a write reading it fails.
class WeatherStream {
  public:
    explicit WeatherStream(std::vector<const WeatherRecord*> rows) : rows_(std::move(rows)) {}
    WeatherStream(const WeatherStream&) = delete;
    WeatherStream& operator=(const WeatherStream&) = delete;

    std::size_t size() const { return rows_.size(); }
    const WeatherRecord& operator[](std::size_t i) const { return *rows_[i]; }

    void publish(std::size_t count) {
        ready_.store(count, std::memory_order_release);
        ready_.notify_all();
    }
    void publishAll() { publish(rows_.size()); }
    void abandon() {
        abandoned_.store(true, std::memory_order_release);
        ready_.store(kAbandoned, std::memory_order_release);
        ready_.notify_all();
    }
    bool abandoned() const { return abandoned_.load(std::memory_order_acquire); }
    // Waits until row i is final; false when the stream was abandoned first.
    bool waitFor(std::size_t i) const {
        std::size_t ready = ready_.load(std::memory_order_acquire);
        while (ready <= i || ready == kAbandoned) {
            if (abandoned()) {
                return false;
            }
            ready_.wait(ready, std::memory_order_acquire);
            ready = ready_.load(std::memory_order_acquire);
        }
        return true;
    }

  private:
    static constexpr std::size_t kAbandoned = static_cast<std::size_t>(-1);
    std::vector<const WeatherRecord*> rows_;
    std::atomic<std::size_t> ready_{0};
    std::atomic<bool> abandoned_{false};
};

// A whole load reaches the Weather table through one statement,
//   INSERT INTO Weather (...) SELECT ... FROM weather_rows(?1)
// where ?1 is a WeatherStream bound with sqlite3_bind_pointer under kWeatherRowsPointer. The
// table-valued function hands SQLite the records' fields straight from memory, which costs a
// fraction of binding every field of every row.
inline constexpr const char* kWeatherRowsPointer = "zephyra-weather-stream";

// Makes weather_rows available on the connection.
bool registerWeatherRows(sqlite3* db);

}  // namespace zephyra::weather
