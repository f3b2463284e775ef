// Flies the real main window against a live FlightGear, for docs/flightgear.md: on a scratch
// copy of the program folder, with FlightGear's link on PORT and the real clock, it loads a
// weather file (Load METAR), generates and sends a plan from Hartsfield to Kennedy at 9,000 ft
// and 120 kt with A/P Update on, sends it to FlightGear's route manager (Share), and then
// watches the window while FlightGear is stopped and started again by whoever runs it. It
// saves the main window as main-connected.png, main-disconnected.png and main-reconnected.png
// in OUT_FOLDER and prints one line per event with the wall-clock time; it runs until it is
// stopped (a signal, so FlightGear keeps the weather sent). Not run in CI: see
// script/flightgear-restart, which starts FlightGear, restarts it and reads its properties.
//   fg_window_run OUT_FOLDER METAR_FILE PORT

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMouseEvent>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <string>

#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/qt/QtScheduler.h"
#include "shell/AppContext.h"
#include "shell/ParamFile.h"
#include "shell/VaneWindow.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/FlightGearLink.h"
#include "simlink/SelectedLink.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using namespace zephyra;

namespace {

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

void event(const std::string& what, shell::VaneWindow& vane) {
    const auto text = [&](const char* name) { return vane.label(name)->text().toStdString(); };
    std::cout << QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toStdString() << "  "
              << what << "  [" << text("SimulatorLink") << "] status \""
              << vane.status().toStdString() << "\" waypoint " << text("FWAYP") << " Hdg "
              << text("Hdg") << " Alt " << text("AltHold") << " Spd " << text("SpdHold")
              << " station \"" << text("Text3") << "\" Wind " << text("WindDir") << "/"
              << text("WindSpd") << " Var " << vane.textBox("altbrng")->text().toStdString()
              << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    if (argc < 4) {
        std::cerr << "usage: fg_window_run OUT_FOLDER METAR_FILE PORT\n";
        return 2;
    }
    const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(out);
    test::TempDir program;
    const fs::path built(ZEPHYRA_PROGRAM_DIR);
    fs::copy_file(built / "vanedb.mdb", program.file("vanedb.mdb"));
    fs::copy(built / "FS98", program.file("FS98"), fs::copy_options::recursive);
    fs::copy_file(argv[2], program.file("weather.txt"));

    platform::QtScheduler scheduler;
    platform::ScriptedDialogs dialogs;
    platform::DefaultRandom random;
    simlink::BuiltInAircraft aircraft(scheduler);
    simlink::FlightGearLink fg({.port = std::stoi(argv[3])});
    simlink::SelectedLink link(&fg);
    test::FakePlatform desktop;
    desktop.simulatorRunning = true;  // FlightGear is started by the script
    shell::AppContext context(scheduler, dialogs, random, desktop, link);
    context.flightGear = &fg;
    context.folders = platform::allIn(program.path());
    context.launchFolder = program.path();
    context.modalWindows = false;
    context.quit = [] {};
    program.write("vane98.par",
                  shell::formatParamFile(shell::firstRunSettings(program.file("FS98"))));

    shell::VaneWindow vane(context);
    if (vane.load() != shell::VaneWindow::LoadResult::MainWindow) {
        std::cerr << "the main window did not load\n";
        return 1;
    }
    vane.show();
    auto save = [&](const char* name) {
        QApplication::processEvents();
        vane.grab().save(out + '/' + QString::fromLatin1(name));
        event(std::string("saved ") + name, vane);
    };

    dialogs.queueFile(program.file("weather.txt"));
    clickPicture(vane.picture("Picture2"));  // Load METAR
    event("weather loaded", vane);
    vane.textBox("AltHld")->setText("9000");
    vane.textBox("Speed")->setText("120");
    findAndAdd(vane, "hartsfield");
    findAndAdd(vane, "kennedy international");
    dialogs.queueAnswer(platform::Answer::Ok);
    clickPicture(vane.picture("Picture7"));   // Auto
    clickPicture(vane.picture("Picture20"));  // Send
    vane.checkBox("UPDHDG")->setChecked(true);
    event("plan sent", vane);
    vane.findChild<QAction*>(QStringLiteral("SendPlanToFlightGear"))->trigger();
    std::cout << "route: " << dialogs.lastMessage() << std::endl;

    // Connected, then FlightGear stopped, then started again.
    int stage = 0;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const QString state = vane.label("SimulatorLink")->text();
        if (stage == 0 && state.startsWith(QLatin1String("connected")) &&
            !vane.label("Label15")->text().isEmpty()) {
            // The first tick passed Hartsfield: the route again, with the active waypoint.
            vane.findChild<QAction*>(QStringLiteral("SendPlanToFlightGear"))->trigger();
            std::cout << "route: " << dialogs.lastMessage() << std::endl;
            save("main-connected.png");
            stage = 1;
        } else if (stage == 1 && state.startsWith(QLatin1String("not connected"))) {
            save("main-disconnected.png");
            stage = 2;
        } else if (stage == 2 && state.startsWith(QLatin1String("connected"))) {
            event("reconnected", vane);
            stage = 3;
            // Kept running until stopped: closing the link would switch FlightGear's own
            // weather back on.
            QTimer::singleShot(12000, [&] { save("main-reconnected.png"); });
        }
    });
    watch.start(250);
    return QApplication::exec();
}
