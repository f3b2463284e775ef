// Winds aloft downloads: the GFS request from a box and the clock, the field a new forecast
// makes, what the window says of it, and downloads from a loopback server (never the internet).

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/qt/QtScheduler.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"
#include "weather/download/AloftDownload.h"

using namespace zephyra;
using namespace zephyra::weather;
using Mode = test::LoopbackHttpServer::Mode;

namespace {

// Seconds since 1970 of 2026-12-07 00:00Z.
constexpr std::int64_t kDec7 = 1796601600;
constexpr std::int64_t kHour = 3600;

const std::string kFilter =
    "/cgi-bin/filter_gfs_0p25.pl?dir=%2Fgfs.20261207%2F00%2Fatmos&file=gfs.t00z.pgrb2.0p25.f009"
    "&var_UGRD=on&var_VGRD=on&var_TMP=on&var_HGT=on&lev_1000_mb=on&lev_925_mb=on&lev_850_mb=on"
    "&lev_700_mb=on&lev_600_mb=on&lev_500_mb=on&lev_400_mb=on&lev_300_mb=on&lev_250_mb=on"
    "&lev_200_mb=on&lev_150_mb=on&subregion=&toplat=50&leftlon=-126&rightlon=-66&bottomlat=24";

// A GRIB2 message of the announced length: section 0 (edition at byte 7, the length in bytes
// 8-15), a filler body and the end section "7777".
std::string gribMessage(int edition = 2, std::size_t body = 40) {
    const std::uint64_t length = 16 + body + 4;
    std::string m = "GRIB";
    m += std::string(3, '\0');
    m += static_cast<char>(edition);
    for (int shift = 56; shift >= 0; shift -= 8) {
        m += static_cast<char>((length >> shift) & 0xff);
    }
    return m + std::string(body, 'x') + "7777";
}

class Named final : public AloftData {
  public:
    Named(std::string name, std::int64_t valid) : name_(std::move(name)), valid_(valid) {}
    std::optional<AloftSample> at(double, double, double) const override { return {}; }
    std::string name() const override { return name_; }
    std::int64_t validTime() const override { return valid_; }

  private:
    std::string name_;
    std::int64_t valid_;
};

TEST(AloftRequest, BoxesCyclesAndTheFilterAddress) {
    const struct {
        const char* text;
        const char* error;  // empty: a good box
    } boxes[] = {
        {"24,-126,50,-66", ""},
        {"10,170,20,190.5", ""},  // across the 180th meridian
        {"50,-126,24,-66", "The box is inverted: its south side lies north of its north side."},
        {"24,-66,50,-126",
         "The box is inverted: its west side lies east of its east side. A box across the 180th "
         "meridian goes to east longitudes above 180 (170 to 190)."},
        {"24,-80,24,-70", "The box is empty: its south and north sides are the same."},
        {"24,-80,30,-80", "The box is empty: its west and east sides are the same."},
        {"85,0,95,10", "Latitudes run from -90 to 90."},
        {"10,-190,20,0",
         "Longitudes run from -180 to 180 (or to 360 for a box across the 180th "
         "meridian)."},
        {"10,-180,20,200", "The box is wider than the world."},
        {"24,-126,50",
         "A box is four numbers S,W,N,E in degrees (north and east positive), as "
         "24,-126,50,-66."},
        {"24,-126,50,-66x",
         "A box is four numbers S,W,N,E in degrees (north and east "
         "positive), as 24,-126,50,-66."},
        {"nan,0,1,1",
         "A box is four numbers S,W,N,E in degrees (north and east positive), as "
         "24,-126,50,-66."},
    };
    for (const auto& b : boxes) {
        std::string error;
        EXPECT_EQ(parseAloftBox(b.text, &error).has_value(), *b.error == '\0') << b.text;
        EXPECT_EQ(error, b.error) << b.text;
    }

    // The newest run published 4 hours after its time, the step nearest now.
    const struct {
        std::int64_t now, run;
        int step;
    } cycles[] = {
        {kDec7 + 9 * kHour + 1800, kDec7, 9},  // 09:30Z: the 00Z run, 9.5 h on
        {kDec7 + 10 * kHour, kDec7 + 6 * kHour, 3},
        {kDec7 + 5 * kHour, kDec7, 6},
        {kDec7 + 4 * kHour, kDec7, 3},
        {kDec7 + 3 * kHour + 59 * 60, kDec7 - 6 * kHour, 9},  // yesterday's 18Z run
    };
    for (const auto& c : cycles) {
        const GfsCycle got = gfsCycle(c.now);
        EXPECT_EQ(got.run, c.run) << c.now;
        EXPECT_EQ(got.forecastHour, c.step) << c.now;
    }

    const AloftBox us = *parseAloftBox("24,-126,50,-66");
    EXPECT_EQ(gfsFilterUrl(kDefaultGfsUrl, us, gfsCycle(kDec7 + 9 * kHour + 1800)),
              "https://nomads.ncep.noaa.gov" + kFilter);
    EXPECT_TRUE(gfsFilterUrl("http://mirror.example/filter.pl?key=1",
                             *parseAloftBox("10,170,20,190.5"),
                             gfsCycle(kDec7 + 3 * kHour + 59 * 60))
                    .starts_with("http://mirror.example/filter.pl?key=1&dir=%2Fgfs.20261206%2F18"
                                 "%2Fatmos&file=gfs.t18z.pgrb2.0p25.f009&var_UGRD=on"));
    EXPECT_TRUE(gfsFilterUrl(kDefaultGfsUrl, *parseAloftBox("10,170,20,190.5"), gfsCycle(kDec7))
                    .ends_with("&toplat=20&leftlon=170&rightlon=190.5&bottomlat=10"));

    // Boxes around a plan: a margin, the poles held, the shorter way across 180 degrees.
    const struct {
        std::vector<GeoPosition> points;
        AloftBox box;
    } around[] = {
        {{{33.64, -84.43}, {40.64, -73.78}}, {31.64, -86.43, 42.64, -71.78}},
        {{{89.0, 10.0}}, {87.0, 8.0, 90.0, 12.0}},
        {{{21.3, -157.9}, {13.5, 144.8}}, {11.5, 142.8, 23.3, 204.1}},  // Honolulu to Guam
        {{{0.0, -179.5}}, {-2.0, 178.5, 2.0, 182.5}},
    };
    for (const auto& a : around) {
        const auto box = boxAround(a.points, 2.0);
        ASSERT_TRUE(box);
        EXPECT_NEAR(box->south, a.box.south, 1e-9);
        EXPECT_NEAR(box->west, a.box.west, 1e-9);
        EXPECT_NEAR(box->north, a.box.north, 1e-9);
        EXPECT_NEAR(box->east, a.box.east, 1e-9);
        EXPECT_TRUE(checkAloftBox(*box));
    }
    EXPECT_FALSE(boxAround({}, 2.0));

    // A product issued late on the 31st is valid on the 1st of the next month.
    const ReferenceDate newYear =
        aloftReference(static_cast<double>(kDec7 + 24 * 24 * kHour + 22 * kHour));
    EXPECT_EQ(newYear.year, 2027);
    EXPECT_EQ(newYear.month, 1);
    EXPECT_EQ(newYear.day, 1);

    const std::string whole = gribMessage() + gribMessage(2, 100);
    const struct {
        std::string bytes;
        const char* error;
    } gribs[] = {
        {whole, ""},
        {"", "The download is empty."},
        {"<html><body>data file is not present</body></html>",
         "The download holds an HTML page, not GRIB2 data."},
        {whole.substr(0, whole.size() - 10),
         "The download is cut short (its last GRIB2 message is incomplete)."},
        {whole.substr(0, gribMessage().size() + 9),
         "The download is cut short (its last GRIB2 message is incomplete)."},
        {whole.substr(0, whole.size() - 4) + "7776",
         "The download is damaged (a GRIB2 message does not end in 7777)."},
        {gribMessage(1), "The download is GRIB edition 1, not GRIB2."},
        {whole + "<html>", "The download has other data after its GRIB2 messages."},
    };
    for (const auto& g : gribs) {
        EXPECT_EQ(gribStructureError(g.bytes), g.error) << g.bytes.size();
    }
}

// A new forecast joins the one of its source nearest in time; the other source goes. What the
// window says: the forecasts, their valid times, and how far from now when over 6 hours.
TEST(AloftRequest, TheFieldANewForecastMakesAndItsStatus) {
    const auto fb = [](const char* name, std::int64_t valid) {
        return std::make_shared<Named>(name, valid);
    };
    AloftField field;
    EXPECT_EQ(aloftStatus(field, kDec7).text, "Winds aloft: none loaded");
    EXPECT_FALSE(aloftStatus(field, kDec7).stale);

    field = withForecast(field, fb("FD1US1", kDec7 + 6 * kHour));
    const struct {
        double now;
        const char* text;
        bool stale;
    } times[] = {
        {kDec7 + 2 * kHour, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z", false},
        {kDec7 + 12 * kHour, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z", false},
        {kDec7 + 12 * kHour + 60, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z (6 h old)", true},
        {kDec7 + 36 * kHour, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z (30 h old)", true},
        {kDec7 + 30 * 24 * kHour, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z (29 days old)",
         true},
        {kDec7 - 8 * kHour, "Winds aloft: FD1US1, valid 2026-12-07 06:00Z (14 h ahead)", true},
    };
    for (const auto& t : times) {
        const AloftStatus s = aloftStatus(field, t.now);
        EXPECT_EQ(s.text, t.text);
        EXPECT_EQ(s.stale, t.stale) << t.text;
    }

    field = withForecast(field, fb("FD2US2", kDec7 + 12 * kHour));
    EXPECT_EQ(aloftStatus(field, kDec7 + 9 * kHour).text,
              "Winds aloft: FD1US1 and FD2US2, valid 2026-12-07 06:00Z and 12:00Z");
    // GFS replaces the FB forecasts; a third GFS time keeps the one nearest it.
    const char* gfs03 = "GFS 0.25 deg 2026-12-07 00Z +3 h";
    const char* gfs06 = "GFS 0.25 deg 2026-12-07 00Z +6 h";
    const char* gfs09 = "GFS 0.25 deg 2026-12-07 00Z +9 h";
    field = withForecast(field, fb(gfs06, kDec7 + 6 * kHour));
    EXPECT_EQ(aloftStatus(field, kDec7 + 6 * kHour).text,
              std::string("Winds aloft: ") + gfs06 + ", valid 2026-12-07 06:00Z");
    field = withForecast(field, fb(gfs03, kDec7 + 3 * kHour));
    field = withForecast(field, fb(gfs09, kDec7 + 9 * kHour));
    ASSERT_EQ(field.forecasts().size(), 2u);
    EXPECT_EQ(field.forecasts()[0]->name(), gfs06);
    EXPECT_EQ(field.forecasts()[1]->name(), gfs09);
    EXPECT_EQ(aloftStatus(field, kDec7 + 7 * kHour).text,
              "Winds aloft: GFS, valid 2026-12-07 06:00Z and 09:00Z");
    // The same valid time again replaces it; a time across midnight gives its date.
    field = withForecast(field, fb(gfs09, kDec7 + 9 * kHour));
    field = withForecast(field, fb("GFS 0.25 deg 2026-12-07 18Z +6 h", kDec7 + 24 * kHour));
    EXPECT_EQ(aloftStatus(field, kDec7 + 12 * kHour).text,
              "Winds aloft: GFS, valid 2026-12-07 09:00Z and 2026-12-08 00:00Z");

    field = withForecast(AloftField{}, fb("FD1US1", 0));
    EXPECT_EQ(aloftStatus(field, kDec7).text, "Winds aloft: FD1US1, valid time not known");
    EXPECT_TRUE(aloftStatus(field, kDec7).stale);
}

class RecordingHost final : public DownloadHost {
  public:
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    bool cancelRequested() override { return false; }
    std::vector<std::string> statuses;
};

int scratchFiles() {
    int n = 0;
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        n += e.path().filename().string().starts_with("zephyra-aloft-") ? 1 : 0;
    }
    return n;
}

class AloftDownloadTest : public ::testing::Test {
  protected:
    AloftDownloadTest() {
        std::string error;
        db = WeatherDb::open(std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb", &error, false);
        EXPECT_TRUE(db) << error;
        limits.timeoutSeconds = 5;
        limits.maxBytes = 4 * 1024 * 1024;
    }
    AloftDownloadResult fetch(AloftKind kind, const std::string& path, const AloftReader& reader) {
        AloftDownload download(clock, host);
        return download.fetch(kind, server.url(path), limits, out, reader);
    }
    // The program's reader, FB valid days read against 2026-12-08.
    AloftReader programReader() {
        return [this](const std::string& path) {
            return loadAloftFile(path, *db, ReferenceDate{2026, 12, 8});
        };
    }

    test::LoopbackHttpServer server;
    platform::QtScheduler clock;
    RecordingHost host;
    test::TempDir dir;
    DownloadSettings limits;
    std::unique_ptr<WeatherDb> db;
    std::string out = dir.write("aloft.txt", "the old file\n");
};

TEST_F(AloftDownloadTest, OnlyAWholeReadableAnswerIsWritten) {
    const std::string fd1 = test::realData("aloft/FD1US1.txt");
    const QByteArray text(fd1.data(), static_cast<qsizetype>(fd1.size()));
    const std::string gz = test::gzip(fd1);
    const std::string whole = gribMessage() + gribMessage(2, 300);
    const auto bytes = [](const std::string& s) {
        return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
    };
    server.route("/windtemp?region=all&level=low&fcst=06", {200, text});
    server.route("/windtemp.gz", {200, bytes(gz), Mode::Whole, {}, "Content-Encoding: gzip\r\n"});
    server.route("/page", {200, "<html><body>Service unavailable</body></html>"});
    server.route("/empty", {200, ""});
    server.route("/cut", {200, text, Mode::Truncate});
    server.route("/nowhere", {200,
                              "FD1US1\nVALID 080600Z\n\nFT  3000    6000\n"
                              "ZZQ 2325 2226+14\n"});
    server.route("/nosites", {200, "FD1US1\nVALID 080600Z\n\nFT  3000    6000\n"});
    server.route(QByteArray::fromStdString(kFilter), {200, bytes(whole)});
    server.route("/gfs-page", {200, "<html><body>data file is not present</body></html>"});
    server.route("/gfs-cut", {200, bytes(whole.substr(0, whole.size() - 100))});
    server.route("/gfs-short", {200, bytes(whole), Mode::Truncate});

    // Until the GRIB reader lands, a structurally whole file stands for a readable one here.
    const AloftReader standIn = [](const std::string& path) {
        AloftLoad load;
        if (std::ifstream(path).good()) {
            load.forecast =
                std::make_shared<Named>("GFS 0.25 deg 2026-12-07 00Z +9 h", kDec7 + 9 * kHour);
        }
        return load;
    };
    const int scratchBefore = scratchFiles();
    const struct {
        AloftKind kind;
        std::string path;
        const char* error;  // empty: accepted
    } cases[] = {
        {AloftKind::Fb, "/windtemp?region=all&level=low&fcst=06", ""},
        {AloftKind::Fb, "/windtemp.gz", ""},
        {AloftKind::Fb, "/page", "The download holds an HTML page, not a winds aloft forecast."},
        {AloftKind::Fb, "/empty", "The download holds no winds aloft forecast."},
        {AloftKind::Fb, "/cut", "The download ended early"},
        {AloftKind::Fb, "/nowhere",
         "The download could not be read: no site of the forecast could be placed."},
        {AloftKind::Fb, "/nosites", "The download holds a winds aloft forecast without sites."},
        {AloftKind::Fb, "/missing", "The server answered 404 (Not Found)."},
        {AloftKind::Gfs, kFilter, ""},
        {AloftKind::Gfs, "/gfs-page", "The download holds an HTML page, not GRIB2 data."},
        {AloftKind::Gfs, "/empty", "The download is empty."},
        {AloftKind::Gfs, "/gfs-cut",
         "The download is cut short (its last GRIB2 message is incomplete)."},
        {AloftKind::Gfs, "/gfs-short", "The download ended early"},
        {AloftKind::Gfs, "/windtemp?region=all&level=low&fcst=06",
         "The download holds no GRIB2 data."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        dir.write("aloft.txt", "the old file\n");
        const auto result =
            fetch(c.kind, c.path, c.kind == AloftKind::Fb ? programReader() : standIn);
        EXPECT_EQ(result.ok, *c.error == '\0');
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << result.error;
        if (result.ok) {
            EXPECT_EQ(result.path, out);
            EXPECT_EQ(dir.read("aloft.txt"), c.kind == AloftKind::Fb ? fd1 : whole);
        } else {
            EXPECT_EQ(dir.read("aloft.txt"), "the old file\n");
            EXPECT_FALSE(result.load.forecast);
        }
    }
    EXPECT_EQ(scratchFiles(), scratchBefore);

    const auto fb = fetch(AloftKind::Fb, "/windtemp.gz", programReader());
    ASSERT_TRUE(fb.load.forecast);
    EXPECT_EQ(fb.load.forecast->name(), "FD1US1");
    EXPECT_EQ(fb.load.forecast->validTime(), kDec7 + 30 * kHour);  // 2026-12-08 06:00Z
    EXPECT_EQ(host.statuses.front(), "Downloading winds aloft.");
    EXPECT_EQ(host.statuses.back(), "Downloaded winds aloft: FD1US1.");
}

// The newest run's file not there yet: the run before, at the step nearest now.
TEST_F(AloftDownloadTest, GfsFallsBackToTheRunBefore) {
    const std::string whole = gribMessage();
    const QByteArray body(whole.data(), static_cast<qsizetype>(whole.size()));
    std::string before = kFilter;
    before.replace(before.find("gfs.20261207%2F00"), 17, "gfs.20261206%2F18");
    before.replace(before.find("gfs.t00z.pgrb2.0p25.f009"), 24, "gfs.t18z.pgrb2.0p25.f015");
    server.route(QByteArray::fromStdString("/late" + before), {200, body});
    server.route(QByteArray::fromStdString("/page" + kFilter), {200, "<html>not present</html>"});
    server.route(QByteArray::fromStdString("/page" + before), {200, body});
    server.route(QByteArray::fromStdString(kFilter), {200, body});
    const AloftReader standIn = [](const std::string&) {
        AloftLoad load;
        load.forecast = std::make_shared<Named>("GFS", kDec7);
        return load;
    };
    const AloftBox us = *parseAloftBox("24,-126,50,-66");
    const struct {
        const char* prefix;
        const char* error;  // empty: accepted
        std::vector<std::string> runs;
    } cases[] = {
        {"", "", {"GFS run 2026-12-07 00Z, forecast hour 9."}},
        {"/late",
         "",
         {"GFS run 2026-12-07 00Z, forecast hour 9.", "GFS run 2026-12-06 18Z, forecast hour 15."}},
        {"/page",
         "",
         {"GFS run 2026-12-07 00Z, forecast hour 9.", "GFS run 2026-12-06 18Z, forecast hour 15."}},
        {"/none",
         "The server answered 404 (Not Found).",
         {"GFS run 2026-12-07 00Z, forecast hour 9.", "GFS run 2026-12-06 18Z, forecast hour 15."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        host.statuses.clear();
        AloftDownload download(clock, host);
        const auto result =
            download.fetchGfs(server.url(std::string(c.prefix) + "/cgi-bin/filter_gfs_0p25.pl"), us,
                              kDec7 + 9 * kHour + 1800, limits, out, standIn);
        EXPECT_EQ(result.ok, *c.error == '\0');
        EXPECT_EQ(result.error, c.error);
        std::vector<std::string> runs;
        for (const std::string& s : host.statuses) {
            if (s.starts_with("GFS run")) {
                runs.push_back(s);
            }
        }
        EXPECT_EQ(runs, c.runs);
    }
}

}  // namespace
