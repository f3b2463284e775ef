#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace zephyra::platform {
class Scheduler;
class Timer;
}  // namespace zephyra::platform

namespace zephyra::simlink {
class BuiltInAircraft;
class SimLink;
}  // namespace zephyra::simlink

namespace zephyra::cli {

class FlightWeather;

// One row of a flight trace: where the aircraft is and the weather it flies in.
struct TraceRow {
    double seconds = 0.0;  // since the flight started
    double latitude = 0.0;
    double longitude = 0.0;
    double altitudeFeet = 0.0;
    std::optional<double> windDirection;  // degrees true, from
    std::optional<double> windKnots;
    std::optional<double> temperatureC;
    std::optional<double> pressureInHg;
    std::optional<double> visibilityMiles;  // statute
    std::string station;                    // the station whose weather is in use
    std::optional<double> dewPointC;        // at the surface, as sent
    std::string stations;                   // "KATL:0.62;KPDK:0.38"
};

// A CSV trace of a flight: a header line, then one row per call, each written out at once. The
// columns are one table, so a new one is a field of TraceRow and a line of the table. A value not
// known is an empty field.
class TraceWriter {
  public:
    explicit TraceWriter(std::ostream& out);
    void write(const TraceRow& row);

    struct Column {
        const char* name;
        std::function<std::string(const TraceRow&)> value;
    };
    static const std::vector<Column>& columns();

  private:
    std::ostream& out_;
};

// Writes a row every second of the flight's clock from what the source reports.
class FlightTrace {
  public:
    using Source = std::function<TraceRow()>;
    FlightTrace(std::ostream& out, platform::Scheduler& clock, Source source);
    ~FlightTrace();
    FlightTrace(const FlightTrace&) = delete;
    FlightTrace& operator=(const FlightTrace&) = delete;

    // The first row now, then one a second.
    void start();
    void stop();
    int rows() const { return rows_; }

  private:
    void row();

    TraceWriter writer_;
    platform::Scheduler& clock_;
    Source source_;
    std::unique_ptr<platform::Timer> timer_;
    double startedAt_ = 0.0;
    int rows_ = 0;
};

// A row of the built-in aircraft: the air it flies in and the weather it holds.
TraceRow builtInTraceRow(const simlink::BuiltInAircraft& aircraft, const FlightWeather* weather);
// A row of a live simulator: its position, the field's air there (or the wind layer in force at
// its altitude) and the weather last sent.
TraceRow liveTraceRow(simlink::SimLink& sim, const FlightWeather* weather);

}  // namespace zephyra::cli
