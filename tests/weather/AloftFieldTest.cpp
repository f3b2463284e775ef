#include <gtest/gtest.h>

#include "weather/AloftField.h"

namespace zephyra::weather {
namespace {

// A forecast with one wind and temperature everywhere north of a latitude.
class Uniform : public AloftData {
  public:
    Uniform(std::string name, std::int64_t valid, double dir, double speed, double temp,
            double fromLatitude = -90)
        : name_(std::move(name)),
          valid_(valid),
          dir_(dir),
          speed_(speed),
          temp_(temp),
          from_(fromLatitude) {}
    std::optional<AloftSample> at(double lat, double, double) const override {
        if (lat < from_) {
            return std::nullopt;
        }
        AloftSample s;
        s.direction = dir_;
        s.speedKnots = speed_;
        s.temperature = temp_;
        s.source = name_;
        return s;
    }
    std::string name() const override { return name_; }
    std::int64_t validTime() const override { return valid_; }

  private:
    std::string name_;
    std::int64_t valid_;
    double dir_, speed_, temp_, from_;
};

constexpr std::int64_t k06z = 1796623200;  // 2026-12-07T06:00:00Z
constexpr std::int64_t kHour = 3600;

// Two forecast times: between them the wind turns as a vector and the temperature moves
// linearly; outside them the nearer one holds; where only one reaches, it alone answers.
TEST(AloftField, InterpolatesBetweenTwoForecastTimes) {
    AloftField field;
    field.add(std::make_shared<Uniform>("GFS +12", k06z + 6 * kHour, 360, 20, -4, 30));
    field.add(std::make_shared<Uniform>("GFS +6", k06z, 270, 20, -10));
    ASSERT_EQ(field.forecasts().front()->name(), "GFS +6");

    const struct {
        double lat;
        std::int64_t when;
        double dir, speed, temp;
    } cases[] = {
        {40, k06z + 3 * kHour, 315, 14.142, -7},  // halfway: (20 E + 20 S) / 2
        {40, k06z - kHour, 270, 20, -10},
        {40, k06z + 9 * kHour, 360, 20, -4},
        {40, k06z + 5 * kHour, 348.69, 16.997, -5},
        {10, k06z + 3 * kHour, 270, 20, -10},  // the later forecast does not reach 10 N
        {40, 0, 270, 20, -10},
    };
    for (const auto& c : cases) {
        const auto s = field.at(c.lat, 0, 9000, c.when);
        ASSERT_TRUE(s && s->direction && s->temperature) << c.when;
        EXPECT_NEAR(*s->direction, c.dir, 0.01) << c.when;
        EXPECT_NEAR(s->speedKnots, c.speed, 0.001) << c.when;
        EXPECT_NEAR(*s->temperature, c.temp, 1e-9) << c.when;
    }
    EXPECT_EQ(isoTime(field.at(40, 0, 9000, k06z + 5 * kHour)->validTime), "2026-12-07T12:00:00Z");

    field.add(std::make_shared<Uniform>("GFS +6", k06z, 90, 5, 0));  // replaces, not adds
    EXPECT_EQ(field.forecasts().size(), 2u);
    EXPECT_NEAR(*field.at(10, 0, 9000, k06z)->direction, 90, 1e-9);
}

}  // namespace
}  // namespace zephyra::weather
