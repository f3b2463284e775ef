// "Download current weather" in the main window, on real time against a loopback server.

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/qt/QtScheduler.h"
#include "shell/DownloadActions.h"
#include "shell/ParamFile.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "simlink/BuiltInAircraft.h"
#include "support/DbRows.h"
#include "support/FakePlatform.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using Mode = test::LoopbackHttpServer::Mode;

namespace {

const QByteArray kReports =
    "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992\r\n"
    "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\r\n";

// On Qt's own scheduler: the download's waits must run the loopback server's event loop.
class DownloadActionsTest : public ::testing::Test {
  protected:
    DownloadActionsTest() : aircraft(clock), context(clock, dialogs, random, platform, aircraft) {
        context.builtIn = &aircraft;
        context.folders = platform::allIn(program.path());
        context.launchFolder = program.path();
        context.modalWindows = false;
        program.write("FS98/fltsim98.exe", "exe");
        program.write("vane98.par",
                      shell::formatParamFile(shell::firstRunSettings(program.file("FS98"))));
        auto db = weather::WeatherDb::open(program.file("vanedb.mdb"));
        test::addStation(*db, {"KATL", "3338N", "08426W", 100});
        test::addStation(*db, {"KMCN", "3242N", "08339W", 100});
        test::addWps(*db, {"Atlanta", "V", "333747", -1, "0842606", -1, "116.90", ""});
        db.reset();
        server.route("/metars.txt", {200, kReports});
        server.route("/stalled.txt", {200, kReports, Mode::Stall});
        vane = std::make_unique<shell::VaneWindow>(context);
        EXPECT_EQ(vane->load(), shell::VaneWindow::LoadResult::MainWindow);
        vane->show();
    }
    void useAddress(const std::string& path) {
        program.write("zephyra.ini", "[Download]\nUrl=" + server.url(path) + "\n");
    }
    shell::DownloadActions& downloads() { return vane->weatherActions().downloads(); }
    int weatherRecords() {
        return weather::WeatherDb::open(program.file("vanedb.mdb"))->weatherCount();
    }

    test::TempDir program;
    test::LoopbackHttpServer server;
    platform::QtScheduler clock;
    platform::ScriptedDialogs dialogs;
    platform::PinnedRandom random;
    test::FakePlatform platform;
    simlink::BuiltInAircraft aircraft;
    shell::AppContext context;
    std::unique_ptr<shell::VaneWindow> vane;
};

}  // namespace

// Downloaded reports load like a picked file; a failure or a cancel afterwards keeps them.
TEST_F(DownloadActionsTest, DownloadedReportsLoadAndFailureAndCancelKeepThem) {
    useAddress("/metars.txt");
    vane->option("optSA")->setChecked(true);
    downloads().downloadButton()->click();
    EXPECT_EQ(dialogs.messages(), std::vector<std::string>{"Done Processing 2 stations."});
    ASSERT_EQ(weatherRecords(), 2);
    const std::string file = vane->label("all_vane")->text().toStdString();
    EXPECT_EQ(std::filesystem::path(file).parent_path(), program.path());
    EXPECT_TRUE(vane->option("optMETAR")->isChecked());
    EXPECT_FALSE(downloads().cancelButton()->isVisible());
    std::filesystem::remove(vane->label("all_vane")->text().toStdString());
    dialogs.clear();

    useAddress("/missing.txt");
    downloads().downloadButton()->click();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].message.text,
              "The server answered 404 (Not Found). The weather already loaded is kept.");
    EXPECT_EQ(vane->status(), "Download failed.");

    // While it runs: the status line, a Cancel button, the weather buttons off.
    useAddress("/stalled.txt");
    bool sawRunning = false;
    QTimer::singleShot(300, [&] {
        sawRunning = downloads().cancelButton()->isVisible() &&
                     !downloads().downloadButton()->isVisible() &&
                     !vane->picture("Picture2")->isEnabled() &&
                     vane->status() == "Downloading current weather.";
        downloads().cancelButton()->click();
    });
    downloads().downloadButton()->click();
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(vane->status(), "Download cancelled. The weather already loaded is kept.");
    EXPECT_TRUE(vane->picture("Picture2")->isEnabled());
    EXPECT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(weatherRecords(), 2);
}

// In flight the downloaded weather is fetched again without a message box; a failure says so
// on the status line and keeps the weather; a file the pilot picked is never replaced.
TEST_F(DownloadActionsTest, InFlightRefreshReplacesOnlyDownloadedWeatherQuietly) {
    EXPECT_EQ(downloads().refreshTimer().interval(), 10 * 60000);
    useAddress("/metars.txt");
    downloads().downloadButton()->click();
    ASSERT_EQ(weatherRecords(), 2);
    vane->textBox("Text1")->setText("33.6300");
    vane->textBox("Text2")->setText("-84.4300");
    dialogs.clear();

    server.route("/metars.txt", {200,
                                 "KATL 121856Z 09004KT 10SM SKC 14/08 A3001\r\n"
                                 "KMCN 121856Z 09005KT 10SM SKC 20/08 A2992\r\n"});
    downloads().refreshTick();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(vane->status().toStdString().rfind("Weather downloaded again at ", 0), 0u)
        << vane->status().toStdString();
    EXPECT_TRUE(vane->status().endsWith("Z. Done Processing 2 stations."));
    EXPECT_EQ(weather::WeatherDb::open(program.file("vanedb.mdb"))->findWeather("KATL")->w0Spd, 4);

    useAddress("/missing.txt");
    downloads().refreshTick();
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(vane->status(),
              "Refresh failed: The server answered 404 (Not Found). The weather "
              "already loaded is kept.");
    EXPECT_EQ(weatherRecords(), 2);

    // A picked file stays: no refresh replaces it.
    useAddress("/metars.txt");
    vane->label("all_vane")
        ->setText(QString::fromStdString(program.write("wx.txt", kReports.toStdString())));
    vane->press("Command3");
    ASSERT_EQ(weather::WeatherDb::open(program.file("vanedb.mdb"))->findWeather("KATL")->w0Spd, 10);
    downloads().refreshTick();
    EXPECT_EQ(weather::WeatherDb::open(program.file("vanedb.mdb"))->findWeather("KATL")->w0Spd, 10);
}
