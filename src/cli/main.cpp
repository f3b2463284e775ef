// zephyra-cli: Zephyra's headless tool.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/BuildDbCommand.h"
#include "cli/ConfigureCommand.h"
#include "cli/DeliveryCommands.h"
#include "cli/PlanCommands.h"
#include "cli/QtCommands.h"
#include "cli/SimCommand.h"
#include "cli/TafCommand.h"
#include "cli/WeatherCommands.h"
#include "platform/Folders.h"
#include "weather/AloftField.h"
#include "weather/SimBriefOfp.h"

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace {

void usage(std::ostream& out) {
    out << "Usage: zephyra-cli COMMAND [OPTIONS]\n"
           "\n"
           "Commands:\n"
           "  sim        fly the built-in aircraft in simulated time and print its final state\n"
           "  configure  write vane98.par and install files into a simulator folder\n"
           "  build-db   build vanedb.mdb (stations, airports, NAVAIDs, fixes) from data files\n"
           "  decode     load a METAR or SA weather file into the database (--dump: decode only)\n"
           "  download   fetch the current METAR reports, write them to a file and load it;\n"
           "             --aloft fb|gfs: a winds aloft forecast (NOAA's FB text, GFS grids);\n"
           "             --taf: the current TAFs, loaded into the database\n"
           "  agree      compare the METAR reader with NOAA's decode of a CSV product\n"
           "  show       print one station's weather record\n"
           "  aloft      the wind and temperature aloft at a point, from a winds aloft forecast\n"
           "  taf        a station's terminal aerodrome forecast, decoded; --at: the forecast\n"
           "             at a time\n"
           "  plan       generate a flight plan (.fpl) between two airports or NAVAIDs;\n"
           "             export it to / import it from FlightGear routes and GPX;\n"
           "             send it to FlightGear's route manager; show its legs with\n"
           "             the winds aloft of a forecast (plan show)\n"
           "  brief      write a route briefing (HTML): legs in the winds aloft, METAR and TAF\n"
           "             of both ends, flight categories along the route, sources' ages\n"
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

// A load touches some 25 MB of fresh memory (the records, the station table, the waypoint
// store, the database's pages): taken 4 KB at a time that is 6,000 page faults, a fifth of the
// run. The heap is grown in one step instead, in large pages where the system offers them.
// Even so the kernel clears each page as it is first written, a tenth of a load's time: for a
// command that loads weather, a second thread has the first 20 MB cleared and mapped
// meanwhile, on another processor where there is one. That only maps pages; their contents,
// and whatever the program has written there already, stay as they are.
void prepareHeap(bool loadsWeather) {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr std::size_t kHeap = std::size_t{64} << 20;
    constexpr std::size_t kPrefaulted = std::size_t{20} << 20;
    constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
    mallopt(M_TOP_PAD, static_cast<int>(kHeap));
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    const auto start = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Grows the heap by this block and the pad (volatile: the pair is not optimised away).
    void* volatile block = malloc(std::size_t{1} << 20);
    free(block);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    if (end <= first) {
        return;
    }
    madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    if (loadsWeather && std::thread::hardware_concurrency() > 1) {
        const std::size_t bytes = std::min<std::size_t>(end - first, kPrefaulted);
        try {
            // A large page at a time: the mapping is locked while a call runs, and the main
            // thread's own mappings (the database's shared memory, a thread's stack) wait.
            std::thread([first, bytes, step = std::size_t{kLargePage}] {
                for (std::size_t done = 0; done < bytes; done += step) {
                    madvise(reinterpret_cast<void*>(first + done), std::min(step, bytes - done),
                            MADV_POPULATE_WRITE);
                }
            }).detach();
        } catch (const std::system_error&) {
            // No thread to spare: the pages are cleared as they are written.
        }
    }
#else
    (void)loadsWeather;
#endif
}

char** startedWith = nullptr;

// Whether a --aloft names a file in XML (a SimBrief OFP).
bool namesXmlAloft(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) != "--aloft") {
            continue;
        }
        std::ifstream in(argv[i + 1], std::ios::binary);
        char start[256] = {};
        in.read(start, sizeof start);
        if (zephyra::weather::looksLikeXml(
                std::string_view(start, static_cast<std::size_t>(in.gcount())))) {
            return true;
        }
    }
    return false;
}

}  // namespace

namespace zephyra::cli {
char** programArguments() {
    return startedWith;
}
}  // namespace zephyra::cli

int main(int argc, char** argv) {
    const std::string command = argc < 2 ? std::string() : argv[1];
    prepareHeap(command == "decode" || command == "fly");
    startedWith = argv;
    if (argc < 2) {
        usage(std::cerr);
        return 2;
    }
    zephyra::cli::prepareQtReaders();
    if (!zephyra::weather::readsXmlAloft() && namesXmlAloft(argc, argv)) {
        return zephyra::cli::runWithQt(command, std::cerr);
    }
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
    if (command == "aloft") {
        return zephyra::cli::runAloftCommand(args, std::cout, std::cerr);
    }
    if (command == "taf") {
        return zephyra::cli::runTafCommand(args, std::cout, std::cerr);
    }
    if (command == "show") {
        return zephyra::cli::runShowCommand(args, std::cout, std::cerr);
    }
    if (command == "plan") {
        return zephyra::cli::runPlanCommand(args, std::cout, std::cerr);
    }
    if (command == "brief") {
        return zephyra::cli::runBriefCommand(args, std::cout, std::cerr);
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
