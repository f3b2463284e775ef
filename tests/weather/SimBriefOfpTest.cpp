#include "weather/SimBriefOfp.h"

#include <gtest/gtest.h>

#include "support/RealData.h"

namespace zephyra::weather {
namespace {

// The hand-written OFP's winds: at a fix its own levels, linear in altitude between them and
// the end level's beyond (the values are the file's, the halves worked by hand).
TEST(SimBriefOfp, TheFixWindsAreTheFieldAtTheFixes) {
    const auto ofp = readSimBriefOfp(test::realData("plans/simbrief-katl-kjfk.xml"));
    ASSERT_TRUE(ofp);
    EXPECT_EQ(ofp->fixes.size(), 21u);
    EXPECT_EQ(ofp->initialAltitudeFeet, 35000);
    const auto field = ofpAloftData(*ofp);
    ASSERT_TRUE(field);
    EXPECT_EQ(field->name(), "SimBrief OFP KATL-KJFK");
    struct Case {
        double lat, lon, alt, dir, knots, temp;
    } const cases[] = {
        {35.033611, -81.927222, 35000, 261, 66, -54},      // SPA
        {35.033611, -81.927222, 32500, 260, 62.5, -49.5},  // SPA, between 30,000 and 35,000
        {33.970833, -83.968056, 5000, 235, 19, -5},        // HAARY, below its lowest level
        {33.970833, -83.968056, 45000, 258, 52, -56},      // HAARY, above its highest
        {38.633000, -75.458000, 35000, 280, 102, -54},     // TOD
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.alt);
        const auto s = field->at(c.lat, c.lon, c.alt);
        ASSERT_TRUE(s && s->direction && s->temperature);
        EXPECT_NEAR(*s->direction, c.dir, 0.01);
        EXPECT_NEAR(s->speedKnots, c.knots, 0.01);
        EXPECT_NEAR(*s->temperature, c.temp, 0.01);
    }
    EXPECT_FALSE(field->at(51.5, -0.1, 35000));  // London: no fix within reach
}

// Two fixes 60 nm apart, each with its single wind (no wind_data): halfway the winds average
// as vectors, 270/40 and 360/40 giving 315 at 40 / sqrt(2) = 28.28 kt.
TEST(SimBriefOfp, BetweenFixesTheWindsAverageAsVectors) {
    const auto ofp = readSimBriefOfp(
        "<OFP><origin><icao_code>KAAA</icao_code></origin><navlog>"
        "<fix><ident>A</ident><pos_lat>40</pos_lat><pos_long>-80</pos_long>"
        "<altitude_feet>30000</altitude_feet><wind_dir>270</wind_dir><wind_spd>40</wind_spd>"
        "<oat>-40</oat></fix>"
        "<fix><ident>B</ident><pos_lat>41</pos_lat><pos_long>-80</pos_long>"
        "<altitude_feet>30000</altitude_feet><wind_dir>360</wind_dir><wind_spd>40</wind_spd>"
        "<oat>-44</oat><unknown><deeper>skipped</deeper></unknown></fix></navlog></OFP>");
    ASSERT_TRUE(ofp);
    const auto field = ofpAloftData(*ofp);
    ASSERT_TRUE(field);
    const auto mid = field->at(40.5, -80, 20000);
    ASSERT_TRUE(mid && mid->direction);
    EXPECT_NEAR(*mid->direction, 315, 0.1);
    EXPECT_NEAR(mid->speedKnots, 28.28, 0.01);
    EXPECT_NEAR(*mid->temperature, -42, 0.01);
    const auto atA = field->at(40, -80, 10000);
    ASSERT_TRUE(atA && atA->direction);
    EXPECT_NEAR(*atA->direction, 270, 0.01);
}

std::string fixes(int n, const char* lat = "35") {
    std::string text = "<OFP><navlog>";
    for (int i = 0; i < n; ++i) {
        text += std::string("<fix><pos_lat>") + lat + "</pos_lat><pos_long>-80</pos_long></fix>";
    }
    return text + "</navlog></OFP>";
}

std::string deep(int n) {
    std::string text = "<OFP>";
    for (int i = 0; i < n; ++i) {
        text += "<a>";
    }
    return text;
}

// Altitudes as an edited OFP may write them: a flight level is its hundreds of feet, whatever
// the case; anything else that is not a number is no altitude.
TEST(SimBriefOfp, AltitudesInFeetOrFlightLevels) {
    const struct {
        const char* text;
        std::optional<double> feet;
    } cases[] = {{"35000", 35000.0},   {"FL350", 35000.0},      {"fl090", 9000.0},
                 {"FL", std::nullopt}, {"FL-10", std::nullopt}, {"35,000", std::nullopt}};
    for (const auto& c : cases) {
        const std::string text = std::string("<OFP><general><initial_altitude>") + c.text +
                                 "</initial_altitude></general><navlog><fix><pos_lat>35</pos_lat>"
                                 "<pos_long>-80</pos_long><altitude_feet>" +
                                 c.text + "</altitude_feet></fix></navlog></OFP>";
        const auto ofp = readSimBriefOfp(text);
        ASSERT_TRUE(ofp) << c.text;
        EXPECT_EQ(ofp->initialAltitudeFeet, c.feet) << c.text;
        EXPECT_EQ(ofp->fixes.at(0).altitudeFeet, c.feet) << c.text;
    }
}

TEST(SimBriefOfp, HostileFilesAreRefusedWithTheReason) {
    const struct {
        std::string text;
        const char* why;
    } cases[] = {
        {"not an OFP at all", "not XML"},
        {"<?xml version=\"1.0\"?><gpx><rte/></gpx>", "not SimBrief's <OFP>"},
        {"<?xml version=\"1.0\"?><!DOCTYPE OFP [<!ENTITY x \"y\">]><OFP/>", "document type"},
        {"<OFP><navlog><fix><ident>&x;</ident></fix></navlog></OFP>", "Entity 'x' not declared"},
        {std::string(100, '<') + "OFP>", "not XML"},
        {deep(70), "nested more than 64"},
        {fixes(1, "999"), "fix 1 () lies off the Earth (latitude 999"},
        {"<OFP><general><route>A B</route></general></OFP>", "no navlog fixes"},
        // What SimBrief sends for an unknown pilot.
        {"<OFP><fetch><userid>0</userid><status>Error: Unknown UserID</status></fetch></OFP>",
         "SimBrief did not give an OFP: Error: Unknown UserID"},
        {fixes(100000), "more than 2001 fixes"},
        {"<OFP><navlog><fix></navlog></OFP>", "tag mismatch"},
        {"<OFP><navlog>", "Premature end of document"},
        {"<OFP/><OFP/>", "Extra content at end of document"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(readSimBriefOfp(c.text, &error)) << c.why;
        EXPECT_NE(error.find(c.why), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace zephyra::weather
