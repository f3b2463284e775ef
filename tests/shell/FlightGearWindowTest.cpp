#include <QAction>
#include <QMenu>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <optional>
#include <thread>

#include "MainWindowFixture.h"
#include "flightplan/PlanFile.h"
#include "shell/PlanControls.h"
#include "shell/PlanListsBinder.h"
#include "shell/Switches.h"
#include "simlink/FakePropertyServer.h"
#include "simlink/FlightGearLink.h"

using namespace zephyra;
using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

namespace {

// The main window flying a FlightGear behind the stand-in property server.
class FlightGearWindowTest : public test::MainWindowFixture {
  protected:
    void SetUp() override {
        server.set("/position/latitude-deg", "33.64");
        server.set("/position/longitude-deg", "-84.43");
        server.set("/position/altitude-ft", "3000");
        server.set("/instrumentation/airspeed-indicator/true-speed-kt", "110");
        server.set("/environment/magnetic-variation-deg", "-6.04");
        fg.emplace(simlink::FlightGearSettings{.port = server.port(),
                                               .connectTimeout = 200ms,
                                               .replyTimeout = 200ms,
                                               .retryInterval = 0ms,
                                               .freshFor = 10s});
        link.select(&*fg);
        context.builtIn = nullptr;
        context.flightGear = &*fg;
        w = openMain();
    }
    void TearDown() override {
        w.reset();
        link.select(&aircraft);
    }
    // Three entries, the second one active (the first passed).
    void flyThreeEntries() {
        auto& plan = w->planControls().flight().plan;
        plan.append({"Hartsfield", "9000", "120", 33.6367, -84.4281, 9000, 120});
        plan.append({"Foothills", "9000", "120", 34.5, -82.0, 9000, 120});
        plan.append({"Kennedy", "9000", "120", 40.6398, -73.7789, 9000, 120});
        w->planControls().lists().showPlan();
        w->checkBox("UPDHDG")->setChecked(true);
        w->press("Command11");
        w->press("Command11");
        ASSERT_EQ(w->label("FWAYP")->text(), "Foothills");
    }
    // One navigation tick on fresh reads.
    void tick() {
        fg->invalidate();
        scheduler.advanceMs(5000);
    }
    static int count(const Lines& lines, const std::string& line) {
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    test::FakePropertyServer server;
    std::optional<simlink::FlightGearLink> fg;
    std::unique_ptr<shell::VaneWindow> w;
};

// FlightGear restarted mid-flight: the first tick after it answers again gives it back the
// autopilot's heading, altitude, speed and locks and, while Send Weather is on, the weather;
// the window greys what it read before and says when positions arrive again.
TEST_F(FlightGearWindowTest, ARestartGetsEverythingBackWithinOneTick) {
    const std::string b0 = "/environment/config/boundary/entry[0]/";
    const Lines autopilot{"set /autopilot/locks/heading dg-heading-hold",
                          "setd /autopilot/settings/target-altitude-ft 9000",
                          "set /autopilot/locks/altitude altitude-hold",
                          "setd /autopilot/settings/target-speed-kt 120",
                          "set /autopilot/locks/speed speed-with-throttle"};
    const Lines weather{"setd " + b0 + "wind-from-heading-deg 90", "setd " + b0 +
                                                                       "visibility-m "
                                                                       "16093.44"};
    flyThreeEntries();
    EXPECT_EQ(w->label("Label26")->text(), "FlightGear");
    EXPECT_FALSE(w->textBox("Text7")->isVisible());
    tick();
    EXPECT_EQ(w->label("SimulatorLink")->text(),
              "connected at 127.0.0.1:" + QString::number(server.port()));
    EXPECT_EQ(w->textBox("altbrng")->text(), "354");  // 6.04 W, whole
    context.sim.upd_wind0(1000, 3, 90, 0, 0);         // the station's weather, as delivered
    context.sim.upd_visib(10);

    for (const bool sendWeather : {true, false}) {
        SCOPED_TRACE(sendWeather);
        w->switches().setSendWeather(sendWeather);
        server.stopListening();
        server.dropClients();
        std::this_thread::sleep_for(50ms);
        tick();
        EXPECT_EQ(w->status(), "Not Conected");
        EXPECT_FALSE(w->textBox("Text1")->isEnabled());
        EXPECT_FALSE(w->label("Hdg")->isEnabled());
        EXPECT_TRUE(w->label("SimulatorLink")->text().startsWith("not connected"));

        server.startListening();
        server.clearLines();
        tick();
        const Lines got = server.lines();
        for (const auto& line : autopilot) {
            EXPECT_GE(count(got, line), 1) << line;  // the heading goes out on every tick too
        }
        for (const auto& line : weather) {
            EXPECT_EQ(count(got, line), sendWeather ? 1 : 0) << line;
        }
        EXPECT_EQ(w->status(), "Connected to FlightGear.");
        EXPECT_TRUE(w->textBox("Text1")->isEnabled());
        EXPECT_TRUE(w->label("Hdg")->isEnabled());
        EXPECT_TRUE(w->label("SimulatorLink")->text().startsWith("connected"));
    }
}

// Send plan to FlightGear, Save and Export hold the whole plan whatever is active; the route
// manager is told which entry is current. The entry is enabled as soon as FlightGear is the
// simulator, as the first-run window makes it, without a restart.
TEST_F(FlightGearWindowTest, SendSaveAndExportHoldTheWholePlan) {
    flyThreeEntries();
    auto* share = w->findChild<QToolButton*>(QStringLiteral("PlanShareButton"));
    auto* send = w->findChild<QAction*>(QStringLiteral("SendPlanToFlightGear"));
    ASSERT_NE(send, nullptr);
    context.flightGear = nullptr;  // the built-in simulator
    emit share->menu()->aboutToShow();
    EXPECT_FALSE(send->isEnabled());
    context.flightGear = &*fg;  // FlightGear chosen
    emit share->menu()->aboutToShow();
    EXPECT_TRUE(send->isEnabled());

    server.set("/sim/fg-home", "/nonexistent/fg-home");
    server.set("/autopilot/route-manager/route/num", "3");
    server.set("/autopilot/route-manager/current-wp", "1");
    send->trigger();
    const Lines got = server.lines();
    EXPECT_EQ(count(got, "set /autopilot/route-manager/input -84.428100,33.636700@9000"), 1);
    EXPECT_EQ(count(got, "set /autopilot/route-manager/input -82.000000,34.500000@9000"), 1);
    EXPECT_EQ(count(got, "set /autopilot/route-manager/input -73.778900,40.639800@9000"), 1);
    EXPECT_EQ(count(got, "seti /autopilot/route-manager/current-wp 1"), 1);
    EXPECT_NE(dialogs.lastMessage().find("with Foothills (entry 2) as the current one"),
              std::string::npos)
        << dialogs.lastMessage();

    dialogs.queueFile(program.file("whole.fpl"));
    w->press("Command13");
    flightplan::PlanStore saved;
    struct Quiet final : flightplan::PlanLoadHost {
        bool useCustomWeather() override { return false; }
        void processCustomWeather() override {}
    } host;
    ASSERT_TRUE(flightplan::loadPlanFile(program.file("whole.fpl"), saved, host).completed);
    EXPECT_EQ(saved.WaypLst, (std::vector<std::string>{"Hartsfield", "Foothills", "Kennedy"}));

    dialogs.queueFile(program.file("whole.gpx"));
    w->findChild<QAction*>(QStringLiteral("ExportGpx"))->trigger();
    EXPECT_EQ(dialogs.lastMessage().rfind("3 entries were written", 0), 0u)
        << dialogs.lastMessage();

    // Load asks for FlightGear by name when it does not answer.
    dialogs.queueAnswer(platform::Answer::No);
    dialogs.queueFile(program.file("whole.fpl"));
    w->press("Command14");
    EXPECT_TRUE(std::any_of(dialogs.shown().begin(), dialogs.shown().end(), [](const auto& m) {
        return m.message.title == "Load FlightGear?" &&
               m.message.text.rfind("FlightGear does not appear to be active.", 0) == 0;
    }));
}

}  // namespace
