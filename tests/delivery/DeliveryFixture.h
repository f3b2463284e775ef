#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "delivery/DeliveryHost.h"
#include "delivery/WeatherSender.h"
#include "platform/VirtualScheduler.h"
#include "simlink/BuiltInAircraft.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

namespace zephyra::delivery::test {

// The main window as weather delivery sees it: statuses are kept, the switch can be set.
class FakeHost : public DeliveryHost {
  public:
    std::vector<std::string> statuses;
    bool sendOn = true;
    bool enabled = true;
    std::optional<std::pair<double, double>> position;
    int reports = 0;
    std::string closest, last;

    void setStatus(const std::string& text) override { statuses.push_back(text); }
    bool windowEnabled() override { return enabled; }
    bool sendWeatherOn() override { return sendOn; }
    std::optional<std::pair<double, double>> aircraftPosition() override { return position; }
    void showClosestStation(const std::string& text) override { closest = text; }
    void showLastStation(const std::string& text) override { last = text; }
    void refreshReport() override { ++reports; }

    int count(const std::string& text) const {
        return static_cast<int>(std::ranges::count(statuses, text));
    }
};

// The built-in aircraft, which logs every call; with coverDrawn false it stands in for FS98,
// which draws every cloud with one texture and does not model the atmosphere.
class TestAircraft final : public simlink::BuiltInAircraft {
  public:
    using BuiltInAircraft::BuiltInAircraft;
    bool coverDrawn = true;
    bool drawsCover() const override { return coverDrawn; }
    bool modelsAtmosphere() const override { return coverDrawn; }
};

// A plain station record: one cloud layer, light winds, no thunder.
inline weather::WeatherRecord station(const std::string& id) {
    weather::WeatherRecord r;
    r.ID = id;
    r.Observation = "METAR";
    r.cl1Base = 3000;
    r.cl1Top = 3500;
    r.Cl1Coverage = 4;
    r.Visibility = 10;
    r.Pressure = 1013;
    r.t0Alt = 1000;
    r.t0Deg = 59;
    r.t1alt = 20000;
    r.t2Alt = 30000;
    r.t3alt = 40000;
    r.w0Depth = 1000;
    r.w0Dir = 90;
    r.w0Spd = 10;
    r.w1Base = 2000;
    r.w1Top = 8000;
    r.w1Dir = 100;
    r.w1Spd = 20;
    r.w2Base = 8000;
    r.w2Top = 20000;
    r.w2Dir = 180;
    r.w2Spd = 30;
    r.w3Base = 20000;
    r.w3Top = 40000;
    r.w3Dir = 270;
    r.w3Spd = 50;
    return r;
}

class DeliveryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db = weather::WeatherDb::open(dir.file("vanedb.mdb"));
        ASSERT_TRUE(db);
        sender.settings.MaxTurb = 255;
        sender.settings.UnlimitedVis = 50;
        sender.settings.NewClouds = false;
        sender.settings.programFolder = dir.path();
        sender.settings.simulatorFolder = dir.mkdir("FS98");
    }
    void add(const weather::WeatherRecord& r) {
        ASSERT_EQ(db->addWeather(r), weather::WeatherDb::AddResult::Added);
    }
    // One argument of every call of that name, in order.
    std::vector<double> sent(const std::string& name, std::size_t arg) const {
        std::vector<double> values;
        for (const auto& c : sim.calls()) {
            if (c.name == name) {
                values.push_back(c.args.at(arg));
            }
        }
        return values;
    }
    std::vector<std::string> callNames() const {
        std::vector<std::string> names;
        for (const auto& c : sim.calls()) {
            names.push_back(c.name);
        }
        return names;
    }

    zephyra::test::TempDir dir;
    std::unique_ptr<weather::WeatherDb> db;
    platform::VirtualScheduler clock;
    TestAircraft sim{clock};
    FakeHost host;
    int precipitation = 0;
    WeatherSender sender{sim, clock, host, dir.file("vanedb.mdb"), precipitation};
};

}  // namespace zephyra::delivery::test
