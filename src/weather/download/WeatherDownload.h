#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zephyra::platform {
class Scheduler;
}

namespace zephyra::weather {

// Fetches NOAA's current bulk reports over HTTP(S) and writes them as a plain report file that
// the weather loader reads like any picked file.

inline constexpr const char* kDefaultWeatherUrl =
    "https://aviationweather.gov/data/cache/metars.cache.csv.gz";
// NOAA's winds and temperatures aloft text (the FB product) for the contiguous United States,
// low levels (3,000 to 39,000 ft), the 6-hour forecast.
inline constexpr const char* kDefaultAloftUrl =
    "https://aviationweather.gov/api/data/windtemp?region=all&level=low&fcst=06";
// NOAA's filter of the GFS model's 0.25 degree grids: the address a GFS request's query is
// added to.
inline constexpr const char* kDefaultGfsUrl =
    "https://nomads.ncep.noaa.gov/cgi-bin/filter_gfs_0p25.pl";
// NOAA's current TAFs worldwide, one per row of a CSV file.
inline constexpr const char* kDefaultTafUrl =
    "https://aviationweather.gov/data/cache/tafs.cache.csv.gz";
// The settings file beside the program; vane98.par keeps its own thirteen lines.
inline constexpr const char* kDownloadSettingsFile = "zephyra.ini";

// Where the reports, the TAFs and the winds aloft come from, how long a silent server is waited
// for, how long a whole download may take, and how large a body may grow.
struct DownloadSettings {
    std::string url = kDefaultWeatherUrl;
    int timeoutSeconds = 60;
    int totalSeconds = 600;
    std::int64_t maxBytes = 256ll * 1024 * 1024;  // a day of reports is a few megabytes
    std::string aloftUrl = kDefaultAloftUrl;      // the FB text
    std::string gfsUrl = kDefaultGfsUrl;          // the GFS filter
    std::string tafUrl = kDefaultTafUrl;          // the TAFs
};

// Reads the [Download] section of zephyra.ini in the program folder (keys Url, AloftAddress,
// GfsAddress, TafAddress, TimeoutSeconds and TotalSeconds); missing keys keep their defaults, and
// so does a file that is not a regular file of at most kMaxDownloadSettingsBytes.
inline constexpr std::uintmax_t kMaxDownloadSettingsBytes = 1024 * 1024;
DownloadSettings readDownloadSettings(const std::string& programFolder);

// What a download needs of the window (or console) it runs in.
class DownloadHost {
  public:
    virtual ~DownloadHost() = default;
    virtual void setStatus(const std::string& text) = 0;
    // Asked while the download waits; true ends it.
    virtual bool cancelRequested() = 0;
};

// A body fetched whole, or why not.
struct FetchedBody {
    bool ok = false;
    bool cancelled = false;
    std::string body;
    std::string error;  // in words for the user
};

struct DownloadResult {
    bool ok = false;
    bool cancelled = false;
    std::string path;   // the report file written
    std::string error;  // why there is none, in words for the user
    int reports = 0;    // report lines written
};

// The name of a download's report file, from the UTC time it was made:
// "metar-YYYYMMDD-HHMMZ.txt".
std::string downloadFileName(double wallClockSeconds);

// The observation time (seconds since 1970, UTC) of the newest report of a report file's text,
// the month and year from its date lines or else from the wall clock's date.
std::optional<double> newestObservation(std::string_view text, double wallClockSeconds);

// Turns a downloaded body into the text of a report file: gzip inflated, a NOAA CSV product
// reduced to its reports, CR LF line ends, nothing kept after the last report. False (error says
// why) for a damaged or truncated body, a compressed address that answered something else, or a
// body without reports.
bool reportFileText(const std::string& url, std::string& body, std::string& error, int& reports);

// One download. The waits go through the scheduler, so a window stays live and a test can run
// it on a loopback server.
class WeatherDownload {
  public:
    WeatherDownload(platform::Scheduler& clock, DownloadHost& host);

    // Fetches settings.url and writes the reports to outPath (through a temporary file, so a
    // failed or cancelled download never replaces a good file).
    // With nameAfterNewestReport the file goes into outPath's folder under the name
    // downloadFileName gives the newest report's observation time (outPath's own name when
    // no report has one).
    DownloadResult fetch(const DownloadSettings& settings, const std::string& outPath,
                         bool nameAfterNewestReport = false);

    // Fetches url whole within the settings' limits, following redirects as fetch does; what
    // names the download in the progress lines ("Downloading winds aloft: 12 KB."). A gzip
    // body is handed over as it came.
    FetchedBody fetchBody(const DownloadSettings& limits, const std::string& url,
                          const std::string& what);

  private:
    platform::Scheduler& clock_;
    DownloadHost& host_;
};

}  // namespace zephyra::weather
