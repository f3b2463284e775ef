// Zephyra: real-world weather and flight planning beside a flight simulator.

#include <QApplication>
#include <QCommandLineParser>

#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/QtScheduler.h"
#include "shell/AppContext.h"
#include "shell/DesktopPlatform.h"
#include "shell/SimulatorWindow.h"
#include "shell/VaneWindow.h"
#include "simlink/BuiltInAircraft.h"

int main(int argc, char** argv) {
    using namespace zephyra;
    const std::string launchFolder = platform::currentDirectory();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zephyra"));
    QApplication::setApplicationVersion(QStringLiteral("1.1"));
    QApplication::setStyle(QStringLiteral("Fusion"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Real-world weather and flight planning for flight simulators."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption startSimulator(
        QStringLiteral("start-simulator"),
        QStringLiteral("Start the built-in simulator with the program when it is configured."));
    parser.addOption(startSimulator);
    parser.process(app);

    platform::QtScheduler scheduler;
    platform::QtDialogs dialogs;
    platform::DefaultRandom random;
    simlink::BuiltInAircraft aircraft(scheduler);
    shell::DesktopPlatform desktop(aircraft);

    shell::AppContext context{scheduler, dialogs, random, desktop, aircraft};
    context.builtIn = &aircraft;
    context.programFolder = platform::programFolder();
    context.launchFolder = launchFolder;
    context.quit = [] { QCoreApplication::exit(0); };

    shell::VaneWindow vane(context);
    dialogs.setParent(&vane);
    shell::SimulatorWindow simulator(aircraft);
    desktop.onBuiltInStarted = [&simulator] {
        simulator.show();
        simulator.raise();
    };
    vane.simulatorPanelHost = [&simulator] {
        simulator.show();
        return simulator.panelHost();
    };

    if (vane.load() == shell::VaneWindow::LoadResult::MainWindow) {
        vane.show();
        if (parser.isSet(startSimulator) &&
            shell::DesktopPlatform::isBuiltInFolder(context.settings.Path98)) {
            desktop.startSimulator(context.settings.Path98);
            simulator.move(vane.frameGeometry().topRight() + QPoint(12, 0));
            vane.activateWindow();
        }
    }
    return QApplication::exec();
}
