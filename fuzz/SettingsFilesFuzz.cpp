// Arbitrary bytes as the small files the program reads beside itself: "simulator.ini" and
// "quick.txt" (the first byte picks which, and is not part of the file). The reader must
// keep every value in its range whatever the file holds.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "help/QuickLinks.h"
#include "simlink/SimulatorChoice.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

using zephyra::fuzz::require;

const std::string& scratch() {
    static const std::string path = zephyra::fuzz::scratchPath("settings").string();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    {
        std::ofstream out(scratch(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data) + 1, static_cast<std::streamsize>(size - 1));
    }
    if ((data[0] & 1) != 0) {
        std::vector<std::string> problems;
        const auto choice = simlink::readSimulatorChoice(scratch(), &problems);
        require(choice.flightGear.port >= 1 && choice.flightGear.port <= 65535);
        (void)simlink::fgfsArguments(choice);
    } else {
        const auto links = help::loadQuickLinks(scratch());
        (void)help::usableLink(links.first);
        (void)help::usableLink(links.second);
    }
    std::error_code ec;
    fs::remove(scratch(), ec);
    return 0;
}
