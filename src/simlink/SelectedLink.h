#pragma once

#include "simlink/SimLink.h"

namespace zephyra::simlink {

// The link the program holds for the whole run, passing every call to the simulator chosen
// once the settings are read. With none chosen (FS98 under Wine, which Zephyra cannot reach)
// getters report kNoPosition and setters go nowhere: nothing pretends to have been sent.
class SelectedLink final : public SimLink {
  public:
    explicit SelectedLink(SimLink* target = nullptr) : target_(target) {}
    void select(SimLink* target) {
        target_ = target;
        put(&SimLink::setWeatherSending, weatherSending_);
    }
    SimLink* selected() const { return target_; }

    // With no simulator chosen the weather is meant for FS98.
    bool drawsCover() const override { return target_ != nullptr && target_->drawsCover(); }
    bool modelsAtmosphere() const override {
        return target_ != nullptr && target_->modelsAtmosphere();
    }
    void setWeatherSending(bool on) override {
        weatherSending_ = on;
        put(&SimLink::setWeatherSending, on);
    }

    double get_curr_lat() override { return get(&SimLink::get_curr_lat); }
    double get_curr_lon() override { return get(&SimLink::get_curr_lon); }
    double get_alt() override { return get(&SimLink::get_alt); }
    double get_TAS() override { return get(&SimLink::get_TAS); }
    double get_MagVar() override { return get(&SimLink::get_MagVar); }
    double get_wind0Dir() override { return get(&SimLink::get_wind0Dir); }
    double get_wind1Dir() override { return get(&SimLink::get_wind1Dir); }
    double get_wind2Dir() override { return get(&SimLink::get_wind2Dir); }
    double get_wind3Dir() override { return get(&SimLink::get_wind3Dir); }
    double get_wind0Spd() override { return get(&SimLink::get_wind0Spd); }
    double get_wind1Spd() override { return get(&SimLink::get_wind1Spd); }
    double get_wind2Spd() override { return get(&SimLink::get_wind2Spd); }
    double get_wind3Spd() override { return get(&SimLink::get_wind3Spd); }
    double get_wind1Floor() override { return get(&SimLink::get_wind1Floor); }
    double get_wind2Floor() override { return get(&SimLink::get_wind2Floor); }
    double get_wind3Floor() override { return get(&SimLink::get_wind3Floor); }

    void upd_APHead(double v) override { put(&SimLink::upd_APHead, v); }
    void upd_APAlt(double v) override { put(&SimLink::upd_APAlt, v); }
    void upd_APAirSpeed(double v) override { put(&SimLink::upd_APAirSpeed, v); }
    void upd_APMachNumber(double v) override { put(&SimLink::upd_APMachNumber, v); }
    void upd_visib(double v) override { put(&SimLink::upd_visib, v); }
    void upd_observed(const ObservedWeather& o) override {
        if (target_ != nullptr) {
            target_->upd_observed(o);
        }
    }
    void upd_aloft(const AloftSource& source) override {
        if (target_ != nullptr) {
            target_->upd_aloft(source);
        }
    }
    std::optional<AloftAir> get_aloftHere() override {
        return target_ != nullptr ? target_->get_aloftHere() : std::nullopt;
    }
    void upd_temps(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d, std::int32_t e,
                   std::int32_t f, std::int32_t g, std::int32_t h, double p,
                   TemperatureScale scale) override {
        put(&SimLink::upd_temps, a, b, c, d, e, f, g, h, p, scale);
    }
    void upd_cloud1(std::int32_t a, std::int32_t b, double c, std::int32_t d, std::int32_t e,
                    std::int32_t f, double g) override {
        put(&SimLink::upd_cloud1, a, b, c, d, e, f, g);
    }
    void upd_cloud2(std::int32_t a, std::int32_t b, double c, std::int32_t d, std::int32_t e,
                    std::int32_t f, double g) override {
        put(&SimLink::upd_cloud2, a, b, c, d, e, f, g);
    }
    void upd_wind0(std::int32_t a, std::int32_t b, double c, double d, std::int32_t e) override {
        put(&SimLink::upd_wind0, a, b, c, d, e);
    }
    void upd_wind1(std::int32_t a, double b, std::int32_t c, double d, double e,
                   std::int32_t f) override {
        put(&SimLink::upd_wind1, a, b, c, d, e, f);
    }
    void upd_wind2(std::int32_t a, double b, std::int32_t c, double d, double e,
                   std::int32_t f) override {
        put(&SimLink::upd_wind2, a, b, c, d, e, f);
    }
    void upd_wind3(std::int32_t a, double b, std::int32_t c, double d, double e,
                   std::int32_t f) override {
        put(&SimLink::upd_wind3, a, b, c, d, e, f);
    }
    void upd_Tstorm(std::int32_t a, std::int32_t b, double c, std::int32_t d, std::int32_t e,
                    std::int32_t f, double g) override {
        put(&SimLink::upd_Tstorm, a, b, c, d, e, f, g);
    }

  private:
    double get(double (SimLink::*getter)()) {
        return target_ != nullptr ? (target_->*getter)() : kNoPosition;
    }
    template <typename... Params, typename... Args>
    void put(void (SimLink::*setter)(Params...), Args... args) {
        if (target_ != nullptr) {
            (target_->*setter)(args...);
        }
    }

    SimLink* target_;
    bool weatherSending_ = true;
};

}  // namespace zephyra::simlink
