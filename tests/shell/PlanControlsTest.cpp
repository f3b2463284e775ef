#include "MainWindowFixture.h"

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include "shell/FindBoxBinder.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/PlanControls.h"
#include "shell/PlanListsBinder.h"
#include "shell/PlanTableBinder.h"
#include "support/DbRows.h"
#include "weather/AloftField.h"

#include <cmath>

using namespace zephyra;
using platform::Answer;
using shell::VaneWindow;

namespace {

// 270 degrees, 50 kt at every point and level.
class WestWind final : public weather::AloftData {
    std::optional<weather::AloftSample> at(double, double, double) const override {
        return weather::AloftSample{270.0, 50.0, -5.0, "WEST", 0};
    }
    std::string name() const override { return "WEST"; }
    std::int64_t validTime() const override { return 1796709600; }  // 2026-12-08 06Z
};

// Two airports in the database and VORs every 1.2 degrees between them.
class PlanControlsTest : public test::MainWindowFixture {
  protected:
    void SetUp() override {
        {
            auto db = weather::WeatherDb::open(context.databasePath());
            test::addWps(*db, {"Atlanta Intl", "A", "333813", -1, "0842542", -1, "", "KATL"});
            test::addWps(*db, {"Kennedy Intl", "A", "403822", -1, "0734647", -1, "", "KJFK"});
        }
        for (int i = 1; i < 10; ++i) {
            context.waypoints.add("V", "VOR" + std::to_string(i), "11" + std::to_string(i),
                                  33.64 + i * 0.875, -84.43 + i * 1.33);
        }
        w = openMain();
        w->textBox("Text8")->setText("1");
        context.shared.planDistance = 100;
    }
    // Finds each waypoint and adds it to the plan at the altitude and speed given.
    void add(const char* altitude, const char* speed, std::initializer_list<const char*> names) {
        w->textBox("AltHld")->setText(altitude);
        w->textBox("Speed")->setText(speed);
        for (const char* name : names) {
            w->textBox("FWP")->setText(name);
            emit w->textBox("FWP")->returnPressed();
            click(w->picture("Picture25"));
        }
    }
    QStringList rows(const char* list) {
        QStringList out;
        for (int i = 0; i < w->list(list)->count(); ++i) {
            out << w->list(list)->item(i)->text();
        }
        return out;
    }
    std::unique_ptr<VaneWindow> w;
};

TEST_F(PlanControlsTest, FindAddGenerateSendFlyAndClearTheActiveWaypoint) {
    add("9000", "250", {"atlanta"});
    EXPECT_EQ(w->textBox("FoundWayp")->text(), "KATL (airport) Atlanta Intl");
    add("9000", "250", {"kjfk"});
    EXPECT_EQ(rows("WaypLst"), QStringList({"Atlanta Intl", "Kennedy Intl"}));
    EXPECT_TRUE(w->picture("Picture7")->isEnabled());

    dialogs.queueAnswer(Answer::Ok);
    click(w->picture("Picture7"));
    const QStringList plan = rows("WaypLst");
    ASSERT_GE(plan.size(), 3);
    EXPECT_TRUE(plan.front().startsWith("VOR"));
    EXPECT_EQ(plan.back(), "Kennedy Intl");
    EXPECT_EQ(rows("AltLst").front(), "9000");
    EXPECT_FALSE(w->picture("Picture7")->isEnabled());
    EXPECT_TRUE(w->textBox("FoundWayp")->text().isEmpty());

    int firstConnections = 0;
    w->planControls().navigation().onFirstConnection = [&] { ++firstConnections; };
    aircraft.start();
    click(w->picture("Picture20"));  // Send
    EXPECT_EQ(w->label("FWAYP")->text(), plan.front());
    EXPECT_EQ(w->label("Label23")->text(), "11" + plan.front().mid(3));
    EXPECT_EQ(w->list("WaypLst")->count(), plan.size() - 1);
    EXPECT_EQ(w->timer1().interval(), 5000);
    scheduler.advance(10);
    EXPECT_FALSE(w->label("Hdg")->text().isEmpty());
    EXPECT_FALSE(w->textBox("Text1")->text().isEmpty());
    EXPECT_EQ(firstConnections, 1);

    // With A/P Update on, a new speed for the active waypoint reaches the autopilot at once.
    w->checkBox("UPDHDG")->setChecked(true);
    w->textBox("Speed")->setText("300");
    click(w->picture("Picture23"), Qt::RightButton);
    ASSERT_NE(aircraft.lastCall("upd_APAirSpeed"), nullptr);
    EXPECT_EQ(aircraft.lastCall("upd_APAirSpeed")->args.at(0), 300);

    // The plan table shows the flight: the active waypoint first, a total line last.
    auto* tableBinder = w->findChild<shell::PlanTableBinder*>();
    ASSERT_NE(tableBinder, nullptr);
    click(w->findChild<QPushButton*>("PlanTableButton"));
    QTableWidget* table = tableBinder->table();
    ASSERT_EQ(table->rowCount(), plan.size() + 1);
    EXPECT_EQ(table->item(0, 0)->text(), "active");
    // The wind columns follow the plan's own; without winds aloft the ground speed is the true
    // airspeed.
    ASSERT_EQ(table->columnCount(), 18);
    EXPECT_EQ(table->horizontalHeaderItem(11)->text(), "Speed");
    EXPECT_EQ(table->horizontalHeaderItem(12)->text(), "TAS kt");
    EXPECT_EQ(table->horizontalHeaderItem(13)->text(), "Wind °T/kt");
    EXPECT_EQ(table->item(1, 11)->text(), "250");
    EXPECT_EQ(table->item(1, 12)->text(), "284");  // 250 kt indicated at 9,000 ft
    const double tas = table->item(1, 12)->text().toDouble();
    EXPECT_EQ(table->item(1, 15)->text(), table->item(1, 12)->text());
    EXPECT_EQ(table->item(1, 16)->text(), table->item(1, 8)->text());
    const auto note = [&] { return tableBinder->window()->findChild<QLabel*>()->text(); };
    EXPECT_TRUE(note().contains("No winds aloft are loaded")) << note().toStdString();
    // A west wind of 50 kt everywhere: north-east legs get a tailwind and a crosswind from
    // the left, the ground speed sqrt(TAS^2 - cross^2) + tail.
    auto field = std::make_shared<weather::AloftField>();
    field->add(std::make_shared<WestWind>());
    context.aloft = field;
    tableBinder->refresh();
    EXPECT_EQ(table->item(1, 13)->text(), "270/50");
    EXPECT_TRUE(table->item(1, 14)->text().startsWith("tail "))
        << table->item(1, 14)->text().toStdString();
    const double tail = table->item(1, 14)->text().mid(5).toDouble();
    const double course = table->item(1, 5)->text().toDouble() * M_PI / 180.0;
    EXPECT_NEAR(tail, 50 * std::sin(course), 1.0);
    EXPECT_NEAR(table->item(1, 15)->text().toDouble(),
                std::sqrt(tas * tas - std::pow(50 * std::cos(course), 2)) + tail, 1.0);
    EXPECT_FALSE(table->item(table->rowCount() - 1, 17)->text().isEmpty());
    EXPECT_TRUE(note().contains("Winds aloft: WEST, valid 2026-12-08 06Z")) << note().toStdString();
    tableBinder->window()->close();

    click(w->picture("Picture17"), Qt::RightButton);
    EXPECT_TRUE(w->label("FWAYP")->text().isEmpty());
    EXPECT_TRUE(w->label("Hdg")->text().isEmpty());
    EXPECT_EQ(w->list("WaypLst")->count(), plan.size() - 1);
    EXPECT_EQ(w->planControls().flight().leg.CurWpLat, 0.0);
}

TEST_F(PlanControlsTest, ListsMoveTogetherAndEditTheSelectedRow) {
    add("3000", "250.0", {"atlanta", "kennedy"});
    w->list("WaypLst")->setCurrentRow(1);
    EXPECT_EQ(w->list("SpdLst")->currentRow(), 1);
    EXPECT_EQ(w->textBox("FoundWayp")->text(), "Kennedy Intl");
    w->textBox("AltHld")->setText("12000");
    click(w->picture("Picture24"));  // Set Altitude on the selected row
    EXPECT_EQ(rows("AltLst"), QStringList({"3000", "12000"}));
    click(w->picture("Picture24"), Qt::RightButton);  // always the active waypoint
    EXPECT_EQ(w->label("AltHold")->text(), "12000");

    mouse(w->list("WaypLst")->viewport(), QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_FALSE(w->planControls().lists().selectedRow().has_value());
    EXPECT_EQ(w->textBox("AltHld")->text(), "0");
    click(w->picture("Picture18"));  // Delete with nothing selected
    EXPECT_EQ(w->list("WaypLst")->count(), 2);
    add("3000", "250", {"atlanta"});
    w->list("SpdLst")->setCurrentRow(1);
    click(w->picture("Picture18"));
    EXPECT_EQ(rows("WaypLst"), QStringList({"Atlanta Intl", "Atlanta Intl"}));
    EXPECT_FALSE(w->planControls().lists().selectedRow().has_value());

    dialogs.queueAnswer(Answer::No);
    click(w->picture("Picture17"));
    EXPECT_EQ(w->list("WaypLst")->count(), 2);
    EXPECT_EQ(dialogs.lastMessage(),
              "Are you sure you want to clear the entire flight plan? All data will be lost.");
    dialogs.queueAnswer(Answer::Yes);
    click(w->picture("Picture17"));
    EXPECT_EQ(w->list("WaypLst")->count(), 0);
}

TEST_F(PlanControlsTest, SaveThenLoadWithQuickSendAndTheCustomWeatherSeam) {
    add("3000", "250.0", {"atlanta", "kennedy", "atlanta"});
    dialogs.queueFile(program.file("three"));  // saved with ".fpl" added
    click(w->picture("Picture19"));
    EXPECT_EQ(program.read("three.fpl").substr(0, 16), "Atlanta Intl|33.");

    // The simulator is not running: answering No still loads. Quick Send makes entry 0 active.
    context.settings.QSend = "True";
    dialogs.queueAnswer(Answer::No);
    dialogs.queueFile(program.file("three.fpl"));
    click(w->picture("Picture1"));
    EXPECT_EQ(rows("WaypLst"), QStringList({"Kennedy Intl", "Atlanta Intl"}));
    EXPECT_EQ(rows("SpdLst"), QStringList({"250", "250"}));
    EXPECT_EQ(w->label("FWAYP")->text(), "Atlanta Intl");
    EXPECT_EQ(w->label("Label16")->text(), "Yes");
    EXPECT_EQ(w->label("Label17")->text(), "Yes");

    // Custom weather without its processing: the user is told, the weather stays.
    w->planControls().lists().customWeatherProcessing = nullptr;
    context.settings.QSend = "False";
    std::string wx = "A|1|2|3000|250\r\nWeather\r\n0\r\nWX\r\n";
    for (int i = 1; i < 16; ++i) {
        wx += " 1 \r\n";
    }
    program.write("wx.fpl", wx);
    platform.simulatorRunning = true;
    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueFile(program.file("wx.fpl"));
    click(w->picture("Picture1"));
    EXPECT_NE(dialogs.lastMessage().find("custom weather cannot be used yet"), std::string::npos);
    EXPECT_EQ(w->textBox("Text8")->text(), "1");
    int processed = 0;
    w->planControls().lists().customWeatherProcessing = [&] { ++processed; };
    dialogs.queueAnswer(Answer::Yes);
    dialogs.queueFile(program.file("wx.fpl"));
    click(w->picture("Picture1"));
    EXPECT_EQ(processed, 1);
    EXPECT_EQ(w->textBox("Text8")->text(), "0");
    EXPECT_TRUE(w->planControls().flight().plan.hasCustomWeather);
}

// A name too long for the Found box shows its start, the identifier; the tool tip the whole.
// A generated plan ends 1,500 ft above the arrival airport's station (4 m, 13 ft).
TEST_F(PlanControlsTest, FoundBoxShowsTheStartAndPlansEndAboveTheArrival) {
    const std::string name = "John F. Kennedy International Airport of the City of New York";
    {
        auto db = weather::WeatherDb::open(context.databasePath());
        test::addWps(*db, {name, "A", "403822", -1, "0734647", -1, "", "KNYC"});
        test::addStation(*db, {"KJFK", "4038N", "07347W", 4.0});
    }
    QLineEdit* found = w->textBox("FoundWayp");
    for (const auto& [find, tip] : {std::pair<const char*, bool>{"knyc", true}, {"katl", false}}) {
        w->textBox("FWP")->setText(find);
        emit w->textBox("FWP")->returnPressed();
        EXPECT_EQ(found->cursorPosition(), 0) << find;
        EXPECT_EQ(found->toolTip(), tip ? found->text() : QString()) << find;
    }
    EXPECT_EQ(found->text().toStdString(), "KATL (airport) Atlanta Intl");
    add("9000", "250", {"katl", "kjfk"});
    dialogs.queueAnswer(Answer::Ok);
    click(w->picture("Picture7"));
    EXPECT_EQ(rows("AltLst").front(), "9000");
    EXPECT_EQ(rows("AltLst").back(), "1513");
}

TEST_F(PlanControlsTest, ShareExportsAndImportsFlightGearRoutesAndGpx) {
    add("3000", "250", {"atlanta", "kennedy"});
    // The waypoint store knows the airports by identifier.
    context.waypoints.add("A", "Atlanta Intl", "", 33.636944, -84.428333, 0, 0, "KATL");
    context.waypoints.add("A", "Kennedy Intl", "", 40.639444, -73.779722, 0, 0, "KJFK");
    auto trigger = [&](const char* name) {
        auto* a = w->findChild<QAction*>(QString::fromLatin1(name));
        ASSERT_NE(a, nullptr) << name;
        a->trigger();
    };
    auto* share = w->findChild<QToolButton*>(QStringLiteral("PlanShareButton"));
    ASSERT_NE(share, nullptr);
    emit share->menu()->aboutToShow();
    EXPECT_FALSE(w->findChild<QAction*>(QStringLiteral("SendPlanToFlightGear"))->isEnabled());

    dialogs.queueFile(program.file("route"));  // ".xml" added
    trigger("ExportFlightGearRoute");
    EXPECT_NE(dialogs.lastMessage().find("Custom weather is not part of this format"),
              std::string::npos);
    dialogs.queueFile(program.file("plan.gpx"));
    trigger("ExportGpx");

    // Import replaces the plan as Load does; a refused file leaves it alone.
    context.settings.QSend = "False";
    dialogs.queueFile(program.write("bad.gpx", "<gpx><rte>"));
    trigger("ImportPlan");
    EXPECT_NE(dialogs.lastMessage().find("not well-formed XML"), std::string::npos);
    EXPECT_EQ(rows("WaypLst").size(), 2);
    for (const char* file : {"route.xml", "plan.gpx"}) {
        w->press("Command18");
        dialogs.queueFile(program.file(file));
        trigger("ImportPlan");
        EXPECT_EQ(rows("WaypLst"), QStringList({"Atlanta Intl", "Kennedy Intl"})) << file;
        EXPECT_EQ(rows("AltLst"), QStringList({"3000", "3000"})) << file;
    }
    // A track gives no speed: the speed box does, and the user is told.
    w->textBox("Speed")->setText("180");
    dialogs.queueFile(
        program.write("trk.gpx",
                      "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\"><ele>100</ele></trkpt>"
                      "</trkseg></trk></gpx>"));
    trigger("ImportPlan");
    EXPECT_EQ(rows("SpdLst"), QStringList({"180"}));
    EXPECT_NE(dialogs.lastMessage().find("default speed, 180"), std::string::npos);
    // The elevation of 100 m is 328 ft, and 100 under metric units, which export keeps.
    EXPECT_EQ(rows("AltLst"), QStringList({"328"}));
    context.settings.UOM = "M";
    dialogs.queueFile(program.file("trk.gpx"));
    trigger("ImportPlan");
    EXPECT_EQ(rows("AltLst"), QStringList({"100"}));
    dialogs.queueFile(program.file("metric.gpx"));
    trigger("ExportGpx");
    EXPECT_NE(program.read("metric.gpx").find("<ele>100.0000</ele>"), std::string::npos);
}

// A SimBrief OFP's fix winds become the plan's custom weather only when the user says Yes.
TEST_F(PlanControlsTest, ASimBriefOfpsFixWindsAreAttachedWhenWanted) {
    context.settings.QSend = "False";
    int processed = 0;
    w->planControls().lists().customWeatherProcessing = [&] { ++processed; };
    const std::string ofp =
        std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/plans/simbrief-katl-kjfk.xml";
    for (const Answer answer : {Answer::No, Answer::Yes}) {
        dialogs.queueFile(ofp);
        dialogs.queueAnswer(answer);
        w->findChild<QAction*>(QStringLiteral("ImportPlan"))->trigger();
        EXPECT_EQ(rows("WaypLst").size(), 22);
        EXPECT_EQ(rows("WaypLst").front(), "KATL");
        const auto& plan = w->planControls().flight().plan;
        EXPECT_EQ(plan.hasCustomWeather, answer == Answer::Yes);
    }
    EXPECT_EQ(processed, 1);
    EXPECT_EQ(w->planControls().flight().plan.PlanWxCount, 20);
}

}  // namespace

// Briefing writes the page beside the database and hands it to the browser; an empty plan,
// or one of a single waypoint, says so instead.
TEST_F(PlanControlsTest, BriefingWritesThePageAndOpensIt) {
    auto* briefing = w->findChild<QPushButton*>("PlanBriefingButton");
    ASSERT_NE(briefing, nullptr);
    click(briefing);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_NE(dialogs.lastMessage().find("The plan is empty"), std::string::npos);

    add("9000", "250", {"atlanta"});
    click(briefing);
    EXPECT_TRUE(platform.opened.empty());
    EXPECT_NE(dialogs.lastMessage().find("one waypoint and so no leg"), std::string::npos);

    add("9000", "250", {"kjfk"});
    click(briefing);
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], "file://" + context.folders.user + "/briefing.html");
    const std::string page = program.read("briefing.html");
    // The waypoint store holds no airport here: the ends go by their names.
    EXPECT_NE(page.find("<h1>Route briefing: Atlanta Intl to Kennedy Intl</h1>"),
              std::string::npos);
    EXPECT_NE(page.find("<td>Atlanta Intl</td><td>Kennedy Intl</td>"), std::string::npos);
    EXPECT_NE(page.find("data:image/png;base64,"), std::string::npos);
}
