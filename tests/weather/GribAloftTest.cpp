#include <gtest/gtest.h>

#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/GribAloft.h"

namespace zephyra::weather {
namespace {

std::string gribFile(const std::string& name) {
    return std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/grib/" + name;
}

// The real GFS message (a 2 m maximum temperature on the 3072 x 1536 Gaussian grid, complex
// packing): the values at points as ecCodes' grib_get_data prints them.
TEST(GribAloft, DecodesTheRealGfsMessage) {
    std::string error;
    const auto fields = readGribFields(gribFile("gfstmpk.grib2"), &error);
    ASSERT_EQ(fields.size(), 1u) << error;
    const GribField& f = fields.front();
    EXPECT_EQ(f.key.shortName, "tmax");
    EXPECT_EQ(f.key.levelType, "heightAboveGround");
    EXPECT_EQ(f.key.level, 2);
    EXPECT_EQ(f.centre, "kwbc");
    EXPECT_EQ(f.grid.type, "regular_gg");
    EXPECT_TRUE(f.grid.wraps);
    ASSERT_EQ(f.grid.latitudes.size(), 1536u);
    ASSERT_EQ(f.grid.longitudes.size(), 3072u);
    EXPECT_EQ(isoTime(f.referenceTime), "2024-12-17T12:00:00Z");
    EXPECT_EQ(isoTime(f.validTime), "2024-12-17T18:00:00Z");

    // grib_get_data's index counts from the north-west corner, row by row.
    const struct {
        std::size_t index;
        double lat, lon, kelvin;
    } points[] = {
        {0, 89.910325, 0.000000, 240.90},          {3072, 89.794157, 0.000000, 240.91},
        {1476911, 33.680441, 275.507813, 293.16},  {2359296, -0.058575, 0.000000, 300.31},
        {3499998, -43.520986, 116.015625, 285.84}, {4718591, -89.910325, 359.882813, 248.36},
    };
    for (const auto& p : points) {
        const std::size_t row = 1535 - p.index / 3072, column = p.index % 3072;
        EXPECT_NEAR(f.grid.latitudes[row], p.lat, 1e-6) << p.index;
        EXPECT_NEAR(f.grid.longitudes[column], p.lon, 1e-6) << p.index;
        EXPECT_NEAR(f.value(row, column), p.kelvin, 1e-3) << p.index;
    }
}

// Files made by make-aloft.sh: their fields come out south to north, west to east, whichever
// way the file scans.
TEST(GribAloft, PutsEveryScanningInOneOrder) {
    std::string error;
    const auto box = readGribFields(gribFile("aloft-box.grib2"), &error);
    ASSERT_EQ(box.size(), 12u) << error;
    EXPECT_EQ(box[0].grid.latitudes, (std::vector<double>{48, 49, 50}));
    EXPECT_EQ(box[0].grid.longitudes, (std::vector<double>{10, 11, 12, 13}));
    EXPECT_FALSE(box[0].grid.wraps);
    EXPECT_EQ(box[2].key.shortName, "t");
    EXPECT_NEAR(box[2].value(0, 0), 275, 1e-3);  // 48 N 10 E
    EXPECT_NEAR(box[2].value(2, 3), 274, 1e-3);  // 50 N 13 E

    const auto std = readGribFields(gribFile("aloft-std.grib2"), &error);
    ASSERT_EQ(std.size(), 7u) << error;
    EXPECT_EQ(std[0].grid.latitudes, (std::vector<double>{10, 11, 12}));
    EXPECT_EQ(std[0].grid.longitudes, (std::vector<double>{358, 359, 360, 361}));
    EXPECT_NEAR(std[0].value(0, 0), 0, 1e-3);  // u at 10 N 2 W
    EXPECT_NEAR(std[0].value(2, 3), 8, 1e-3);  // u at 12 N 1 E
    EXPECT_EQ(std[6].key.levelType, "heightAboveGround");
}

// Winds and temperatures between grid points and levels, worked out by hand from the values
// make-aloft.sh writes.
TEST(GribAloft, InterpolatesBetweenPointsAndLevels) {
    std::string error;
    const auto box = readGribAloft(gribFile("aloft-box.grib2"), &error);
    const auto std = readGribAloft(gribFile("aloft-std.grib2"), &error);
    const auto ring = readGribAloft(gribFile("aloft-ring.grib2"), &error);
    const auto gaussian = readGribAloft(gribFile("aloft-gaussian.grib2"), &error);
    ASSERT_TRUE(box && std && ring && gaussian) << error;
    EXPECT_EQ(box->name(), "GFS 1 deg 2026-12-07 00Z +6 h");
    EXPECT_EQ(isoTime(box->validTime()), "2026-12-07T06:00:00Z");
    EXPECT_EQ(std->name(), "GFS 1 deg 2026-12-07 12Z +3 h");
    EXPECT_EQ(isoTime(std->validTime()), "2026-12-07T15:00:00Z");

    const struct {
        const AloftData* field;
        double lat, lon, feet;
        double dir, knots, celsius;  // knots < 0: nothing there
    } cases[] = {
        // With geopotential height: 850 hPa at 5000 ft, 500 at 18000 ft (lon 10) to 18600 ft
        // (lon 13), 250 at 35000 ft. Standard altitudes would give 24.031 kt at the first.
        {box.get(), 49, 11, 5000, 260.5377, 23.6479, 0.85},           // a grid point
        {box.get(), 49.5, 11.5, 5000, 257.0054, 25.9341, 0.35},       // between four points
        {box.get(), 48, 10, 11500, 270, 29.1577, -13.15},             // halfway 850 to 500
        {box.get(), 48, 13, 11800, 270, 46.6523, -10.15},             // halfway where 500 is higher
        {box.get(), 48.5, 12.5, 26500, 268.3065, 67.7696, -39.4985},  // both at once
        {box.get(), 49, 11, 1000, 260.5377, 23.6479, 0.85},           // below: the lowest level
        {box.get(), 49, 11, 45000, 270, 77.7538, -53.15},             // above: the highest
        {box.get(), 50, 13, 5000, 255.9638, 32.0587, 0.85},           // the north-east corner
        {box.get(), 50.5, 11, 5000, 0, -1, 0},                        // outside the box
        {box.get(), 49, 13.5, 5000, 0, -1, 0},
        {box.get(), 49, 9.5, 5000, 0, -1, 0},
        // Without: 700 hPa at 9882.48 ft, 300 at 30065.44 ft. The file scans from the
        // south-east and gives its western edge as 358.
        {std.get(), 11, -1, 9882.48, 315, 8.2470, 7.85},
        {std.get(), 11, 359, 9882.48, 315, 8.2470, 7.85},
        {std.get(), 10.5, -0.5, 9882.48, 293.1986, 7.4019, 8.35},
        {std.get(), 12, 1, 19973.96, 292.8337, 40.0734, -16.65},
        {std.get(), 11, 1.5, 9882.48, 0, -1, 0},
        {std.get(), 9.5, 0, 9882.48, 0, -1, 0},
        // Round the earth: between 359 E and 0 the columns join.
        {ring.get(), 0.5, 359.5, 18000, 270, 38.8769, -23.15},
        {ring.get(), 0.5, -0.5, 3000, 270, 38.8769, -23.15},
        {ring.get(), 0, 0.5, 18000, 270, 9.7192, -23.15},
        {ring.get(), 2, 0, 18000, 0, -1, 0},  // the ring stops at 1 N: no stretch to the pole
        // A global Gaussian grid reaches the poles from its end rows (87.86 N and S).
        {gaussian.get(), 45.5, 200.3, 18000, 296.5651, 21.7328, -23.15},
        {gaussian.get(), 90, 0, 18000, 296.5651, 21.7328, -23.15},
        {gaussian.get(), -89, -170, 18000, 296.5651, 21.7328, -23.15},
    };
    for (const auto& c : cases) {
        const auto s = c.field->at(c.lat, c.lon, c.feet);
        const std::string where = c.field->name() + " " + std::to_string(c.lat) + " " +
                                  std::to_string(c.lon) + " " + std::to_string(c.feet);
        if (c.knots < 0) {
            EXPECT_FALSE(s) << where;
            continue;
        }
        ASSERT_TRUE(s && s->direction && s->temperature) << where;
        EXPECT_NEAR(*s->direction, c.dir, 1e-3) << where;
        EXPECT_NEAR(s->speedKnots, c.knots, 1e-3) << where;
        EXPECT_NEAR(*s->temperature, c.celsius, 1e-3) << where;
        EXPECT_EQ(s->source, c.field->name());
    }
    const auto calm = ring->at(0.5, 180, 18000);  // no wind: no direction
    ASSERT_TRUE(calm);
    EXPECT_FALSE(calm->direction);
    EXPECT_NEAR(calm->speedKnots, 0, 1e-9);
}

// Files that are not winds on pressure levels, or not whole, are refused with the reason.
TEST(GribAloft, RefusesWhatItCannotRead) {
    const test::TempDir dir;
    const std::string box = test::realData("grib/aloft-box.grib2");
    std::string hugeGrid = box;  // Ni and Nj of the first message (section 3 from byte 37)
    for (std::size_t i : {67u, 68u, 69u, 70u, 71u, 72u, 73u, 74u}) {
        hugeGrid[i] = i == 67 || i == 71 ? '\x7f' : '\xff';
    }
    std::string badUnit = box;  // the forecast time's unit (section 4, octet 18)
    badUnit[126] = '\xf8';
    std::string badEnd = box;
    badEnd[badEnd.size() - 1] = 'X';
    const struct {
        std::string file;
        std::string error;
    } cases[] = {
        {gribFile("gfstmpk.grib2"), "no wind on pressure levels"},
        {gribFile("aloft-mismatch.grib2"), "on more than one grid (v at 500 hPa"},
        {dir.write("cut.grib2", box.substr(0, 1100)),
         "cut short: message 6 (at byte 1039) should have 215 bytes"},
        {dir.write("head.grib2", "GRIB\0\0\0"), "cut short: message 1 (at byte 0) ends in its"},
        {dir.write("junk.grib2", "GRIB junk after the magic word, not a message"), "not GRIB"},
        {dir.write("long.grib2",
                   std::string("GRIB\0\0\0\2\xff\xff\xff\xff\xff\xff\xff\xff", 16) + "rest"),
         "impossible length of 18446744073709551615 bytes"},
        {dir.write("grib1.grib2", std::string("GRIB\0\0\x20\1", 8) + std::string(40, '\0')),
         "GRIB edition 1"},
        {dir.write("end.grib2", badEnd), "does not end in 7777"},
        {dir.write("unit.grib2", badUnit),
         "message 1 (u at 850 hPa) gives its forecast time in "
         "an unknown unit (248)"},
        {dir.write("huge.grib2", hugeGrid), "has a grid of 2147483647 x 2147483647 points"},
        {dir.write("empty.grib2", ""), "holds no GRIB message"},
        {dir.file("missing.grib2"), "cannot read the file"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(readGribAloft(c.file, &error)) << c.file;
        EXPECT_NE(error.find(c.error), std::string::npos) << c.file << ": " << error;
    }
}

}  // namespace
}  // namespace zephyra::weather
