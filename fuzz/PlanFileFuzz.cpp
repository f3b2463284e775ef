// Arbitrary bytes as a flight plan: the main window's ".fpl" reader and the Weather Builder's.
// The first byte answers the custom-weather question (odd: take the weather) and is not part
// of the file. Besides the sanitizers' checks: the store never holds more than its capacity,
// and what was read is written in the file's own form and reads back to as many entries.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzSupport.h"
#include "builder/WeatherBuilder.h"
#include "flightplan/PlanFile.h"

namespace {

using namespace zephyra;

using zephyra::fuzz::require;

class Host final : public flightplan::PlanLoadHost {
  public:
    explicit Host(bool take) : take_(take) {}
    bool useCustomWeather() override { return take_; }
    void processCustomWeather() override {}

  private:
    bool take_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool take = (data[0] & 1) != 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    flightplan::PlanStore plan;
    Host host(take);
    flightplan::readPlan(text, plan, host);
    require(plan.PlanCount >= 0 && plan.PlanCount <= flightplan::PlanStore::kCapacity);
    require(plan.PlanWxCount >= 0 && plan.PlanWxCount < flightplan::PlanStore::kWeatherEntries);
    flightplan::PlanStore again;
    Host quiet(false);
    flightplan::readPlan(flightplan::formatPlan(plan), again, quiet);
    require(again.PlanCount == plan.PlanCount);

    builder::WeatherBuilder b;
    b.loadText(text, [take] { return take; });
    require(b.counter >= 0 && b.counter <= flightplan::PlanStore::kWeatherEntries);
    (void)b.saveText();
    return 0;
}
