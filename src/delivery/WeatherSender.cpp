#include "delivery/WeatherSender.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "delivery/CloudTextures.h"
#include "delivery/ObservedWeather.h"
#include "platform/Scheduler.h"
#include "simlink/SimLink.h"
#include "weather/Completion.h"
#include "weather/Directions.h"
#include "weather/WeatherDb.h"

namespace zephyra::delivery {

namespace {

using weather::directionChange;

constexpr double kMinVisibility = 0.0625;
constexpr double kStandardPressure = 1013.21;
constexpr double kMaxPressure = 1185.0;
constexpr double kHighAltitude = 18000.0;
constexpr int kCloudRedrawWaitMs = 4000;

double wholeDirection(double degrees) {
    return wholeNumber(normalizedDirection(degrees));
}

}  // namespace

WeatherSender::WeatherSender(simlink::SimLink& sim, platform::Scheduler& scheduler,
                             DeliveryHost& host, std::string databasePath, const int& precipitation)
    : sim_(sim),
      scheduler_(scheduler),
      host_(host),
      databasePath_(std::move(databasePath)),
      precipitation_(precipitation) {}

void WeatherSender::sendWeatherToSimulator(WeatherSet& s) {
    const double maxTurb = settings.MaxTurb;
    for (const auto field : WeatherSet::kTurbulence) {
        s.*field = std::min(s.*field, maxTurb);
    }
    if (!host_.sendWeatherOn()) {
        return;
    }
    host_.setStatus("Updating Weather");
    held_ = s;

    double pressure = s.Pressure;
    if (sim_.get_alt() >= kHighAltitude && !sim_.modelsAtmosphere()) {
        pressure = kStandardPressure;
    }
    pressure = std::clamp(pressure, weather::kMinPressure, kMaxPressure);
    sim_.upd_temps(
        wholeNumber(s.t0Alt), wholeNumber(s.t0Deg), wholeNumber(s.t1alt), wholeNumber(s.t1Deg),
        wholeNumber(s.t2Alt), wholeNumber(s.t2Deg), wholeNumber(s.t3alt), wholeNumber(s.t3Deg),
        pressure,
        s.celsius ? simlink::TemperatureScale::Celsius : simlink::TemperatureScale::Fahrenheit);

    double visibility = wholeNumber(s.Visibility);
    visibility = std::max(visibility, kMinVisibility);
    visibility = std::min(visibility, static_cast<double>(settings.UnlimitedVis));
    sim_.upd_visib(visibility);

    const bool textureClouds = newCloudsApply();
    cloudCall(false, s, textureClouds ? 7.0 : wholeNumber(s.Cl2Coverage));
    cloudCall(true, s, textureClouds ? 7.0 : wholeNumber(s.Cl1Coverage));

    if (settings.Wind) {
        sim_.upd_wind0(wholeNumber(s.w0Depth), wholeNumber(s.w0Spd), wholeDirection(s.w0Dir),
                       s.w0Turb, wholeNumber(s.w0Gust));
        sim_.upd_wind1(wholeNumber(s.w1Base), wholeNumber(s.w1Top), wholeNumber(s.w1Spd),
                       wholeDirection(s.w1Dir), s.w1Turb, wholeNumber(s.w1Gust));
        sim_.upd_wind2(wholeNumber(s.w2Base), wholeNumber(s.w2Top), wholeNumber(s.w2Spd),
                       wholeDirection(s.w2Dir), s.w2Turb, wholeNumber(s.w2Gust));
        sim_.upd_wind3(wholeNumber(s.w3Base), wholeNumber(s.w3Top), wholeNumber(s.w3Spd),
                       wholeDirection(s.w3Dir), s.w3Turb, wholeNumber(s.w3Gust));
    }

    if (precipitation_ > 6) {
        s.Thunder = true;
    }
    if (wholeNumber(s.cl1Base) > 100 && s.Thunder) {
        sim_.upd_Tstorm(5000, 30000, 5.0, 0, 0, 0, 150.0);
    } else {
        sim_.upd_Tstorm(0, 0, 0.0, 0, 0, 0, 0.0);
    }
}

void WeatherSender::cloudCall(bool layer1, const WeatherSet& s, double coverage) {
    if (!host_.sendWeatherOn()) {
        return;
    }
    if (layer1) {
        sim_.upd_cloud1(wholeNumber(s.cl1Base), wholeNumber(s.cl1Top), coverage,
                        wholeNumber(s.Cl1Dev), 0, wholeNumber(s.Cl1Icing), s.Cl1Turb);
    } else {
        sim_.upd_cloud2(wholeNumber(s.cl2Base), wholeNumber(s.cl2Top), coverage,
                        wholeNumber(s.Cl2Dev), 0, wholeNumber(s.Cl2Icing), s.Cl2Turb);
    }
}

bool WeatherSender::sendStationWeather(const std::string& newId, const std::string& previousId) {
    const std::uint64_t generation = ++generation_;

    // Read both records, then let the database go: a transition lasts a minute or more.
    std::optional<weather::WeatherRecord> previous;
    std::optional<weather::WeatherRecord> next;
    {
        auto db = weather::WeatherDb::open(databasePath_, nullptr, false);
        if (!db) {
            return false;
        }
        if (!previousId.empty()) {
            previous = db->findWeather(previousId);
        }
        next = db->findWeather(newId);
    }
    if (!next) {
        return false;
    }
    WeatherSet to = WeatherSet::fromRecord(*next);
    // The new station's whole report goes at once, for the simulators that model it; the
    // classic values change over in their transition.
    if (host_.sendWeatherOn()) {
        sim_.upd_observed(observedWeather(*next, settings.UnlimitedVis));
    }

    // Until this send is done, a later one starts from what the simulator holds.
    ++underWay_;
    struct Done {
        int& count;
        ~Done() { --count; }
    } done{underWay_};

    std::optional<WeatherSet> from;
    const bool fromHeld = std::exchange(fromHeld_, false);
    if (!previousId.empty() && (underWay_ > 1 || fromHeld) && held_) {
        // Part way through the other send's transition or cloud redraw, or after a load that
        // replaced the records the simulator's values came from.
        from = *held_;
    } else if (previous) {
        from = WeatherSet::fromRecord(*previous);
        if (variedVisibility != 0.0) {
            from->Visibility = variedVisibility;
        }
    }

    if (!from) {
        sendWeatherToSimulator(to);
        if (!host_.sendWeatherOn()) {
            return true;
        }
    } else if (!transition(*from, to, generation)) {
        return false;
    }
    if (newCloudsApply() && host_.sendWeatherOn()) {
        for (const auto field : WeatherSet::kTurbulence) {
            to.*field = std::min(to.*field, static_cast<double>(settings.MaxTurb));
        }
        if (!cloudRedraw(to, generation)) {
            return false;
        }
    }
    host_.refreshReport();
    if (!from) {
        // Sent at once: the status line says which station's weather the simulator now holds
        // (a transition ends on its last step's text).
        host_.setStatus(newId + " weather sent.");
    }
    return true;
}

bool WeatherSender::transition(WeatherSet from, WeatherSet& to, std::uint64_t generation) {
    const int periods = std::max(1, settings.transitionPeriods);
    // Temperatures step in the new station's scale.
    from = from.inScale(to.celsius);

    // Cloud layer 2 appearing grows out of a sliver at its own base; vanishing, it shrinks
    // onto layer 1 and is removed after the last period.
    const bool vanishing = from.cl2Base > 0 && !(to.cl2Base > 0);
    if (!(from.cl2Base > 0) && to.cl2Base > 0) {
        from.cl2Base = to.cl2Base + 10;
        from.cl2Top = to.cl2Base + 100;
        from.Cl2Coverage = to.Cl2Coverage;
        from.Cl2Icing = to.Cl2Icing;
        from.Cl2Turb = to.Cl2Turb;
        from.Cl2Dev = 0;
    } else if (vanishing) {
        to.cl2Base = to.cl1Base + 10;
        to.cl2Top = to.cl1Base + 100;
        to.Cl2Coverage = to.Cl1Coverage;
        to.Cl2Icing = to.Cl1Icing;
        to.Cl2Turb = to.Cl1Turb;
        to.Cl2Dev = 0;
        layer2Removal = 1;
    }

    std::array<double, WeatherSet::kStepped.size()> steps{};
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto field = WeatherSet::kStepped[i];
        const bool direction =
            std::find(WeatherSet::kDirections.begin(), WeatherSet::kDirections.end(), field) !=
            WeatherSet::kDirections.end();
        const double change =
            direction ? directionChange(from.*field, to.*field) : to.*field - from.*field;
        steps[i] = change / periods;
    }
    WeatherSet current = from;
    for (const auto field : WeatherSet::kTakenAtOnce) {
        current.*field = to.*field;
    }
    current.Thunder = to.Thunder;
    current.celsius = to.celsius;

    for (int k = 1; k <= periods; ++k) {
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const auto field = WeatherSet::kStepped[i];
            // The last period lands exactly on the new values, whatever the rounding on the way.
            current.*field = k == periods ? to.*field : current.*field + steps[i];
        }
        WeatherSet sent = current;
        sendWeatherToSimulator(sent);
        if (!waitAndKeep(settings.transitionSeconds * 1000, generation)) {
            return false;
        }
        host_.setStatus("Transition " + std::to_string(k));
    }
    if (vanishing) {
        current.cl2Base = 0;
        current.cl2Top = 0;
        current.Cl2Coverage = 0;
        current.Cl2Dev = 0;
        WeatherSet sent = current;
        sendWeatherToSimulator(sent);
    }
    variedVisibility = 0.0;
    return true;
}

bool WeatherSender::cloudRedraw(const WeatherSet& to, std::uint64_t generation) {
    // The switch may be turned off during the redraw's waits: from then on nothing is copied
    // or sent.
    const auto install = [this](double base, double cover) {
        if (host_.sendWeatherOn()) {
            installCloudTexture(settings.programFolder, settings.simulatorFolder, base, cover);
        }
    };
    install(wholeNumber(to.cl2Base), wholeNumber(to.Cl2Coverage));
    if (layer2Removal == 1) {
        if (host_.sendWeatherOn()) {
            sim_.upd_cloud2(0, 0, 0.0, 0, 0, 0, 0.0);
        }
        layer2Removal = 0;
        if (!waitAndKeep(kCloudRedrawWaitMs, generation)) {
            return false;
        }
    } else if (wholeNumber(to.Cl2Coverage) >= 0) {
        cloudCall(false, to, 6.0);
        if (!waitAndKeep(kCloudRedrawWaitMs, generation)) {
            return false;
        }
        cloudCall(false, to, 7.0);
        if (!waitAndKeep(kCloudRedrawWaitMs, generation)) {
            return false;
        }
    }
    install(wholeNumber(to.cl1Base), wholeNumber(to.Cl1Coverage));
    cloudCall(true, to, 6.0);
    if (!waitAndKeep(kCloudRedrawWaitMs, generation)) {
        return false;
    }
    cloudCall(true, to, 7.0);
    return true;
}

bool WeatherSender::newCloudsApply() const {
    return settings.NewClouds && !sim_.drawsCover();
}

bool WeatherSender::waitAndKeep(int milliseconds, std::uint64_t generation) {
    scheduler_.wait(milliseconds);
    scheduler_.processEvents();
    return generation == generation_;
}

}  // namespace zephyra::delivery
