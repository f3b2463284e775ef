// Arbitrary bytes as a plan that carries custom weather, through the processing that replaces
// the Weather table with it. Besides the sanitizers' checks (no overflow in the completion, no
// out-of-range conversion): every stored record holds physical values.

#include <sqlite3.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "FuzzSupport.h"
#include "ScratchDatabase.h"
#include "builder/CustomWeather.h"
#include "flightplan/PlanFile.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "weather/Statement.h"
#include "weather/WeatherDb.h"
#include "weather/WeatherLoader.h"

namespace {

using namespace zephyra;

using zephyra::fuzz::require;

class QuietHost final : public weather::LoadHost {
  public:
    void setStatus(const std::string&) override {}
    void processEvents() override {}
    void setRandomTimerInterval(int) override {}
};

class TakeWeather final : public flightplan::PlanLoadHost {
  public:
    bool useCustomWeather() override { return true; }
    void processCustomWeather() override {}
};

// One database for the whole run.
struct Fixture : zephyra::fuzz::ScratchDatabase {
    Fixture() : ScratchDatabase("cw") {}
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fixture& f = fixture();
    flightplan::PlanStore plan;
    TakeWeather take;
    const auto read =
        flightplan::readPlan(std::string(reinterpret_cast<const char*>(data), size), plan, take);
    if (!read.weatherLoaded) {
        return 0;
    }
    platform::PinnedRandom rnd;
    rnd.setConstant(0.73);
    platform::ScriptedDialogs dialogs;
    QuietHost host;
    weather::LoadedWeather loaded;
    const auto outcome =
        builder::processPlanWeather(plan, *f.db, rnd, dialogs, host, loaded, "2026-12-06 12:00:00");
    if (!outcome.finished) {
        return 0;
    }
    weather::Statement st(f.db->handle(),
                          "SELECT COUNT(*) FROM Weather WHERE w0Spd < 0 OR w0Spd > 250 OR "
                          "t0Deg < -150 OR t0Deg > 150 OR Pressure < 850 OR Pressure > 1185 OR "
                          "cl1Base < 0 OR cl1Base > 60000 OR cl2Top > 60000");
    require(st.step() == SQLITE_ROW && st.integer(0) == 0);
    return 0;
}
