#include <gtest/gtest.h>

#include <string>

#include "support/RealData.h"
#include "weather/WindsAloftText.h"

using zephyra::weather::AloftLevel;
using zephyra::weather::AloftSite;
using zephyra::weather::readAloftField;
using zephyra::weather::readWindsAloftText;

namespace {

// "230/30 +8" for a level, "LV" for light and variable, "-" for a missing temperature.
std::string text(const AloftLevel& l) {
    std::string s = l.lightAndVariable
                        ? "LV"
                        : std::to_string(*l.direction) + "/" + std::to_string(*l.speedKnots);
    if (l.temperature) {
        s += (*l.temperature >= 0 ? " +" : " ") + std::to_string(*l.temperature);
    }
    return s;
}

const AloftSite* site(const std::vector<AloftSite>& sites, const std::string& id) {
    for (const auto& s : sites) {
        if (s.id == id) {
            return &s;
        }
    }
    return nullptr;
}

// Each rule of the format, one field at a time.
TEST(WindsAloftText, FieldForms) {
    const struct {
        const char* field;
        int level;
        const char* expected;  // empty: not a wind
    } cases[] = {
        {"2330+08", 9000, "230/30 +8"},
        {"2325", 3000, "230/25"},
        {"2430-11", 18000, "240/30 -11"},
        {"264039", 30000, "260/40 -39"},
        {"740751", 34000, "240/107 -51"},
        {"7503", 3000, "250/103"},
        {"9900-38", 24000, "LV -38"},
        {"9900", 6000, "LV"},
        {"1826-50", 24000, "180/26 -50"},
        {"0207+03", 6000, "20/7 +3"},
        {"99xx", 3000, ""},
        {"3910+01", 6000, ""},
        {"2330+0", 9000, ""},
        {"", 9000, ""},
    };
    for (const auto& c : cases) {
        const auto l = readAloftField(c.field, c.level);
        EXPECT_EQ(l ? text(*l) : std::string(), c.expected) << c.field;
    }
}

// The real products: the sites and levels a pilot would look up.
TEST(WindsAloftText, RealProductsReadWhole) {
    const auto fd1 = readWindsAloftText(zephyra::test::realData("aloft/FD1US1.txt"));
    ASSERT_TRUE(fd1.has_value());
    EXPECT_EQ(fd1->product, "FD1US1");
    EXPECT_EQ(fd1->basedOn + " " + fd1->valid + " " + fd1->useFrom + "-" + fd1->useTo,
              "080000Z 080600Z 0200-0900");
    EXPECT_EQ(fd1->levels,
              (std::vector<int>{3000, 6000, 9000, 12000, 18000, 24000, 30000, 34000, 39000}));
    EXPECT_EQ(fd1->sites.size(), 176u);
    EXPECT_TRUE(fd1->unread.empty());
    const struct {
        const char* id;
        const char* levels;  // every level the site has, lowest first
    } cases[] = {
        {"ATL",
         "230/25 | 220/26 +14 | 230/30 +8 | 220/31 +2 | 240/30 -11 | 260/39 -23 | "
         "260/40 -39 | 270/40 -50 | 270/48 -61"},
        {"TUL",
         "200/48 | 220/46 +13 | 230/44 +7 | 240/38 -1 | 250/40 -16 | 240/82 -25 | "
         "240/105 -41 | 240/107 -51 | 250/109 -59"},
        // High ground: no 3,000 ft level and no temperature at 6,000 ft.
        {"BFF",
         "280/35 | 280/41 -6 | 270/19 -12 | 230/7 -26 | LV -38 | 330/20 -48 | "
         "320/23 -50 | 260/21 -50"},
        {"ABQ",
         "300/23 -4 | 280/41 -5 | 290/49 -19 | 280/56 -31 | 270/50 -45 | 260/56 -53 | "
         "250/74 -58"},
    };
    for (const auto& c : cases) {
        const AloftSite* s = site(fd1->sites, c.id);
        ASSERT_NE(s, nullptr) << c.id;
        std::string got;
        for (const auto& l : s->levels) {
            got += (got.empty() ? "" : " | ") + text(l);
        }
        EXPECT_EQ(got, c.levels) << c.id;
    }
    // The 9,000 ft level of ABQ is its lowest; 12,000 ft follows.
    EXPECT_EQ(site(fd1->sites, "ABQ")->levels.front().altitudeFeet, 9000);

    const auto hi = readWindsAloftText(zephyra::test::realData("aloft/FD0HW9.txt"));
    ASSERT_TRUE(hi.has_value());
    EXPECT_EQ(hi->levels, (std::vector<int>{30000, 34000, 39000, 45000, 53000}));
    EXPECT_EQ(text(site(hi->sites, "LIH")->levels.front()), "270/109 -33");
    EXPECT_EQ(text(site(hi->sites, "LIH")->levels.back()), "250/52 -73");

    std::string error;
    EXPECT_FALSE(readWindsAloftText("KATL 231052Z 27008KT 10SM SCT035 18/09 A3002\n", &error));
    EXPECT_EQ(error, "no \"FT\" line of levels: not a winds aloft forecast");
}

}  // namespace
