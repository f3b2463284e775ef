#include "shell/DeliveryActions.h"
#include "shell/VaneWindow.h"
#include "support/DbRows.h"
#include "support/WindowFixture.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using shell::VaneWindow;

namespace {

class DeliveryActionsTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        test::addStation(*db, {"KATL", "3338N", "08426W", 0});
        weather::WeatherRecord r;
        r.ID = "KATL";
        r.cl1Base = 2500;
        r.Cl1Coverage = 8;
        r.Visibility = 10;
        r.Pressure = 1013;
        r.t0Deg = 59;
        r.ObsTime = "2001-09-08T22:00Z";  // 3 h 46 min before the scheduler's wall clock
        ASSERT_EQ(db->addWeather(r), weather::WeatherDb::AddResult::Added);
        context.weather.stations = db->stationList();
        db.reset();

        writeDefaultParams();
        vane = std::make_unique<VaneWindow>(context);
        ASSERT_EQ(vane->load(), VaneWindow::LoadResult::MainWindow);
        vane->show();
    }
    std::unique_ptr<VaneWindow> vane;
};

}  // namespace

TEST_F(DeliveryActionsTest, ClosestTickSendsAndShowsTheReport) {
    vane->closest().setInterval(60000);
    scheduler.advance(60);  // no position yet
    EXPECT_EQ(vane->label("Text3")->text(), "");

    vane->textBox("Text1")->setText("33.6300");
    vane->textBox("Text2")->setText("-84.4300");
    scheduler.advance(60);
    EXPECT_EQ(vane->label("Text3")->text(), "KATL-Station KATL, GA");
    EXPECT_EQ(vane->textBox("LastStation")->text(), "KATL");
    // The report is old: the station and its age under it turn red, the age is in the tip
    // too; no message box.
    auto* age = vane->label("ReportAge");
    EXPECT_TRUE(age->isVisible());
    EXPECT_EQ(age->text(), "observed 22:00Z, 3 h 48 min ago");
    EXPECT_EQ(vane->label("Text3")->toolTip(), "KATL observed 22:00Z, 3 h 48 min ago");
    EXPECT_FALSE(vane->label("Text3")->styleSheet().isEmpty());
    EXPECT_FALSE(age->styleSheet().isEmpty());
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(aircraft.callCount("upd_temps"), 1);
    // A minute later the age has moved on.
    scheduler.advance(60);
    EXPECT_EQ(age->text(), "observed 22:00Z, 3 h 49 min ago");
    EXPECT_TRUE(vane->label("Label15")->text().startsWith("KATL REPORT\nSkies: overcast at 2500"));

    vane->press("Command4");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.title, "Current Station Report");
    EXPECT_EQ(dialogs.shown()[0].message.text.substr(0, 12), "KATL REPORT\n");

    // A plan with custom weather empties LastStation: the next send goes at once.
    vane->textBox("LastStation")->setText("");
    vane->command("Update_Vane")->click();
    EXPECT_EQ(aircraft.callCount("upd_temps"), 2);
    EXPECT_EQ(vane->textBox("LastStation")->text(), "KATL");

    // With "Send Weather to FS" off, Manual Update runs its transition but sends nothing.
    vane->checkBox("upd_vane")->setChecked(false);
    vane->command("Update_Vane")->click();
    EXPECT_EQ(aircraft.callCount("upd_temps"), 2);
    EXPECT_EQ(vane->status(), "Transition 60");
}

TEST_F(DeliveryActionsTest, RandomTimerReArmsAndTheReportNeedsAStation) {
    vane->press("Command4");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"ICAO Station Weather not Found"});

    random.setConstant(0.0);
    vane->label("Text3")->setText("KATL-Station KATL, GA");
    vane->randomTimer().setInterval(60000);
    scheduler.advance(60);
    EXPECT_EQ(vane->randomTimer().interval(), 10000);
    EXPECT_EQ(aircraft.callCount("upd_wind3"), 1);
}
