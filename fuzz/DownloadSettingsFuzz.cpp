// Arbitrary bytes as "zephyra.ini": the download settings must come out usable whatever the
// file holds (an address, and time limits above zero).

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzSupport.h"
#include "weather/download/WeatherDownload.h"

namespace {

namespace fs = std::filesystem;
using namespace zephyra;

using zephyra::fuzz::require;

const std::string& folder() {
    static const std::string path = [] {
        const auto p = zephyra::fuzz::scratchPath("ini");
        fs::create_directories(p);
        return p.string();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fs::path file = fs::path(folder()) / weather::kDownloadSettingsFile;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const auto settings = weather::readDownloadSettings(folder());
    require(!settings.url.empty());
    require(settings.timeoutSeconds > 0 && settings.totalSeconds > 0);
    std::error_code ec;
    fs::remove(file, ec);
    return 0;
}
