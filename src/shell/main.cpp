// Zephyra: real-world weather and flight planning beside a flight simulator.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

#include "map/MapWindow.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/Random.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtScheduler.h"
#include "shell/AppContext.h"
#include "shell/DesktopPlatform.h"
#include "shell/EventHook.h"
#include "shell/MapBinder.h"
#include "shell/PlanControls.h"
#include "shell/SideWindows.h"
#include "shell/SimulatorWindow.h"
#include "shell/VaneWindow.h"
#include "shell/WindowPlacement.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/FlightGearLink.h"
#include "simlink/SelectedLink.h"
#include "simlink/SimulatorChoice.h"
#include "weather/SimBriefOfp.h"
#include "weather/WeatherDb.h"

namespace {

QtMessageHandler previousHandler = nullptr;

// Qt's headless platforms announce every window feature they lack; those notes are not errors.
void messageFilter(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) {
        return;
    }
    if (previousHandler != nullptr) {
        previousHandler(type, context, message);
    }
}

// A private runtime folder when the session has none (plain X servers, CI).
void ensureRuntimeDir() {
    if (std::getenv("XDG_RUNTIME_DIR") != nullptr) {
        return;
    }
    const std::string dir = "/tmp/runtime-" + std::to_string(getuid());
    mkdir(dir.c_str(), 0700);
    chmod(dir.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", dir.c_str(), 0);
}

// A window's size with its frame. Before the window manager has framed a window its frame is
// unknown; a usual title bar and border stand in for it.
QSize frameSize(const QWidget& w) {
    const QSize frame = w.frameGeometry().size();
    return frame != w.size() ? frame : w.size() + QSize(8, 32);
}

// Puts the main window and, when shown, the simulator's window fully on the screen's
// available area, side by side where they fit.
void arrangeWindows(QWidget& vane, QWidget& simulator, bool moveMain) {
    const QScreen* screen =
        vane.screen() != nullptr ? vane.screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize mainFrame = frameSize(vane);
    const QSize simFrame = frameSize(simulator);
    const auto place = zephyra::shell::placeSideBySide(
        {area.x(), area.y(), area.width(), area.height()}, mainFrame.width(), mainFrame.height(),
        simFrame.width(), simFrame.height());
    if (moveMain) {
        vane.move(place.main.x, place.main.y);
    }
    if (simulator.isVisible()) {
        if (place.simulator.width < simFrame.width() ||
            place.simulator.height < simFrame.height()) {
            simulator.resize(simulator.size() -
                             (simFrame - QSize(place.simulator.width, place.simulator.height)));
        }
        simulator.move(place.simulator.x, place.simulator.y);
    }
}

// With ZEPHYRA_STARTUP_TIMING set, the start prints when the main window and the map first
// paint, counted from the start of main(). With the value "map" the map is opened as soon as
// the main window has painted, and the program ends once the map has painted: a timing run.
class StartupTiming {
  public:
    StartupTiming() : started_(std::chrono::steady_clock::now()) {
        const char* value = std::getenv("ZEPHYRA_STARTUP_TIMING");
        on_ = value != nullptr && *value != '\0';
        openMap_ = on_ && std::string(value) == "map";
    }

    void watch(zephyra::shell::VaneWindow& vane) {
        if (!on_) {
            return;
        }
        zephyra::shell::EventHook::install(&vane, QEvent::Paint, [this, &vane] {
            if (mainPainted_) {
                return;
            }
            mainPainted_ = true;
            print("main window painted");
            if (openMap_) {
                // After this paint has been shown.
                QTimer::singleShot(0, &vane, [this, &vane] { openMap(vane); });
            }
        });
    }

  private:
    void openMap(zephyra::shell::VaneWindow& vane) {
        auto* binder = vane.findChild<zephyra::shell::MapBinder*>();
        if (binder == nullptr) {
            QCoreApplication::exit(1);
            return;
        }
        mapOpened_ = std::chrono::steady_clock::now();
        binder->open();
        zephyra::shell::EventHook::install(&binder->window()->canvas(), QEvent::Paint, [this] {
            if (mapPainted_) {
                return;
            }
            mapPainted_ = true;
            print("map painted", mapOpened_);
            QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        });
    }

    void print(const char* what,
               std::optional<std::chrono::steady_clock::time_point> since = std::nullopt) const {
        using ms = std::chrono::duration<double, std::milli>;
        const auto now = std::chrono::steady_clock::now();
        std::cerr << "startup: " << what << " after " << ms(now - started_).count() << " ms";
        if (since) {
            std::cerr << " (" << ms(now - *since).count() << " ms after it was opened)";
        }
        std::cerr << "\n";
    }

    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point mapOpened_;
    bool on_ = false;
    bool openMap_ = false;
    bool mainPainted_ = false;
    bool mapPainted_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace zephyra;
    StartupTiming timing;
    const std::string launchFolder = platform::currentDirectory();
    ensureRuntimeDir();
    // Programs started for the user (the simulator, the browser) are reaped by the system.
    std::signal(SIGCHLD, SIG_IGN);
    previousHandler = qInstallMessageHandler(messageFilter);
    weather::readOfpAloftFiles();  // a SimBrief OFP loads as winds aloft

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zephyra"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    // The menu entry's name: desktops take the window's icon and grouping from it.
    QGuiApplication::setDesktopFileName(QStringLiteral("zephyra"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Real-world weather and flight planning for flight simulators."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption startSimulator(
        QStringLiteral("start-simulator"),
        QStringLiteral("Start the simulator with the program: FlightGear when chosen, else the "
                       "built-in one when it is configured."));
    parser.addOption(startSimulator);
    QCommandLineOption simulatorOption(
        QStringLiteral("simulator"),
        QStringLiteral("The simulator to fly with: builtin (the default) or flightgear."),
        QStringLiteral("name"));
    QCommandLineOption hostOption(QStringLiteral("fg-host"),
                                  QStringLiteral("FlightGear's property server host."),
                                  QStringLiteral("host"));
    QCommandLineOption portOption(QStringLiteral("fg-port"),
                                  QStringLiteral("FlightGear's property server port."),
                                  QStringLiteral("port"));
    QCommandLineOption rateOption(
        QStringLiteral("rate"),
        QStringLiteral("Time acceleration for the built-in aircraft: 1, 2, 4, 8 or 16 (also in "
                       "the Simulator window)."),
        QStringLiteral("N"));
    parser.addOption(rateOption);
    parser.addOption(simulatorOption);
    parser.addOption(hostOption);
    parser.addOption(portOption);
    parser.process(app);

    // The simulator: "simulator.ini" among the settings, then the command line.
    const platform::Folders& folders = platform::folders();
    std::string folderProblem;
    if (!platform::prepareUserFolders(folders, &folderProblem)) {
        std::cerr << "zephyra: " << folderProblem << "\n";
    }
    const std::string& settingsFolder = folders.settings;
    std::vector<std::string> problems;
    auto choice = simlink::readSimulatorChoice(
        platform::joinPath(settingsFolder, simlink::kSimulatorFile), &problems);
    for (const auto* option : {&simulatorOption, &hostOption, &portOption}) {
        if (parser.isSet(*option)) {
            const std::string value = parser.value(*option).toStdString();
            std::string problem;
            if (simlink::takeSimulatorOption("--" + option->names().front().toStdString(), &value,
                                             choice, problem) == simlink::OptionUse::Bad) {
                problems.push_back(problem);
            }
        }
    }
    double rate = 1.0;
    if (parser.isSet(rateOption)) {
        const QString text = parser.value(rateOption);
        if (const QStringList allowed{"1", "2", "4", "8", "16"}; allowed.contains(text)) {
            rate = text.toDouble();
        } else {
            problems.push_back("--rate takes 1, 2, 4, 8 or 16, not \"" + text.toStdString() +
                               "\"; the time runs at its normal rate");
        }
        if (rate != 1.0 && choice.kind == simlink::SimulatorKind::FlightGear) {
            problems.push_back(
                "--rate applies to the built-in aircraft only; FlightGear keeps "
                "its own time");
            rate = 1.0;
        }
    }
    for (const auto& problem : problems) {
        std::cerr << "zephyra: " << problem << "\n";
    }

    platform::QtScheduler scheduler;
    scheduler.setRate(rate);
    platform::QtDialogs dialogs;
    platform::DefaultRandom random;
    simlink::BuiltInAircraft aircraft(scheduler);
    shell::DesktopPlatform desktop(aircraft, scheduler);
    simlink::SelectedLink link(&aircraft);
    std::optional<simlink::FlightGearLink> flightGear;
    bool useFlightGear = false;
    auto flyWith = [&](const simlink::SimulatorChoice& chosen) {
        useFlightGear = chosen.kind == simlink::SimulatorKind::FlightGear;
        if (useFlightGear) {
            if (!flightGear) {
                flightGear.emplace(chosen.flightGear);
            }
            flightGear->setAddress(chosen.flightGear.host, chosen.flightGear.port);
            link.select(&*flightGear);
            desktop.useFlightGear(*flightGear, simlink::fgfsArguments(chosen));
        } else {
            link.select(&aircraft);
        }
    };
    flyWith(choice);

    shell::AppContext context{scheduler, dialogs, random, desktop, link};
    // Windows that draw the aircraft read the embedded one only while it is the link.
    context.builtIn = useFlightGear ? nullptr : &aircraft;
    context.flightGear = useFlightGear ? &*flightGear : nullptr;
    context.folders = folders;
    // Installed, the settings folder stands for the folder the program was started from.
    context.launchFolder = folders.installed ? folders.settings : launchFolder;
    context.quit = [] { QCoreApplication::exit(0); };

    shell::VaneWindow vane(context);
    timing.watch(vane);
    dialogs.setParent(&vane);
    shell::SideWindows sideWindows(context, vane);
    shell::SimulatorWindow simulator(aircraft);
    simulator.showRate(rate);
    simulator.onRateChanged = [&scheduler](double r) { scheduler.setRate(r); };
    // Airports by identifier (KATL), from the waypoint table, else the station table.
    simulator.findAirport =
        [&context](const std::string& ident) -> std::optional<std::pair<double, double>> {
        auto db = weather::WeatherDb::open(context.databasePath(), nullptr, false);
        return db ? db->airportPosition(ident) : std::nullopt;
    };
    auto showSimulator = [&vane, &simulator] {
        const bool first = !simulator.isVisible();
        simulator.show();
        simulator.raise();
        if (first) {
            arrangeWindows(vane, simulator, false);
        }
    };
    desktop.onBuiltInStarted = showSimulator;
    // The navigation panel goes into the built-in simulator's window; FlightGear has none of
    // ours, so with it the panel stays in the main window.
    if (!useFlightGear) {
        vane.simulatorPanelHost = [&simulator, showSimulator] {
            showSimulator();
            return simulator.panelHost();
        };
    }

    desktop.tellUser = [&dialogs](const std::string& text) { dialogs.inform(text); };
    auto startMainWindow = [&] {
        arrangeWindows(vane, simulator, true);
        vane.show();
        const bool builtInFolder = shell::DesktopPlatform::isBuiltInFolder(context.settings.Path98);
        if (!useFlightGear && !builtInFolder) {
            // FS98 under Wine: nothing of ours reaches it. Say so once, then plan without a link.
            link.select(nullptr);
            context.builtIn = nullptr;
            dialogs.inform(simlink::choice_text::kNoLinkToFs98);
        }
        if (parser.isSet(startSimulator) && useFlightGear) {
            desktop.startSimulator(context.settings.Path98);
        } else if (parser.isSet(startSimulator) && builtInFolder) {
            desktop.startSimulator(context.settings.Path98);
            vane.activateWindow();
        }
        // Once the window manager has framed the windows, place them again by their real
        // frames.
        QTimer::singleShot(400, &vane,
                           [&vane, &simulator] { arrangeWindows(vane, simulator, true); });
    };
    // A first run takes its choice at once: the simulator chosen there, then the main window.
    vane.onConfigured = [&] {
        flyWith(simlink::readSimulatorChoice(
            platform::joinPath(settingsFolder, simlink::kSimulatorFile)));
        context.builtIn = useFlightGear ? nullptr : &aircraft;
        context.flightGear = useFlightGear ? &*flightGear : nullptr;
        // The window loaded before the choice took effect: name the simulator now.
        vane.showSimulatorInUse(std::nullopt);
        if (useFlightGear) {
            vane.simulatorPanelHost = nullptr;
        }
        startMainWindow();
    };
    if (vane.load() == shell::VaneWindow::LoadResult::MainWindow) {
        startMainWindow();
    }
    return QApplication::exec();
}
