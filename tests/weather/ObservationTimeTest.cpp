#include "weather/ObservationTime.h"

#include <gtest/gtest.h>

namespace zephyra::weather {
namespace {

TEST(ObservationTime, DayHourMinuteWithTheFilesMonthAndYear) {
    const ReferenceDate oct23{2022, 10, 23};
    struct Case {
        const char* line;
        std::optional<ReferenceDate> reference;
        const char* expected;
    };
    const Case cases[] = {
        {"KJFK 231051Z COR 02008KT 10SM FEW035", oct23, "2022-10-23T10:51Z"},
        {"METAR KATL 230052Z 27010KT", oct23, "2022-10-23T00:52Z"},
        {"KATL 240002Z 27010KT", oct23, "2022-10-24T00:02Z"},  // a report just past midnight
        {"KATL 312351Z 27010KT", ReferenceDate{2023, 1, 1}, "2022-12-31T23:51Z"},
        // A day the month has not is the month before's: never a date that does not exist.
        {"KATL 311052Z 27010KT", ReferenceDate{2026, 11, 30}, "2026-10-31T10:52Z"},
        {"KATL 311052Z 27010KT", ReferenceDate{2026, 5, 2}, "2026-03-31T10:52Z"},
        {"KATL 301052Z 27010KT", ReferenceDate{2025, 3, 1}, "2025-01-30T10:52Z"},
        {"KATL 291052Z 27010KT", ReferenceDate{2024, 3, 1}, "2024-02-29T10:52Z"},
        {"KATL 291052Z 27010KT", ReferenceDate{2100, 3, 1}, "2100-01-29T10:52Z"},
        {"KATL 27010KT 10SM", oct23, ""},            // no time group
        {"KATL 232561Z 27010KT", oct23, ""},         // no such hour
        {"KATL 231051Z 27010KT", std::nullopt, ""},  // no date for it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(observationTime(c.line, c.reference), c.expected) << c.line;
    }
}

TEST(ObservationTime, AgeAgainstTheClock) {
    const double observed = *observationSeconds("2022-10-23T10:51Z");
    EXPECT_EQ(observed, 1666522260.0);
    EXPECT_EQ(observedText("2022-10-23T10:51Z", 0), "10:51Z");
    EXPECT_EQ(observedText("2022-10-23T10:51Z", observed + 3 * 3600 + 5 * 60),
              "10:51Z, 3 h 05 min ago");
    EXPECT_EQ(observedText("2022-10-23T10:51Z", observed + 3 * 86400), "10:51Z, 3 days ago");
    EXPECT_EQ(observedText("2022-10-23T10:51Z", observed - 60), "10:51Z");
    EXPECT_EQ(observedText("", observed), "");
}

}  // namespace
}  // namespace zephyra::weather
