#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>
#include <vector>

#include "flightplan/GreatCircle.h"
#include "flightplan/WaypointStore.h"
#include "map/BaseMap.h"
#include "map/MapScene.h"
#include "map/MapView.h"
#include "map/Palette.h"
#include "map/WindBarbs.h"
#include "weather/AloftField.h"

using namespace zephyra::map;

namespace {

// 250 degrees, 65 kt north of 40 N, nothing south of it.
class NorthOf40 final : public zephyra::weather::AloftData {
    std::optional<zephyra::weather::AloftSample> at(double lat, double, double) const override {
        if (lat < 40.0) {
            return std::nullopt;
        }
        return zephyra::weather::AloftSample{250.0, 65.0, std::nullopt, "N40", 0};
    }
    std::string name() const override { return "N40"; }
    std::int64_t validTime() const override { return 0; }
};

MapView viewAt(double lat, double lon, double scale) {
    MapView v(1000, 500);
    v.setScale(scale);
    v.setCentre({lat, lon});
    return v;
}

}  // namespace

TEST(MapProjection, ProjectsAndUnprojectsAcrossTheAntimeridian) {
    const struct {
        double centreLat, centreLon, scale, lat, lon, x, y;
    } cases[] = {
        {0, 0, 10, 10, -20, 300, 150},    // north-west of the centre
        {0, 179, 10, 0, -179, 520, 250},  // east across 180: two degrees, not 358
        {0, -179, 10, 0, 179, 480, 250},  // and west across it
        {40, -75, 40, 40.5, -74.0, 540, 230},
    };
    for (const auto& c : cases) {
        const MapView v = viewAt(c.centreLat, c.centreLon, c.scale);
        const ScreenPoint s = v.project({c.lat, c.lon});
        EXPECT_NEAR(s.x, c.x, 1e-9) << c.lat << " " << c.lon;
        EXPECT_NEAR(s.y, c.y, 1e-9) << c.lat << " " << c.lon;
        const GeoPoint back = v.unproject(s);
        EXPECT_NEAR(back.lat, c.lat, 1e-9);
        EXPECT_NEAR(wrapLongitude(back.lon - c.lon), 0.0, 1e-9);
    }
}

TEST(MapProjection, WrapsLongitudesAndWorldCopies) {
    const struct {
        double in, out;
    } wraps[] = {{0, 0}, {180, -180}, {-180, -180}, {190, -170}, {-190, 170}, {725, 5}};
    for (const auto& w : wraps) {
        EXPECT_DOUBLE_EQ(wrapLongitude(w.in), w.out) << w.in;
    }
    // A 1000 px view at 10 px/degree straddling the 180th meridian shows two copies.
    EXPECT_EQ(viewAt(0, 0, 10).worldOffsets(), std::vector<double>{0.0});
    EXPECT_EQ(viewAt(0, 170, 10).worldOffsets(), (std::vector<double>{0.0, 360.0}));
    EXPECT_EQ(viewAt(0, -170, 10).worldOffsets(), (std::vector<double>{-360.0, 0.0}));
}

TEST(MapProjection, ZoomKeepsTheAnchorPanMovesAndTheViewStaysOnTheGlobe) {
    MapView v = viewAt(30, -80, 20);
    const ScreenPoint anchor{800, 100};
    const GeoPoint under = v.unproject(anchor);
    v.zoomAbout(anchor, 3.0);
    EXPECT_DOUBLE_EQ(v.scale(), 60);
    const ScreenPoint after = v.project(under);
    EXPECT_NEAR(after.x, anchor.x, 1e-6);
    EXPECT_NEAR(after.y, anchor.y, 1e-6);

    v.pan(120, -60);  // drag right and up: the map moves west and south of its centre
    EXPECT_NEAR(v.project(under).x, anchor.x + 120, 1e-6);
    EXPECT_NEAR(v.project(under).y, anchor.y - 60, 1e-6);

    v.zoomAbout({0, 0}, 1e-6);  // zoomed out to the whole world: no more, no poles passed
    EXPECT_DOUBLE_EQ(v.scale(), v.minScale());
    EXPECT_DOUBLE_EQ(v.north(), 90.0);
    v.pan(0, -10000);
    EXPECT_DOUBLE_EQ(v.south(), -90.0);
}

TEST(MapProjection, FitTakesAPlanAcrossTheAntimeridian) {
    MapView v(1000, 500);
    const std::vector<GeoPoint> atlantaNewYork{{33.64, -84.43}, {40.64, -73.78}};
    v.fit(atlantaNewYork, 40);
    for (const GeoPoint& p : atlantaNewYork) {
        EXPECT_TRUE(v.onScreen(v.project(p), -39.0));
    }
    const std::vector<GeoPoint> pacific{{21.3, -157.9}, {-33.9, 151.2}, {13.5, 144.8}};
    v.fit(pacific, 40);
    EXPECT_GT(std::abs(v.centre().lon), 150.0);  // centred over the Pacific, not Africa
    for (const GeoPoint& p : pacific) {
        EXPECT_TRUE(v.onScreen(v.project(p), -39.0));
    }
}

TEST(MapHitTest, FindsTheNearestPointWithinTheRadius) {
    const MapView v = viewAt(0, 179, 10);
    const std::vector<GeoPoint> points{{0, 179}, {0, -179.5}, {0.3, -179.5}, {10, 0}};
    const struct {
        double x, y;
        std::optional<std::size_t> hit;
    } cases[] = {
        {500, 250, 0},             // on the first point
        {514, 250, 1},             // east across 180: 1.5 degrees, 15 px
        {515, 247, 2},             // nearer the third
        {505, 250, 0},             // between: the first is nearer
        {530, 250, std::nullopt},  // nothing within 7 px
    };
    for (const auto& c : cases) {
        EXPECT_EQ(nearestWithin(v, points, {c.x, c.y}, 7.0), c.hit) << c.x << "," << c.y;
    }
    EXPECT_EQ(nearestWithin(v, {}, {500, 250}, 7.0), std::nullopt);
}

TEST(MapPalette, CategoriesAndPrecipitationLevels) {
    EXPECT_EQ(categoryColour(-1), categoryColour(11));  // unknown: grey
    EXPECT_EQ(categoryLabel(3), "3/8 cloud");

    const struct {
        int index, level;
    } levels[] = {{0, 0}, {-3, 0}, {1, 1}, {5, 1}, {6, 2}, {41, 9}, {60, 9}};
    for (const auto& l : levels) {
        EXPECT_EQ(precipitationLevel(l.index), l.level) << l.index;
    }
    EXPECT_EQ(precipitationLabel(2), "6-10");
}

TEST(MapLayers, KindsZoomLevelsAndDetail) {
    zephyra::flightplan::WaypointStore store;
    store.add("V", "ATLANTA", "116.90", 33.6, -84.4);
    store.add("C", "ATLANTA HARTSFIELD", "KATL", 33.64, -84.43, 6, 12);
    store.add("W", "BURNY", "", 34.0, -84.0);
    const StorePoints points = splitStore(store);
    EXPECT_EQ(points.stations.storeIndex, std::vector<int>{2});
    EXPECT_EQ(points.vors.storeIndex, std::vector<int>{1});
    EXPECT_EQ(points.fixes.storeIndex, std::vector<int>{3});

    const auto before = storeFingerprint(store);
    store.WpsWxCat[2] = 10;
    EXPECT_NE(storeFingerprint(store), before);

    MapLayers layers;
    EXPECT_TRUE(shownAt(PointKind::Station, 2.0, layers));
    EXPECT_FALSE(shownAt(PointKind::Fix, 100.0, layers));
    EXPECT_TRUE(shownAt(PointKind::Fix, 300.0, layers));
    layers.fixes = false;
    EXPECT_FALSE(shownAt(PointKind::Fix, 300.0, layers));
    EXPECT_EQ(detailFor(3.0), Detail::Coarse110m);
    EXPECT_EQ(detailFor(40.0), Detail::Fine50m);
}

TEST(MapBaseMap, ReadsTheShippedFilesAndRefusesDamagedOnes) {
    const std::string folder = ZEPHYRA_SOURCE_DIR "/data/map/";
    for (Detail d : {Detail::Coarse110m, Detail::Fine50m}) {
        std::string error;
        const BaseMap map = loadBaseMap(folder + baseMapFileName(d), &error);
        EXPECT_EQ(error, "");
        for (const auto& layer : map.layers) {
            EXPECT_FALSE(layer.empty());
        }
    }
    std::string error;
    EXPECT_EQ(loadBaseMap(folder + "missing.zmap", &error).vertexCount(), 0u);
    EXPECT_NE(error, "");
    // A ring that claims more points than the file holds.
    EXPECT_EQ(
        decodeBaseMap(std::string("ZMAP\x01\x01\x02\x01\x7f\x02\x02", 11), &error).vertexCount(),
        0u);
    EXPECT_EQ(error, "damaged base-map file");
    EXPECT_EQ(decodeBaseMap("ZMAX", &error).vertexCount(), 0u);
}

TEST(MapTrack, KeepsVisibleStepsUpToItsLength) {
    AircraftTrack track;
    EXPECT_TRUE(track.add({33.0, 179.999}));
    EXPECT_FALSE(track.add({33.0, -179.9995}));  // a hair across 180 is no step
    for (int i = 1; i <= 200; ++i) {
        track.add({33.0 + i * 0.01, -84.0});
    }
    EXPECT_EQ(track.points().size(), AircraftTrack::kLength);
    EXPECT_DOUBLE_EQ(track.points().back().lat, 35.0);
}

TEST(MapPlanLegs, FollowGreatCircles) {
    const struct {
        GeoPoint from, to;
        std::size_t points;
        double midLat, midLon;  // the point halfway (odd point counts)
    } cases[] = {
        {{0, 10}, {0, 20}, 11, 0.0, 15.0},            // along the equator: the equator
        {{40, -170}, {40, 170}, 17, 40.4325, 180.0},  // across 180: bulges towards the pole
        {{80, 0}, {80, 170}, 21, 89.12, 85.0},        // near the pole: longitude swings fast
        {{10, 10}, {10, 10}, 2, -1, -1},              // same point: the two ends only
    };
    for (const auto& c : cases) {
        const auto pts = greatCircleLeg(c.from, c.to);
        ASSERT_EQ(pts.size(), c.points) << c.from.lat << " " << c.from.lon;
        EXPECT_EQ(pts.front().lat, c.from.lat);
        EXPECT_EQ(pts.back().lon, c.to.lon);
        for (std::size_t i = 1; i < pts.size(); ++i) {  // steps of at most a degree
            EXPECT_LE(zephyra::flightplan::sphericalCourseDistance(pts[i - 1].lat, pts[i - 1].lon,
                                                                   pts[i].lat, pts[i].lon)
                          .distance,
                      60.0 + 1e-6);
        }
        if (c.points % 2 == 1) {
            const auto& mid = pts[pts.size() / 2];
            EXPECT_NEAR(mid.lat, c.midLat, 0.01);
            EXPECT_NEAR(std::fabs(mid.lon), std::fabs(c.midLon), 0.01);
        }
    }
}

// Barbs: pennants of 50 kt, barbs of 10, a half of 5, the speed rounded to 5 kt; calm below.
TEST(MapWinds, BarbMarksShapesAndLevels) {
    const struct {
        double knots;
        BarbMarks marks;
    } cases[] = {
        {0, {0, 0, 0, true}},    {2.4, {0, 0, 0, true}},
        {2.5, {0, 0, 1, false}}, {10, {0, 1, 0, false}},
        {47, {0, 4, 1, false}},  {50, {1, 0, 0, false}},
        {65, {1, 1, 1, false}},  {103, {2, 0, 1, false}},
        {-8, {0, 0, 0, true}},   {std::nan(""), {0, 0, 0, true}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(barbMarks(c.knots), c.marks) << c.knots;
    }
    // The staff points into the wind; the barbs stand clockwise of it in the north (a north
    // wind's to the east, a west wind's to the north) and the other way in the south.
    const struct {
        double from, knots;
        bool southern;
        ScreenPoint staffEnd;
        double barbX, barbY;  // the sign of the first barb's reach from the staff
        std::size_t lines, pennants;
    } shapes[] = {
        {360, 10, false, {0, -26}, 1, 0, 2, 0}, {270, 10, false, {-26, 0}, 0, -1, 2, 0},
        {270, 10, true, {-26, 0}, 0, 1, 2, 0},  {90, 65, false, {26, 0}, 0, 1, 3, 1},
        {180, 5, false, {0, 26}, -1, 0, 2, 0},
    };
    for (const auto& s : shapes) {
        SCOPED_TRACE(s.from);
        const BarbShape shape = barbShape(s.from, s.knots, s.southern, 26.0);
        ASSERT_EQ(shape.lines.size(), s.lines);
        EXPECT_EQ(shape.pennants.size(), s.pennants);
        EXPECT_NEAR(shape.lines[0].to.x, s.staffEnd.x, 1e-9);
        EXPECT_NEAR(shape.lines[0].to.y, s.staffEnd.y, 1e-9);
        const auto& barb = shape.lines[1];
        const double across = s.barbX != 0 ? (barb.to.x - barb.from.x) * s.barbX
                                           : (barb.to.y - barb.from.y) * s.barbY;
        EXPECT_GT(across, 5.0);
        EXPECT_EQ(shape.circle, 0.0);
    }
    // A lone half barb stands in from the end of the staff.
    const auto half = barbShape(360, 5, false, 26.0);
    EXPECT_GT(half.lines[1].from.y, -26.0 + 1.0);
    EXPECT_GT(barbShape(200, 1, false, 26.0).circle, 0.0);
    EXPECT_TRUE(barbShape(200, 1, false, 26.0).lines.empty());

    EXPECT_EQ(windLevelText(3000), "3,000 ft");
    EXPECT_EQ(windLevelText(12000), "12,000 ft");
    EXPECT_EQ(windLevelText(18000), "FL180");
    EXPECT_EQ(windLevelText(39000), "FL390");
}

// 10 to 20 barbs across whatever the zoom, on whole multiples of the step, each once.
TEST(MapWinds, LatticeOverTheView) {
    const struct {
        double lat, lon, degreesAcross;
        double step;
        std::size_t columns, rows;
    } cases[] = {
        {38, -96, 60, 5, 12, 6},         // the United States: 125 W to 70 W, 25 N to 50 N
        {0, 0, 360, 20, 18, 9},          // the whole world: 180 W to 160 E, 80 S to 80 N
        {40.1, -74.2, 10, 0.5, 20, 10},  // New York: 79 W to 69.5 W, 38 N to 42.5 N
        {0, 179, 30, 2, 16, 7},          // across the date line: 164 E to 166 W
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.degreesAcross);
        const MapView view = viewAt(c.lat, c.lon, 1000.0 / c.degreesAcross);
        EXPECT_EQ(latticeStep(view), c.step);
        const auto points = windLattice(view);
        std::set<std::pair<double, double>> distinct;
        std::set<double> lats;
        for (const auto& p : points) {
            distinct.insert({p.lat, p.lon});
            lats.insert(p.lat);
            EXPECT_EQ(std::fmod(p.lat, c.step), 0.0);
            EXPECT_EQ(std::fmod(p.lon, c.step), 0.0);
            EXPECT_TRUE(view.onScreen(view.project(p), 0.5));
            EXPECT_GE(p.lon, -180.0);
            EXPECT_LT(p.lon, 180.0);
        }
        EXPECT_EQ(distinct.size(), points.size());
        EXPECT_EQ(lats.size(), c.rows);
        EXPECT_EQ(points.size(), c.rows * c.columns);
    }
    // Barbs where the field reaches; none from an empty field.
    const MapView us = viewAt(38, -96, 1000.0 / 60);
    zephyra::weather::AloftField field;
    EXPECT_TRUE(windBarbs(us, field, 9000).empty());
    field.add(std::make_shared<NorthOf40>());
    const auto barbs = windBarbs(us, field, 9000);
    ASSERT_EQ(barbs.size(), 3u * 12u);  // the rows at 40, 45 and 50 N
    EXPECT_EQ(barbs.front().at.lat, 50.0);
    EXPECT_EQ(*barbs.front().direction, 250.0);
    EXPECT_EQ(barbs.back().knots, 65.0);
}
