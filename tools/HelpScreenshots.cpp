// Draws the pictures of the user's guide: builds the program's windows on a scratch copy of
// the program folder, loads real weather, plans Atlanta to New York, flies a little and
// saves each window as a PNG; last, a fresh main window in the middle of "Download current
// weather" from a loopback server. Run under an X server (xvfb-run) so the pictures use real
// fonts, with a window manager for the frames of the map's whole-screen picture:
//   xvfb-run -a -s "-screen 0 1600x1000x24" sh -c 'openbox & sleep 1;
//     build/tools/help_screenshots docs/help/vuduvo-images; kill $!'
// Exit status 1 when a window could not be drawn at its proper size.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "map/MapWindow.h"
#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "platform/qt/QtScheduler.h"
#include "shell/AppContext.h"
#include "shell/DownloadActions.h"
#include "shell/MapBinder.h"
#include "shell/ParamFile.h"
#include "shell/ParmMaintWindow.h"
#include "shell/SideWindows.h"
#include "shell/SimulatorWindow.h"
#include "shell/StartWindow.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/SimulatorChoice.h"
#include "support/FakePlatform.h"
#include "support/LoopbackHttpServer.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

namespace fs = std::filesystem;
using namespace zephyra;

namespace {

QString outFolder;
int failures = 0;
// The clock stands shortly after the default file's reports (2022-10-23 11:40Z), so their ages
// read as they did that day.
constexpr long long kClockStart = 1666525200;

// Draws a window as the screen shows it. grab() draws a widget at whatever size it has right
// then. Under a window manager a window's size comes back from the window manager: a window
// just shown can still read the 100x30 its X window was created with (a grey strip), and one
// that grew (a longer text) its old size, until the window manager's answer has been
// processed. So the window is shown and mapped, events are processed until its size is at least
// what its layout needs, and a picture that never gets there is refused.
void save(QWidget* window, const char* name) {
    const QString path = outFolder + "/" + name;
    if (!window->isVisible()) {
        window->show();
    }
    auto settled = [window] {
        const QSize least = window->minimumSizeHint();
        return window->windowHandle() != nullptr && window->windowHandle()->isExposed() &&
               window->width() >= least.width() && window->height() >= least.height();
    };
    QElapsedTimer waited;
    waited.start();
    QApplication::processEvents();
    while (!settled() && waited.elapsed() < 5000) {
        QThread::msleep(20);
        QApplication::processEvents();
    }
    if (!settled()) {
        const QSize least = window->minimumSizeHint();
        std::cerr << "not saved: " << path.toStdString() << " would be " << window->width() << "x"
                  << window->height() << ", smaller than its layout (" << least.width() << "x"
                  << least.height() << ") or not shown\n";
        ++failures;
        return;
    }
    if (!window->grab().save(path)) {
        std::cerr << "could not save " << path.toStdString() << "\n";
        ++failures;
    } else {
        std::cout << path.toStdString() << "\n";
    }
}

// A press and release of the left button, as the picture buttons expect.
void clickPicture(QWidget* w) {
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

void findAndAdd(shell::VaneWindow& vane, const char* text) {
    vane.textBox("FWP")->setText(QString::fromUtf8(text));
    emit vane.textBox("FWP")->returnPressed();
    clickPicture(vane.picture("Picture25"));
}

// The program, its settings and the user's files all in one folder, with a first run's
// parameter file for its FS98 folder; no window is modal, and quitting does nothing.
void runFrom(shell::AppContext& context, simlink::BuiltInAircraft& aircraft,
             const test::TempDir& folder) {
    context.builtIn = &aircraft;
    context.folders = platform::allIn(folder.path());
    context.launchFolder = folder.path();
    context.modalWindows = false;
    context.quit = [] {};
    folder.write("vane98.par",
                 shell::formatParamFile(shell::firstRunSettings(folder.file("FS98"))));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 2) {
        std::cerr << "usage: help_screenshots OUTPUT_FOLDER [METAR_FILE]\n";
        return 2;
    }
    // Absolute: loading weather makes the program folder the current one.
    outFolder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(outFolder);
    // By default the 2022 reports kept with the tests.
    const std::string metar = argc > 2 ? argv[2] : "";

    test::TempDir program;
    const fs::path built(ZEPHYRA_PROGRAM_DIR);
    fs::copy_file(built / "vanedb.mdb", program.file("vanedb.mdb"));
    fs::copy(built / "FS98", program.file("FS98"), fs::copy_options::recursive);
    fs::copy_file(built / "vuduvo.md", program.file("vuduvo.md"));
    fs::copy(built / "vuduvo-images", program.file("vuduvo-images"), fs::copy_options::recursive);
    // The weather is loaded from a copy: a load may repair a file's line ends in place.
    if (metar.empty()) {
        program.write("weather.txt", test::realData("metar/awc_metars_2022-10-23T11Z.txt"));
    } else {
        fs::copy_file(metar, program.file("weather.txt"));
    }
    // A report file without a date line takes its month and year from the file's date: the
    // copy's is that of the clock below, as the original's was when it was fetched.
    fs::last_write_time(program.file("weather.txt"),
                        std::chrono::file_clock::from_sys(
                            std::chrono::sys_seconds(std::chrono::seconds(kClockStart))));
    program.write("quick.txt",
                  "https://aviationweather.gov/data/metar/\r\n"
                  "https://tgftp.nws.noaa.gov/data/observations/metar/cycles/\r\n");

    platform::VirtualScheduler scheduler(static_cast<double>(kClockStart));
    platform::ScriptedDialogs dialogs;
    platform::PinnedRandom random;
    simlink::BuiltInAircraft aircraft(scheduler);
    test::FakePlatform desktop;
    desktop.simulatorRunning = true;
    shell::AppContext context(scheduler, dialogs, random, desktop, aircraft);
    runFrom(context, aircraft, program);

    shell::VaneWindow vane(context);
    shell::SideWindows side(context, vane);
    shell::SimulatorWindow simulator(aircraft);
    simulator.findAirport =
        [&context](const std::string& ident) -> std::optional<std::pair<double, double>> {
        auto db = weather::WeatherDb::open(context.databasePath(), nullptr, false);
        return db ? db->airportPosition(ident) : std::nullopt;
    };
    if (vane.load() != shell::VaneWindow::LoadResult::MainWindow) {
        std::cerr << "the main window did not load\n";
        return 1;
    }
    vane.show();
    save(&vane, "main-window-empty.png");

    // Load METAR, then a plan from Atlanta to Kennedy, generated and sent.
    aircraft.setLatitude(33.6367);
    aircraft.setLongitude(-84.4281);
    aircraft.setAltitude(3000);
    aircraft.setHeading(45);
    aircraft.setAirspeed(250);
    aircraft.start();
    dialogs.queueFile(program.file("weather.txt"));
    clickPicture(vane.picture("Picture2"));
    vane.textBox("AltHld")->setText("9000");
    vane.textBox("Speed")->setText("250");
    findAndAdd(vane, "hartsfield");
    findAndAdd(vane, "kennedy international");
    save(&vane, "plan-two-entries.png");
    dialogs.queueAnswer(platform::Answer::Ok);
    clickPicture(vane.picture("Picture7"));
    clickPicture(vane.picture("Picture20"));
    scheduler.advance(600);
    save(&vane, "main-window-flying.png");
    simulator.show();
    simulator.refresh();
    save(&simulator, "simulator.png");

    // The first-run window, as a machine without a parameter file shows it.
    {
        shell::StartWindow start(context, program.path(), simlink::findFgfs());
        start.show();
        save(&start, "first-run.png");
        start.hide();
    }

    // The weather map at its first open, with the window manager's frames: the whole screen.
    vane.findChild<QPushButton*>("WeatherMapButton")->click();
    {
        QEventLoop settle;
        QTimer::singleShot(2000, &settle, &QEventLoop::quit);
        settle.exec();
        const QString path = outFolder + "/map-first-open.png";
        if (QGuiApplication::primaryScreen()->grabWindow(0).save(path)) {
            std::cout << path.toStdString() << "\n";
        }
        if (auto* map = vane.findChild<shell::MapBinder*>()->window()) {
            map->hide();
        }
    }

    vane.openSettings();
    if (auto* settingsWindow = vane.findChild<shell::ParmMaintWindow*>()) {
        save(settingsWindow, "settings.png");
        settingsWindow->close();
    }

    side.showWorldReport();
    auto* report = side.worldReport();
    report->stations()->setEditText(QStringLiteral("KATL"));
    report->reportButton()->click();
    report->regions()->setCurrentIndex(report->regions()->findText("United States"));
    emit report->regions()->activated(report->regions()->currentIndex());
    report->findStatesButton()->click();
    report->states()->setCurrentIndex(report->states()->findText("NY"));
    emit report->states()->activated(report->states()->currentIndex());
    report->findStationsButton()->click();
    const int kennedy = report->stations()->findText("KJFK", Qt::MatchEndsWith);
    report->stations()->setCurrentIndex(kennedy);
    emit report->stations()->activated(kennedy);
    report->reportButton()->click();
    save(report, "weather-report.png");

    side.showQuickLink();
    save(side.quickLink(), "quick-link.png");
    side.showHelp();
    save(side.help(), "quick-help.png");
    side.showTutorial();
    side.tutor()->courseButton('B')->click();
    side.tutor()->nextButton()->click();
    side.tutor()->nextButton()->click();
    save(side.tutor(), "tutorial.png");

    // A download under way: a main window of its own, on a fresh program folder, on Qt's clock
    // (the download's waits must serve the network), from a server that sends two fifths of
    // the cycle file of the same hour in pieces and then holds the connection.
    {
        test::TempDir fresh;
        fs::copy_file(built / "vanedb.mdb", fresh.file("vanedb.mdb"));
        fs::copy(built / "FS98", fresh.file("FS98"), fs::copy_options::recursive);
        std::string cycle;
        {
            std::ifstream in(fs::path(metar).parent_path() / "awc_metars_2022-10-23T11Z_cycle.txt",
                             std::ios::binary);
            cycle.assign(std::istreambuf_iterator<char>(in), {});
        }
        test::LoopbackHttpServer server;
        server.route("/metars.txt",
                     {200, QByteArray::fromStdString(cycle), test::LoopbackHttpServer::Mode::Hold});
        fresh.write("zephyra.ini", "[Download]\nUrl=" + server.url("/metars.txt") + "\n");

        platform::QtScheduler clock;
        simlink::BuiltInAircraft idle(clock);
        shell::AppContext live(clock, dialogs, random, desktop, idle);
        runFrom(live, idle, fresh);
        shell::VaneWindow window(live);
        if (window.load() == shell::VaneWindow::LoadResult::MainWindow) {
            window.show();
            auto& downloads = window.weatherActions().downloads();
            QTimer::singleShot(1500, &window, [&] {
                save(&window, "download-progress.png");
                downloads.cancelButton()->click();
            });
            downloads.downloadButton()->click();
        } else {
            std::cerr << "the download's main window did not load\n";
            ++failures;
        }
    }

    for (const auto& text : dialogs.messages()) {
        std::cout << "message: " << text << "\n";
    }
    return failures == 0 ? 0 : 1;
}
