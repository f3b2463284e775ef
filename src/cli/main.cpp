// zephyra-cli: Zephyra's headless tool.

#include <iostream>
#include <string>
#include <vector>

#include "cli/BuildDbCommand.h"
#include "cli/ConfigureCommand.h"
#include "cli/DeliveryCommands.h"
#include "cli/PlanCommands.h"
#include "cli/SimCommand.h"
#include "cli/WeatherCommands.h"
#include "platform/Folders.h"

namespace {

void usage(std::ostream& out) {
    out << "Usage: zephyra-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  sim        fly the built-in aircraft in simulated time and print its final state\n"
           "  configure  write vane98.par and install files into a simulator folder\n"
           "  build-db   build vanedb.mdb (stations, airports, NAVAIDs, fixes) from data files\n"
           "  decode     load a METAR or SA weather file into the database (--dump: decode only)\n"
           "  download   fetch the current METAR reports, write them to a file and load it\n"
           "  agree      compare the METAR reader with NOAA's decode of a CSV product\n"
           "  show       print one station's weather record\n"
           "  plan       generate a flight plan (.fpl) between two airports or NAVAIDs;\n"
           "             export it to / import it from FlightGear routes and GPX;\n"
           "             send it to FlightGear's route manager\n"
           "  fly        fly a flight plan on the built-in aircraft in simulated time\n"
           "  report     print a station's weather report (--uom U|M|F)\n"
           "  closest    print the station with weather closest to LAT LON\n"
           "Run 'zephyra-cli COMMAND --help' for a command's options.\n"
           "\n"
           "Files \"beside the program\" are there when Zephyra runs from its build folder.\n"
           "Installed (the program in bin/, its data in share/zephyra), the settings\n"
           "(vane98.par, simulator.ini, zephyra.ini) are in $XDG_CONFIG_HOME/zephyra\n"
           "(~/.config/zephyra) and the database, downloads and FS98 folder in\n"
           "$XDG_DATA_HOME/zephyra (~/.local/share/zephyra).\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    const std::string command = argv[1];
    // An installed program keeps the user's files in the home folder: make it ready once.
    if (std::string problem;
        !zephyra::platform::prepareUserFolders(zephyra::platform::folders(), &problem)) {
        std::cerr << "zephyra-cli: " << problem << "\n";
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "sim") {
        return zephyra::cli::runSimCommand(args, std::cout, std::cerr);
    }
    if (command == "build-db") {
        return zephyra::cli::runBuildDbCommand(args, std::cout, std::cerr);
    }
    if (command == "decode") {
        return zephyra::cli::runDecodeCommand(args, std::cout, std::cerr);
    }
    if (command == "download") {
        return zephyra::cli::runDownloadCommand(args, std::cout, std::cerr);
    }
    if (command == "agree") {
        return zephyra::cli::runAgreeCommand(args, std::cout, std::cerr);
    }
    if (command == "show") {
        return zephyra::cli::runShowCommand(args, std::cout, std::cerr);
    }
    if (command == "plan") {
        return zephyra::cli::runPlanCommand(args, std::cout, std::cerr);
    }
    if (command == "fly") {
        return zephyra::cli::runFlyCommand(args, std::cout, std::cerr);
    }
    if (command == "report") {
        return zephyra::cli::runReportCommand(args, std::cout, std::cerr);
    }
    if (command == "closest") {
        return zephyra::cli::runClosestCommand(args, std::cout, std::cerr);
    }
    if (command == "configure") {
        return zephyra::cli::runConfigureCommand(args, std::cout, std::cerr);
    }
    if (command == "help" || command == "--help" || command == "-h") {
        usage(std::cout);
        return 0;
    }
    std::cerr << "zephyra-cli: unknown command '" << command << "'\n";
    usage(std::cerr);
    return 2;
}
