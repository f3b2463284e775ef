#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/Taf.h"
#include "weather/download/WeatherDownload.h"

// TAFs from the network: NOAA's CSV cache of every current TAF, checked whole and read before
// the file is written and the TAFs replace those loaded.
namespace zephyra::weather {

// The file a download is kept in, in the user's folder, unless another is named.
inline constexpr const char* kTafFile = "tafs.csv";

// Empty when a CSV product arrived whole; else why not. NOAA's cache files may start with
// status lines, one of them "N results": fewer rows than that after the header is a cut file.
std::string tafCsvCutError(std::string_view text);

struct TafDownloadResult {
    bool ok = false;
    bool cancelled = false;
    std::string path;   // the file written
    std::string error;  // why nothing was, for the user
    std::vector<Taf> tafs;
};

// One download of TAFs, on the weather download's fetch (limits, redirects, cancel).
class TafDownload {
  public:
    TafDownload(platform::Scheduler& clock, DownloadHost& host);

    // Fetches url, inflates it, checks that it arrived whole and holds TAFs (their day-hour
    // groups read against now), and only then writes the text to outPath, all or nothing.
    TafDownloadResult fetch(const std::string& url, const DownloadSettings& limits,
                            const std::string& outPath, std::int64_t now);

  private:
    WeatherDownload download_;
    DownloadHost& host_;
};

}  // namespace zephyra::weather
