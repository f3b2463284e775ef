// Draws the two weather-map pictures of the documentation with the real windows: the world
// after a METAR load, and the US east coast with a plan from Atlanta to New York in flight.
// Usage: map_screenshots PROGRAM_FOLDER METAR_FILE PLAN_FILE OUT_FOLDER
// PROGRAM_FOLDER is a scratch copy of build/bin (vanedb.mdb, vane98.par, map/);
// tools/map-shots prepares it and runs this under Xvfb.
#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QPushButton>
#include <cstdio>
#include <vector>

#include "map/MapWindow.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "shell/MapBinder.h"
#include "shell/PlanControls.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "simlink/BuiltInAircraft.h"
#include "support/FakePlatform.h"

using namespace zephyra;

namespace {

void click(QWidget* w) {
    for (const auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, QPointF(2, 2), w->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: map_screenshots PROGRAM_FOLDER METAR PLAN OUT_FOLDER\n");
        return 2;
    }
    QApplication app(argc, argv);
    platform::VirtualScheduler scheduler;
    platform::ScriptedDialogs dialogs;
    platform::DefaultRandom random;
    test::FakePlatform fake;
    fake.simulatorRunning = true;
    simlink::BuiltInAircraft aircraft(scheduler);
    shell::AppContext ctx(scheduler, dialogs, random, fake, aircraft);
    ctx.builtIn = &aircraft;
    ctx.folders = platform::allIn(argv[1]);
    ctx.launchFolder = argv[1];
    ctx.modalWindows = false;
    shell::VaneWindow vane(ctx);
    if (vane.load() != shell::VaneWindow::LoadResult::MainWindow) {
        std::fprintf(stderr, "no configured program folder\n");
        return 1;
    }
    vane.show();
    vane.weatherActions().loadChosenFile(argv[2]);

    auto* binder = vane.findChild<shell::MapBinder*>();
    binder->open();
    map::MapWindow& mw = *binder->window();
    mw.resize(1288, 686);
    app.processEvents();
    mw.canvas().view().setScale(0.0);  // the whole world
    mw.canvas().view().setCentre({20.0, 0.0});
    mw.refresh();
    app.processEvents();
    const QString out = QString::fromLocal8Bit(argv[4]);
    if (!mw.grab().save(out + "/map-world.png")) {
        std::fprintf(stderr, "cannot write %s/map-world.png\n", argv[4]);
    }

    // The plan, sent with A/P Update on, flown for 45 minutes from Atlanta.
    aircraft.setLatitude(33.6367);
    aircraft.setLongitude(-84.4281);
    aircraft.setAltitude(9000);
    aircraft.setAirspeed(250);
    aircraft.start();
    dialogs.queueFile(std::string(argv[3]));
    vane.press(QStringLiteral("Command14"));
    vane.checkBox(QStringLiteral("UPDHDG"))->setChecked(true);
    vane.checkBox(QStringLiteral("AutSwitch"))->setChecked(true);
    click(vane.picture(QStringLiteral("Picture20")));
    scheduler.advance(45 * 60);
    mw.resize(1280, 800);
    app.processEvents();
    const std::vector<map::GeoPoint> atlantaNewYork{{33.64, -84.43}, {40.64, -73.78}};
    mw.canvas().view().fit(atlantaNewYork, 60.0);
    mw.refresh();
    app.processEvents();
    mw.grab().save(out + "/map-east-coast.png");
    if (qEnvironmentVariableIsSet("ZEPHYRA_SHOT_MAIN")) {
        vane.grab().save(out + "/main-window.png");
    }
    std::printf("%s\n", vane.status().toLocal8Bit().constData());
    return 0;
}
