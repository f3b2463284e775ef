// The main window's winds aloft: a forecast loaded from disk or downloaded from a loopback
// server, the line saying what is loaded, and junk that keeps what was there.

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <filesystem>

#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "platform/qt/QtScheduler.h"
#include "shell/AloftActions.h"
#include "shell/DownloadActions.h"
#include "shell/ParamFile.h"
#include "shell/PlanControls.h"
#include "shell/TafActions.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "simlink/BuiltInAircraft.h"
#include "support/FakePlatform.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using Mode = test::LoopbackHttpServer::Mode;

namespace {

// 2026-12-08 04:00Z, two hours before FD1US1's "VALID 080600Z".
constexpr double kDec8Four = 1796702400.0;

// A main window on the given clock, in a program folder holding the shipped database (its
// airports and VORs place the FB sites).
template <class Clock>
class AloftWindow : public ::testing::Test {
  protected:
    template <class... Args>
    explicit AloftWindow(Args... clockArgs)
        : clock(clockArgs...),
          aircraft(clock),
          context(clock, dialogs, random, platform, aircraft) {
        context.builtIn = &aircraft;
        context.folders = platform::allIn(program.path());
        context.launchFolder = program.path();
        context.modalWindows = false;
        program.write("FS98/fltsim98.exe", "exe");
        program.write("vane98.par",
                      shell::formatParamFile(shell::firstRunSettings(program.file("FS98"))));
        std::filesystem::copy_file(std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb",
                                   program.file("vanedb.mdb"));
        vane = std::make_unique<shell::VaneWindow>(context);
        EXPECT_EQ(vane->load(), shell::VaneWindow::LoadResult::MainWindow);
        vane->show();
    }
    shell::AloftActions& aloft() { return vane->weatherActions().aloft(); }
    std::string shownText() { return aloft().statusLabel()->text().toStdString(); }
    std::string lastMessage() {
        return dialogs.shown().empty() ? std::string() : dialogs.shown().back().message.text;
    }

    test::TempDir program;
    Clock clock;
    platform::ScriptedDialogs dialogs;
    platform::PinnedRandom random;
    test::FakePlatform platform;
    simlink::BuiltInAircraft aircraft;
    shell::AppContext context;
    std::unique_ptr<shell::VaneWindow> vane;
};

class AloftFileTest : public AloftWindow<platform::VirtualScheduler> {
  protected:
    AloftFileTest() : AloftWindow(kDec8Four) {}
};

// On Qt's own scheduler: the download's waits must run the loopback server's event loop.
class AloftDownloadWindowTest : public AloftWindow<platform::QtScheduler> {
  protected:
    void useAddresses(const std::string& fb, const std::string& gfs = "/filter.pl") {
        program.write("zephyra.ini", "[Download]\nAloftAddress=" + server.url(fb) +
                                         "\nGfsAddress=" + server.url(gfs) + "\n");
    }
    test::LoopbackHttpServer server;
};

}  // namespace

// A file picked from disk: the line names it and its valid time, warns once it is over six
// hours old, and a junk file after it says why and keeps it.
TEST_F(AloftFileTest, LoadedFileIsShownAndJunkKeepsIt) {
    EXPECT_EQ(shownText(), "Winds aloft: none loaded");
    const std::string fd1 = program.write("FD1US1.txt", test::realData("aloft/FD1US1.txt"));
    // Written at 02:01Z on the 8th, as a download of that product would be.
    std::filesystem::last_write_time(
        fd1, std::chrono::file_clock::from_sys(std::chrono::sys_seconds(
                 std::chrono::seconds(static_cast<std::int64_t>(kDec8Four) - 7140))));
    dialogs.queueFile(fd1);
    aloft().action("LoadAloftFile")->trigger();
    EXPECT_EQ(shownText(), "Winds aloft: FD1US1, valid 2026-12-08 06:00Z");
    EXPECT_TRUE(aloft().statusLabel()->styleSheet().isEmpty());
    EXPECT_TRUE(vane->status().startsWith("Winds aloft loaded: FD1US1"))
        << vane->status().toStdString();
    // Atlanta's own 9,000 ft values: 230 degrees at 30 kt, +8 C.
    const auto atl = context.aloft->at(33.6367, -84.4281, 9000);
    ASSERT_TRUE(atl);
    EXPECT_NEAR(*atl->direction, 230, 0.5);
    EXPECT_NEAR(atl->speedKnots, 30, 0.5);

    clock.advance(8.5 * 3600);  // 12:30Z
    EXPECT_EQ(shownText(), "Winds aloft: FD1US1, valid 2026-12-08 06:00Z (6 h old)");
    EXPECT_FALSE(aloft().statusLabel()->styleSheet().isEmpty());

    const auto before = context.aloft;
    for (const auto& [name, bytes, why] :
         {std::tuple<const char*, const char*, const char*>{
              "junk.txt", "<html><body>Not here</body></html>\n",
              "No \"FT\" line of levels: not a winds aloft forecast."},
          {"nowhere.txt", "FD1US1\nVALID 080600Z\n\nFT  3000    6000\nZZQ 2325 2226+14\n",
           "No site of the forecast could be placed."}}) {
        dialogs.queueFile(program.write(name, bytes));
        aloft().action("LoadAloftFile")->trigger();
        EXPECT_EQ(lastMessage(), std::string(why) + " The winds aloft already loaded are kept.");
        EXPECT_EQ(context.aloft, before);
        EXPECT_EQ(vane->status(), "Winds aloft not loaded.");
        EXPECT_EQ(shownText(), "Winds aloft: FD1US1, valid 2026-12-08 06:00Z (6 h old)");
    }
}

// The FB text and GFS for the flight plan's box from the menu; junk, a cancel and an empty plan
// keep what was loaded.
TEST_F(AloftDownloadWindowTest, DownloadsReplaceTheForecastOnlyWhenRead) {
    const std::string fd1 = test::realData("aloft/FD1US1.txt");
    server.route("/windtemp?region=all&level=low&fcst=06",
                 {200, QByteArray(fd1.data(), static_cast<qsizetype>(fd1.size()))});
    server.route("/page", {200, "<html><body>Service unavailable</body></html>"});
    server.route("/stalled", {200, "FD1US1", Mode::Stall});
    useAddresses("/windtemp?region=all&level=low&fcst=06");
    aloft().action("DownloadAloftFb")->trigger();
    EXPECT_TRUE(dialogs.shown().empty()) << lastMessage();
    EXPECT_EQ(shownText().rfind("Winds aloft: FD1US1, valid ", 0), 0u) << shownText();
    EXPECT_EQ(program.read("aloft.txt"), fd1);
    const auto loaded = context.aloft;

    useAddresses("/page");
    aloft().action("DownloadAloftFb")->trigger();
    EXPECT_EQ(lastMessage(),
              "The download holds an HTML page, not a winds aloft forecast. The winds aloft "
              "already loaded are kept.");
    EXPECT_EQ(context.aloft, loaded);
    EXPECT_EQ(program.read("aloft.txt"), fd1);

    // While it runs: a Cancel button in the menu's place, the weather download off.
    useAddresses("/stalled");
    bool sawRunning = false;
    QTimer::singleShot(300, [&] {
        sawRunning = aloft().cancelButton()->isVisible() && !aloft().menuButton()->isVisible() &&
                     !vane->weatherActions().downloads().downloadButton()->isEnabled() &&
                     vane->status() == "Downloading winds aloft.";
        aloft().cancelButton()->click();
    });
    aloft().action("DownloadAloftFb")->trigger();
    EXPECT_TRUE(sawRunning);
    EXPECT_EQ(vane->status(), "Download cancelled. The winds aloft already loaded are kept.");
    EXPECT_TRUE(aloft().menuButton()->isVisible());
    EXPECT_TRUE(vane->weatherActions().downloads().downloadButton()->isEnabled());
    EXPECT_EQ(context.aloft, loaded);

    aloft().action("DownloadGfsPlan")->trigger();
    EXPECT_EQ(lastMessage(), "The flight plan is empty: add waypoints to it first.");

    // Atlanta to New York: the box 2 degrees around them, the newest run.
    auto& plan = vane->planControls().flight().plan;
    plan.append({"ATL", "9000", "250", 33.64, -84.43, 9000, 250});
    plan.append({"JFK", "9000", "250", 40.64, -73.78, 9000, 250});
    const std::string url =
        weather::gfsFilterUrl(server.url("/filter.pl"), {31.64, -86.43, 42.64, -71.78},
                              weather::gfsCycle(static_cast<std::int64_t>(clock.wallClock())));
    ASSERT_TRUE(url.ends_with("&toplat=42.64&leftlon=-86.43&rightlon=-71.78&bottomlat=31.64"));
    const std::string grib = test::realData("grib/aloft-box.grib2");
    server.route(QByteArray::fromStdString(url.substr(url.find("/filter.pl"))),
                 {200, QByteArray(grib.data(), static_cast<qsizetype>(grib.size()))});
    const std::size_t messages = dialogs.shown().size();
    aloft().action("DownloadGfsPlan")->trigger();
    EXPECT_EQ(dialogs.shown().size(), messages) << lastMessage();
    EXPECT_NE(context.aloft, loaded);
    EXPECT_EQ(shownText().rfind("Winds aloft: GFS 1 deg 2026-12-07 00Z +6 h, valid ", 0), 0u)
        << shownText();

    // In flight the same product comes again: a failure says so on the status line only, and
    // a forecast the pilot picked from a file is never replaced.
    const auto gfs = context.aloft;
    vane->textBox("Text1")->setText("33.64");
    vane->textBox("Text2")->setText("-84.43");
    server.route(QByteArray::fromStdString(url.substr(url.find("/filter.pl"))),
                 {200, "<html><body>Service unavailable</body></html>"});
    aloft().refreshInFlight();
    EXPECT_EQ(dialogs.shown().size(), messages) << lastMessage();
    EXPECT_EQ(vane->status().toStdString().rfind("Winds aloft refresh failed: ", 0), 0u)
        << vane->status().toStdString();
    EXPECT_EQ(context.aloft, gfs);
    server.route(QByteArray::fromStdString(url.substr(url.find("/filter.pl"))),
                 {200, QByteArray(grib.data(), static_cast<qsizetype>(grib.size()))});
    aloft().refreshInFlight();
    EXPECT_NE(context.aloft, gfs);
    EXPECT_EQ(vane->status().toStdString().rfind("Winds aloft downloaded again at ", 0), 0u)
        << vane->status().toStdString();

    const std::string file = program.write("FD1US1.txt", fd1);
    aloft().loadFile(file);
    const auto picked = context.aloft;
    aloft().refreshInFlight();
    EXPECT_EQ(context.aloft, picked);
}

// TAFs from the same menu: a picked file and a download each replace those loaded; a junk file
// or answer says why and keeps them.
TEST_F(AloftDownloadWindowTest, TafsFromAFileOrADownload) {
    auto& tafs = vane->weatherActions().tafs();
    auto loaded = [&] {
        return weather::loadedTafCount(*weather::WeatherDb::open(program.file("vanedb.mdb")));
    };
    dialogs.queueFile(program.write("TAFJFK.txt", test::realData("taf/TAFJFK.txt")));
    tafs.action("LoadTafFile")->trigger();
    EXPECT_EQ(vane->status(), "TAFs loaded: 1 station.") << lastMessage();
    EXPECT_EQ(loaded(), 1);

    const std::string csv = test::realData("taf/tafs_handmade.cache.csv");
    const std::string gz = test::gzip(csv);
    server.route("/tafs.cache.csv.gz", {200, QByteArray(gz.data(), qsizetype(gz.size()))});
    server.route("/page", {200, "<html><body>Service unavailable</body></html>"});
    program.write("zephyra.ini",
                  "[Download]\nTafAddress=" + server.url("/tafs.cache.csv.gz") + "\n");
    tafs.action("DownloadTafs")->trigger();
    EXPECT_EQ(vane->status(), "TAFs loaded: 4 stations.") << lastMessage();
    EXPECT_EQ(program.read("tafs.csv"), csv);

    program.write("zephyra.ini", "[Download]\nTafAddress=" + server.url("/page") + "\n");
    tafs.action("DownloadTafs")->trigger();
    EXPECT_EQ(lastMessage(),
              "The download holds an HTML page, not TAFs. The TAFs already loaded are kept.");
    dialogs.queueFile(program.write("junk.txt", "<html><body>Not here</body></html>\n"));
    tafs.action("LoadTafFile")->trigger();
    EXPECT_TRUE(lastMessage().ends_with(". The TAFs already loaded are kept.")) << lastMessage();
    EXPECT_EQ(vane->status(), "TAFs not loaded.");
    EXPECT_EQ(loaded(), 4);
    EXPECT_EQ(program.read("tafs.csv"), csv);
}
