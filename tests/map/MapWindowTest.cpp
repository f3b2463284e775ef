#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "map/MapRenderer.h"
#include "map/MapWindow.h"
#include "shell/MainWindowFixture.h"
#include "shell/MapBinder.h"
#include "shell/PlanControls.h"
#include "support/DbRows.h"
#include "weather/AloftField.h"

using namespace zephyra;

namespace {

using MapWindowTest = test::MainWindowFixture;

// 270 degrees, 50 kt at every point and level.
class WestWind final : public weather::AloftData {
    std::optional<weather::AloftSample> at(double, double, double) const override {
        return weather::AloftSample{270.0, 50.0, -5.0, "WEST", 0};
    }
    std::string name() const override { return "WEST"; }
    std::int64_t validTime() const override { return 1796709600; }  // 2026-12-08 06Z
};

QPoint at(map::MapCanvas& canvas, double lat, double lon) {
    const map::ScreenPoint s = canvas.view().project({lat, lon});
    return QPoint(static_cast<int>(std::lround(s.x)), static_cast<int>(std::lround(s.y)));
}

}  // namespace

// A label is drawn only where it overlaps none drawn before; the plan's take their room.
TEST(MapLabels, ALabelNeedsRoomOfItsOwn) {
    map::LabelSpace space;
    const struct {
        QRectF box;
        bool drawn;
    } cases[] = {
        {{10, 10, 60, 12}, true},    // the first
        {{40, 15, 60, 12}, false},   // over the first
        {{10, 23, 60, 12}, true},    // just below it
        {{62, 40, 80, 12}, true},    // across a grid cell's edge
        {{120, 45, 30, 12}, false},  // over that one, in the next cell
    };
    for (const auto& c : cases) {
        EXPECT_EQ(space.claim(c.box), c.drawn) << c.box.x() << "," << c.box.y();
    }
    space.take({300, 300, 50, 12});
    EXPECT_FALSE(space.claim({320, 305, 10, 10}));
    space.clear();
    EXPECT_TRUE(space.claim({40, 15, 60, 12}));
}

// The map refreshes only while it is shown.
TEST_F(MapWindowTest, OpensOnTheScreenFollowsTheProgramAndFillsTheFindBox) {
    {
        auto db = weather::WeatherDb::open(context.databasePath());
        test::addWps(*db, {"Atlanta", "V", "333745", -1, "0842606", -1, "116.90", "ATL"});
        test::addWps(*db, {"Atlanta", "N", "330613", -1, "0941127", -1, "234", "ATL"});
    }
    context.waypoints.add("V", "Atlanta", "116.90", 33.629167, -84.435);
    context.waypoints.add("C", "ATLANTA HARTSFIELD", "KATL", 33.64, -84.0, 10, 40, {}, 3);
    auto w = openMain();
    w->findChild<QPushButton*>("WeatherMapButton")->click();
    auto* binder = w->findChild<shell::MapBinder*>();
    ASSERT_NE(binder->window(), nullptr);
    map::MapWindow& mw = *binder->window();
    EXPECT_TRUE(binder->refreshTimer().running());
    mw.hide();
    EXPECT_FALSE(binder->refreshTimer().running());
    binder->open();
    EXPECT_TRUE(binder->refreshTimer().running());

    map::MapCanvas& canvas = mw.canvas();
    canvas.view().setScale(100.0);
    canvas.view().setCentre({33.6, -84.2});

    ASSERT_TRUE(canvas.scene().aircraft.has_value());

    // Clicking the VOR finds it by its identifier, ahead of the NDB that shares it.
    mouse(&canvas, QEvent::MouseButtonPress, Qt::LeftButton, at(canvas, 33.629, -84.435));
    mouse(&canvas, QEvent::MouseButtonRelease, Qt::LeftButton, at(canvas, 33.629, -84.435));
    EXPECT_EQ(w->textBox("FoundWayp")->text(), "ATL (VOR) Atlanta 116.90");

    // Resting on the station shows its report (no weather loaded here).
    const QPoint katl = at(canvas, 33.64, -84.0);
    QMouseEvent move(QEvent::MouseMove, QPointF(katl), canvas.mapToGlobal(QPointF(katl)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&canvas, &move);
    EXPECT_TRUE(canvas.toolTip().startsWith("KATL ATLANTA HARTSFIELD\n"));
    mw.layerSwitch("Stations")->setChecked(false);
    EXPECT_EQ(canvas.stationAt(QPointF(katl)), 0);
    mw.layerSwitch("Stations")->setChecked(true);

    // The station's dot: magenta for a thunderstorm, or red for IFR when coloured by flight
    // category.
    const auto dotAt = [&](QPoint p) {
        QImage image(canvas.size(), QImage::Format_ARGB32);
        canvas.render(&image);
        return image.pixelColor(p);
    };
    EXPECT_EQ(dotAt(katl), QColor(214, 30, 200));
    mw.layerSwitch("Flight category")->setChecked(true);
    EXPECT_TRUE(canvas.scene().layers.flightCategories);
    EXPECT_EQ(dotAt(katl), QColor(220, 0, 0));
    mw.layerSwitch("Flight category")->setChecked(false);

    // A new weather load and the closest station show within a second.
    context.waypoints.add("C", "PEACHTREE", "KPDK", 33.88, -84.3, 9, 0);
    w->label("Text3")->setText("KPDK-PEACHTREE, GA");
    scheduler.advance(1.0);
    EXPECT_EQ(canvas.scene().points->stations.positions.size(), 2u);
    EXPECT_EQ(context.waypoints.WpsFreq[canvas.scene().closestStation], "KPDK");

    // The plan with its active leg, and fitting the view to it.
    auto& flight = w->planControls().flight();
    flight.leg.active = true;
    flight.leg.CurWpLat = 36.1;
    flight.leg.CurWpLon = -79.9;
    flight.leg.FWAYP = "Greensboro";
    flight.plan.append({"Kennedy", "9000", "250", 40.64, -73.78, 9000, 250});
    scheduler.advance(1.0);
    const map::PlanRoute& route = canvas.scene().route;
    EXPECT_EQ(route.names, (std::vector<std::string>{"Greensboro", "Kennedy"}));
    EXPECT_EQ(route.active, 0);
    mw.fitPlan();
    EXPECT_TRUE(canvas.view().onScreen(canvas.view().project({40.64, -73.78}), 0));
    EXPECT_TRUE(
        canvas.view().onScreen(canvas.view().project(canvas.scene().aircraft->position), 0));

    // Wind barbs: the level chooser waits for winds aloft; then the barbs show at its level.
    QComboBox* level = mw.windLevelChooser();
    EXPECT_FALSE(level->isEnabled());
    EXPECT_EQ(level->currentText(), "9,000 ft");
    const auto barbPixels = [&] {
        QImage image(canvas.size(), QImage::Format_ARGB32);
        canvas.render(&image);
        int n = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                n += c.red() < 60 && c.green() < 80 && c.blue() > 90 ? 1 : 0;
            }
        }
        return n;
    };
    const int without = barbPixels();  // the dark blue of the aircraft and the sprites
    auto field = std::make_shared<weather::AloftField>();
    field->add(std::make_shared<WestWind>());
    context.aloft = field;
    scheduler.advance(1.0);
    EXPECT_TRUE(level->isEnabled());
    EXPECT_EQ(canvas.scene().windLevel, 9000);
    EXPECT_EQ(canvas.scene().windCaption, "Winds aloft 9,000 ft: WEST valid 2026-12-08 06Z");
    EXPECT_GT(barbPixels(), without + 200);
    level->setCurrentIndex(level->findText("FL340"));
    EXPECT_EQ(canvas.scene().windLevel, 34000);
    level->setCurrentIndex(level->findText("Off"));
    EXPECT_LT(barbPixels(), without + 20);
    context.aloft = std::make_shared<weather::AloftField>();
    scheduler.advance(1.0);
    EXPECT_FALSE(level->isEnabled());
    EXPECT_EQ(canvas.scene().aloft, nullptr);

    // A weather load empties the store before the next refresh: nothing touches the gone entries.
    context.waypoints.clear();
    EXPECT_FALSE(canvas.grab().isNull());
    QApplication::sendEvent(&canvas, &move);
    EXPECT_TRUE(canvas.toolTip().isEmpty());
}
