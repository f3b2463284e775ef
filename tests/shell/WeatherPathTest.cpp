#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "support/DbRows.h"
#include "support/WindowFixture.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using shell::VaneWindow;

namespace {

const char* const kReports =
    "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992\r\n"
    "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\r\n";

class WeatherPathTest : public test::WindowFixture {
  protected:
    void SetUp() override {
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        test::addStation(*db, {"KATL", "3338N", "08426W", 100});
        test::addStation(*db, {"KMCN", "3242N", "08339W", 100});
        test::addWps(*db, {"Atlanta", "V", "333747", -1, "0842606", -1, "116.90", ""});
        db.reset();

        writeDefaultParams();
        vane = std::make_unique<VaneWindow>(context);
        ASSERT_EQ(vane->load(), VaneWindow::LoadResult::MainWindow);
        vane->show();
        platform.simulatorRunning = true;
    }
    int weatherRecords() {
        return weather::WeatherDb::open(program.file("vanedb.mdb"))->weatherCount();
    }

    std::unique_ptr<VaneWindow> vane;
};

}  // namespace

TEST_F(WeatherPathTest, UpdateWithoutAFileAsksForOne) {
    vane->press("Command3");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"You must select a file."});
    EXPECT_EQ(weatherRecords(), 0);
    EXPECT_EQ(vane->textBox("Text8")->text(), "0");
}

TEST_F(WeatherPathTest, LoadMetarDecodesAndLoadsTheWaypoints) {
    const std::string file = program.write("weather/today.txt", kReports);
    dialogs.queueFile(file);
    click(vane->picture("Picture2"));
    const auto& open = dialogs.shown().front();
    EXPECT_EQ(open.kind, "open");
    EXPECT_EQ(open.file.filter,
              "METAR Weather (*.txt)|*.txt|NOAA CSV (*.csv *.csv.gz)|*.csv;*.csv.gz");
    EXPECT_EQ(open.file.initialDir, program.path());
    EXPECT_EQ(vane->label("all_vane")->text().toStdString(), file);
    EXPECT_EQ(vane->label("Label19")->text(), "today.txt");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
    EXPECT_EQ(weatherRecords(), 2);
    EXPECT_EQ(context.weather.stations.count(), 2);
    EXPECT_EQ(vane->textBox("Text8")->text(), "1");
    EXPECT_EQ(vane->status(), "All waypoints loaded.");
    EXPECT_EQ(context.waypoints.WpsCount, 3);  // the VOR and the two stations
    EXPECT_EQ(vane->timer1().interval(), 5000);
    EXPECT_EQ(vane->closest().interval(), 60000);
    EXPECT_EQ(vane->randomTimer().interval(), 60000);
    EXPECT_TRUE(vane->isEnabled());
    EXPECT_TRUE(vane->picture("Picture2")->isEnabled());
}

TEST_F(WeatherPathTest, CancellingTheFileDialogChangesNothing) {
    vane->press("Command2");
    EXPECT_EQ(vane->label("all_vane")->text(), "");
    EXPECT_TRUE(dialogs.messages().empty());
    EXPECT_EQ(weatherRecords(), 0);
}

TEST_F(WeatherPathTest, UnixLineEndsAreRepairedForMetarOnly) {
    const std::string file = program.write("unix.txt",
                                           "KATL 121756Z 27010KT 10SM SKC 12/08 A2992\n"
                                           "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\n");
    vane->label("all_vane")->setText(QString::fromStdString(file));
    vane->option("optSA")->setChecked(true);
    EXPECT_EQ(vane->textBox("Text4")->text(), "Data: SA");
    vane->press("Command3");
    EXPECT_EQ(program.read("unix.txt").find('\r'), std::string::npos);

    dialogs.clear();
    vane->option("optMETAR")->setChecked(true);
    EXPECT_EQ(vane->textBox("Text4")->text(), "Data: METAR");
    vane->press("Command3");
    EXPECT_NE(program.read("unix.txt").find("\r\n"), std::string::npos);
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
}

TEST_F(WeatherPathTest, UseLastWeatherReusesTheTable) {
    vane->press("Command5");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{weather::kNoWeatherMessage});

    vane->label("all_vane")->setText(QString::fromStdString(program.write("wx.txt", kReports)));
    vane->press("Command3");
    dialogs.clear();
    context.weather = {};
    dialogs.queueAnswer(platform::Answer::Yes);
    click(vane->picture("Picture4"));
    EXPECT_EQ(dialogs.messages(),
              std::vector<std::string>{"Are you sure you want to use the last weather loaded?"});
    EXPECT_EQ(context.weather.stations.count(), 2);
    EXPECT_EQ(context.shared.useLastWeather, 0);
    EXPECT_EQ(vane->textBox("Text8")->text(), "1");
}

TEST_F(WeatherPathTest, ASecondLoadCannotStartInsideTheFirst) {
    vane->label("all_vane")->setText(QString::fromStdString(program.write("wx.txt", kReports)));
    int nested = 0;
    dialogs.onMessage = [&](const platform::MessageRequest& m) {
        if (m.text.rfind("Done Processing", 0) == 0 && nested++ == 0) {
            EXPECT_TRUE(vane->weatherActions().busy());
            vane->press("Command3");
            vane->press("Command5");
        }
    };
    vane->press("Command3");
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
    EXPECT_FALSE(vane->weatherActions().busy());
}

TEST_F(WeatherPathTest, ReloadFromTheSettingsWindowRebuildsTheStore) {
    vane->label("all_vane")->setText(QString::fromStdString(program.write("wx.txt", kReports)));
    vane->press("Command3");
    context.settings.Wayp = 3;
    vane->textBox("Text8")->setText("0");
    vane->reloadWaypoints();
    EXPECT_EQ(context.waypoints.WpsCount, 2);
}
