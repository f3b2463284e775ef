#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "weather/AloftField.h"
#include "weather/ObservationTime.h"
#include "weather/WindsAloftField.h"
#include "weather/download/WeatherDownload.h"

// Winds aloft from the network: NOAA's FB text from a fixed address, or GFS model grids cut to
// a box by NOAA's filter, checked whole before they replace what is loaded.
namespace zephyra::weather {

enum class AloftKind { Fb, Gfs };

// The file a download is kept in, in the user's folder, unless another is named.
inline constexpr const char* kAloftFbFile = "aloft.txt";
inline constexpr const char* kAloftGfsFile = "gfs.grib2";

// A box of latitudes and longitudes in degrees (north and east positive). Longitudes run from
// -180 to 180, or up to 360 for a box across the 180th meridian (170 to 190).
struct AloftBox {
    double south = 0;
    double west = 0;
    double north = 0;
    double east = 0;
};

// "S,W,N,E" as a box; nothing, with the reason in error, for text that is not four numbers or
// a box checkAloftBox refuses.
std::optional<AloftBox> parseAloftBox(std::string_view text, std::string* error = nullptr);

// True for a box the filter can cut: latitudes within -90..90 with south below north,
// longitudes within -180..360 with west below east and at most 360 degrees apart. Otherwise
// false, error saying what is wrong ("inverted" or "empty" among others).
bool checkAloftBox(const AloftBox& box, std::string* error = nullptr);

// A box around points with a margin in degrees on every side, latitudes held within -90..90.
// Points on both sides of the 180th meridian, nearer across it, give a box in 0..360. Nothing
// for no points.
std::optional<AloftBox> boxAround(const std::vector<GeoPosition>& points, double marginDegrees);

// The GFS run a request asks for: the newest whose time lies at least kGfsPublishHours before
// now (runs at 00, 06, 12 and 18Z), or runsBack runs before it, and its forecast step nearest
// now (a multiple of 3 hours, 0..384).
inline constexpr int kGfsPublishHours = 4;
struct GfsCycle {
    std::int64_t run = 0;  // seconds since 1970 (UTC)
    int forecastHour = 0;
    std::int64_t validTime() const { return run + forecastHour * 3600LL; }
};
GfsCycle gfsCycle(std::int64_t now, int runsBack = 0);

// The pressure levels (hPa) and fields a GFS request asks for.
inline constexpr int kGfsLevels[] = {1000, 925, 850, 700, 600, 500, 400, 300, 250, 200, 150};
inline constexpr const char* kGfsFields[] = {"UGRD", "VGRD", "TMP", "HGT"};

// The filter address for a checked box and a cycle: base with the query of the run's folder and
// file, the fields, the levels and the box.
std::string gfsFilterUrl(const std::string& base, const AloftBox& box, const GfsCycle& cycle);

// Empty when bytes are whole GRIB edition 2 messages one after the other ("GRIB", each its
// announced length, ending in "7777"); else why not ("cut short", "holds an HTML page").
std::string gribStructureError(std::string_view bytes);

// The reference date an FB product's valid day is read against, for a product written or
// downloaded at a time: the day after it (a product is valid at most a day after it is issued).
ReferenceDate aloftReference(double secondsSince1970);

// The field after a new forecast arrives: forecasts of the same source (FB or GFS) at other
// valid times are kept, at most one beside the new one (the nearest in time to it); the other
// source's are dropped.
AloftField withForecast(const AloftField& current, std::shared_ptr<const AloftData> forecast);

// What the main window says of the field: "Winds aloft: FD1US1, valid 2026-12-07 06:00Z", two
// forecast times as "valid 2026-12-07 06:00Z and 09:00Z"; stale when no forecast is valid
// within kAloftFreshHours of now (or none has a valid time), with how far off it is.
inline constexpr int kAloftFreshHours = 6;
struct AloftStatus {
    std::string text;
    bool stale = false;
};
AloftStatus aloftStatus(const AloftField& field, double nowSeconds);

// Reads a checked file as a forecast; the program's is loadAloftFile with the database.
using AloftReader = std::function<AloftLoad(const std::string& path)>;

struct AloftDownloadResult {
    bool ok = false;
    bool cancelled = false;
    std::string path;   // the file written
    std::string error;  // why nothing was, for the user
    AloftLoad load;     // the forecast read, when ok
};

// One download of winds aloft, on the weather download's fetch (limits, redirects, cancel).
class AloftDownload {
  public:
    AloftDownload(platform::Scheduler& clock, DownloadHost& host);

    // Fetches url, checks the answer (FB: text the reader takes with sites placed; GFS: whole
    // GRIB2 the reader takes) and only then writes it to outPath, all or nothing.
    AloftDownloadResult fetch(AloftKind kind, const std::string& url,
                              const DownloadSettings& limits, const std::string& outPath,
                              const AloftReader& read);
    // GFS for a box from the filter at base: the newest run at now, and when the server has no
    // file of it yet (a 404 or a page in its place) the run before. The error, when both fail,
    // is the newest run's.
    AloftDownloadResult fetchGfs(const std::string& base, const AloftBox& box, std::int64_t now,
                                 const DownloadSettings& limits, const std::string& outPath,
                                 const AloftReader& read);

  private:
    WeatherDownload download_;
    DownloadHost& host_;
};

}  // namespace zephyra::weather
