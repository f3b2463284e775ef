// zephyra-cli decode, show and download.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "cli/QtCommands.h"
#include "cli/TafCommand.h"
#include "cli/WeatherCommands.h"
#include "support/DbRows.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;
using cli::runAloftCommand;
using cli::runDecodeCommand;
using cli::runShowCommand;

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun run(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
           const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = command(args, out, err);
    return {code, out.str(), err.str()};
}
CliRun decode(const std::vector<std::string>& args) {
    return run(runDecodeCommand, args);
}

const std::string kShipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";

const std::string kReports =
    "METAR KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992\r\n"
    "KMCN 121756Z 09005KT 10SM SKC 20/08 A2992\r\n"
    "LIRZ 020037Z AUTO 10004KT 070V150 9999 BKN034/// 15/14 Q1009\r\n"
    "KXYZ 121755Z NIL\r\n";

std::string csvOf(const std::string& reports) {
    std::string csv = "No errors\r\nNo warnings\r\n4 results\r\nraw_text,station_id\r\n";
    std::istringstream in(reports);
    for (std::string line; std::getline(in, line);) {
        line.pop_back();  // the CR
        csv += "\"" + line + "\"," + line.substr(0, 4) + "\r\n";
    }
    return csv;
}

std::string lastLine(const std::string& text) {
    const auto end = text.find_last_not_of('\n');
    const auto start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

TEST(DownloadCommand, EndsLikeDecodingTheSameReports) {
    test::TempDir dir;
    const std::string database = dir.file("vanedb.mdb");
    {
        auto db = weather::WeatherDb::open(database);
        for (const char* id : {"KATL", "KMCN", "LIRZ"}) {
            test::addStation(*db, {id, "3338N", "08426W", 100});
        }
        test::addWps(*db, {"Atlanta", "V", "333747", -1, "0842606", -1, "116.90", ""});
    }
    test::LoopbackHttpServer server;
    const std::string gz = test::gzip(csvOf(kReports));
    server.route("/metars.cache.csv.gz", {200, QByteArray(gz.data(), qsizetype(gz.size()))});

    auto download = [&](const std::string& path) {
        return run(cli::runDownloadCommand,
                   {"--url", server.url(path), "--out", dir.file("wx.txt"), "--db", database});
    };
    const CliRun got = download("/metars.cache.csv.gz");
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(lastLine(got.out), "Done Processing 3 stations.") << got.out;
    EXPECT_EQ(dir.read("wx.txt"), kReports);
    const CliRun decoded = decode({"--db", database, dir.write("copy.txt", kReports)});
    EXPECT_EQ(lastLine(decoded.out), "Done Processing 3 stations.") << decoded.out;

    // A failed download says so and leaves the weather and the file as they were.
    const CliRun failed = download("/gone.csv.gz");
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.err,
              "zephyra-cli: The server answered 404 (Not Found). The weather already "
              "loaded is kept.\n");
    EXPECT_EQ(weather::WeatherDb::open(database)->weatherCount(), 3);
    EXPECT_EQ(dir.read("wx.txt"), kReports);
}

// download --aloft: the FB text written once read, a junk answer keeping the file, and the
// GFS box checked before anything is fetched.
TEST(DownloadCommand, WindsAloft) {
    test::TempDir dir;
    test::LoopbackHttpServer server;
    const std::string fd1 = test::realData("aloft/FD1US1.txt");
    server.route("/windtemp?region=all&level=low&fcst=06",
                 {200, QByteArray(fd1.data(), qsizetype(fd1.size()))});
    server.route("/page", {200, "<html><body>Service unavailable</body></html>"});
    const std::string file = dir.file("aloft.txt");
    auto download = [&](std::vector<std::string> args) {
        for (const std::string& a : {std::string("--db"), kShipped, std::string("--out"), file}) {
            args.push_back(a);
        }
        return run(cli::runDownloadCommand, args);
    };
    const CliRun got =
        download({"--aloft", "fb", "--url", server.url("/windtemp?region=all&level=low&fcst=06")});
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_NE(got.out.find("Winds aloft: FD1US1, valid "), std::string::npos) << got.out;
    EXPECT_EQ(lastLine(got.out), "Wrote " + file);
    EXPECT_EQ(dir.read("aloft.txt"), fd1);

    const CliRun junk = download({"--aloft", "fb", "--url", server.url("/page")});
    EXPECT_EQ(junk.code, 1);
    EXPECT_EQ(junk.err,
              "zephyra-cli: The download holds an HTML page, not a winds aloft forecast. The "
              "file already there is kept.\n");
    EXPECT_EQ(dir.read("aloft.txt"), fd1);

    const struct {
        std::vector<std::string> args;
        const char* err;
    } refused[] = {
        {{"--aloft", "gfs"}, "zephyra-cli download: --aloft gfs needs --box S,W,N,E.\n"},
        {{"--aloft", "gfs", "--box", "50,-126,24,-66"},
         "zephyra-cli download: The box is inverted: its south side lies north of its north "
         "side.\n"},
        {{"--aloft", "fb", "--box", "24,-126,50,-66"},
         "zephyra-cli download: --box goes with --aloft gfs\n"},
        {{"--aloft", "grib"}, "zephyra-cli download: --aloft takes fb or gfs\n"},
    };
    for (const auto& r : refused) {
        const CliRun c = download(r.args);
        EXPECT_EQ(c.code, 2);
        EXPECT_EQ(c.err, r.err);
    }
    // A GFS answer that is no GRIB2 keeps the file there.
    const CliRun gfs = download(
        {"--aloft", "gfs", "--box", "24,-126,50,-66", "--url", server.url("/nomads/filter.pl")});
    EXPECT_EQ(gfs.code, 1);
    EXPECT_EQ(gfs.err,
              "zephyra-cli: The server answered 404 (Not Found). The file already there is "
              "kept.\n");
    EXPECT_EQ(dir.read("aloft.txt"), fd1);
}

// download --taf loads the TAFs that taf without a file then reads; a failed download keeps
// them and the file.
TEST(DownloadCommand, TafsLoadedForTheTafCommand) {
    test::TempDir dir;
    const std::string database = dir.file("vanedb.mdb");
    weather::WeatherDb::open(database);
    const std::string csv = test::realData("taf/tafs_handmade.cache.csv");
    const std::string gz = test::gzip(csv);
    test::LoopbackHttpServer server;
    server.route("/tafs.cache.csv.gz", {200, QByteArray(gz.data(), qsizetype(gz.size()))});
    auto download = [&](const std::string& path) {
        return run(cli::runDownloadCommand, {"--taf", "--url", server.url(path), "--out",
                                             dir.file("tafs.csv"), "--db", database});
    };
    auto taf = [&](const std::string& id) {
        return run(cli::runTafCommand, {id, "--db", database});
    };
    EXPECT_EQ(taf("KBOS").err,
              "zephyra-cli taf: No TAFs loaded. Download them (zephyra-cli download --taf) or "
              "give a TAF file: zephyra-cli taf FILE ID\n");

    const CliRun got = download("/tafs.cache.csv.gz");
    EXPECT_EQ(got.code, 0) << got.err;
    EXPECT_EQ(lastLine(got.out), "Loaded the TAFs of 4 stations");
    EXPECT_EQ(dir.read("tafs.csv"), csv);
    const CliRun bos = taf("kbos");
    EXPECT_EQ(bos.code, 0) << bos.err;
    EXPECT_NE(bos.out.find("TAF COR KBOS 231125Z 2312/2412 VRB03KT 1 1/2SM BR OVC004"),
              std::string::npos)
        << bos.out;

    const CliRun failed = download("/gone.csv.gz");
    EXPECT_EQ(failed.code, 1);
    EXPECT_EQ(failed.err,
              "zephyra-cli: The server answered 404 (Not Found). The file already there and the "
              "TAFs already loaded are kept.\n");
    EXPECT_EQ(taf("KBOS").code, 0);
    EXPECT_EQ(taf("KXYZ").err, "zephyra-cli taf: no TAF for KXYZ in the loaded TAFs\n");
    EXPECT_EQ(dir.read("tafs.csv"), csv);
    EXPECT_EQ(run(cli::runDownloadCommand, {"--taf", "--aloft", "fb"}).code, 2);
}

TEST(DecodeDump, SaFilesGoThroughTheSaReader) {
    test::TempDir dir;
    const std::string file = dir.write("sa.txt", "ATL SA 1756 250 SCT 7 141/72/58/2510G18/992\r\n");
    const CliRun sa = decode({"--dump", "--sa", file});
    EXPECT_EQ(sa.code, 0);
    EXPECT_NE(sa.out.find("\"ID\":\"ATL\",\"Observation\":\"SA\",\"Time\":\"1756\""),
              std::string::npos)
        << sa.out;
    EXPECT_NE(sa.out.find("\"t0Deg\":72,\"Dew\":58,\"w0Dir\":250"), std::string::npos);
    EXPECT_EQ(decode({"--dump", file}).out, "");  // not a METAR report
}

// Winds aloft at a point from NOAA's FB text: a site's own values, between levels (the
// direction the shorter way round), light and variable, and between sites.
TEST(AloftCommand, WindAndTemperatureAtAPoint) {
    const std::string fd1 = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/aloft/FD1US1.txt";
    const struct {
        const char* at;
        const char* alt;
        const char* json;  // the start of the answer
    } cases[] = {
        {"33.6367,-84.4281", "9000",
         "{\"dir_deg\":230,\"speed_kt\":30,\"temp_c\":8.0,"
         "\"source\":\"FD1US1 ATL\""},
        {"36.1984,-95.8881", "34000",
         "{\"dir_deg\":240,\"speed_kt\":107,\"temp_c\":-51.0,"
         "\"source\":\"FD1US1 TUL\""},
        // Halfway between ATL's 220/26 +14 at 6,000 ft and 230/30 +8 at 9,000 ft.
        {"33.6367,-84.4281", "7500", "{\"dir_deg\":225,\"speed_kt\":28,\"temp_c\":11.0,"},
        // Bishop's 9900 at 6,000 ft; its temperature comes from the 9,000 ft level.
        {"37.3731,-118.3636", "6000", "{\"dir_deg\":null,\"speed_kt\":0,\"temp_c\":-2.0,"},
        {"35.0,-90.0", "10500",
         "{\"dir_deg\":245,\"speed_kt\":47,\"temp_c\":6.5,"
         "\"source\":\"FD1US1 MEM, LIT, CGI, HSV\""},
    };
    for (const auto& c : cases) {
        const CliRun r =
            run(runAloftCommand, {fd1, "--db", kShipped, "--at", c.at, "--alt", c.alt, "--json"});
        ASSERT_EQ(r.code, 0) << r.err;
        EXPECT_EQ(r.out.rfind(c.json, 0), 0u) << c.at << " " << c.alt << ": " << r.out;
    }
    const CliRun text =
        run(runAloftCommand, {fd1, "--db", kShipped, "--at", "33.6367,-84.4281", "--alt", "9000"});
    EXPECT_EQ(text.out.substr(0, text.out.find(", valid")),
              "wind: 230 deg 30 kt\ntemperature: +8.0 C\nsource: FD1US1 ATL");
    EXPECT_NE(text.out.find("sites not placed: H51 H52 H61 HAT T01 T06 T07 2XG 4J3\n"),
              std::string::npos)
        << text.out;
    EXPECT_EQ(run(runAloftCommand, {fd1, "--db", kShipped, "--at", "0,0", "--alt", "9000"}).code,
              1);
    EXPECT_EQ(run(runAloftCommand, {fd1, "--at", "95,0", "--alt", "9000"}).code, 2);

    // GRIB2 goes the same way (tests/data/grib/make-aloft.sh makes the box).
    const std::string grib = std::string(ZEPHYRA_SOURCE_DIR) + "/tests/data/grib/";
    const CliRun gfs = run(runAloftCommand, {grib + "aloft-box.grib2", "--db", kShipped, "--at",
                                             "48.5,12.5", "--alt", "26500", "--json"});
    EXPECT_EQ(gfs.out,
              "{\"dir_deg\":268,\"speed_kt\":68,\"temp_c\":-39.5,\"source\":\"GFS 1 deg "
              "2026-12-07 00Z +6 h\",\"valid\":\"2026-12-07T06:00:00Z\"}\n")
        << gfs.err;
    const CliRun noWind = run(runAloftCommand, {grib + "gfstmpk.grib2", "--db", kShipped, "--at",
                                                "48.5,12.5", "--alt", "26500"});
    EXPECT_EQ(noWind.code, 1);
    EXPECT_NE(noWind.err.find("gfstmpk.grib2: the file has no wind on pressure levels"),
              std::string::npos)
        << noWind.err;
}

// The full observation of stored reports, as a program would take it and as a person reads it.
TEST(ShowFullObservation, JsonAndLinesHoldWhatTheReportSays) {
    test::TempDir dir;
    const std::string db = dir.file("vanedb.mdb");
    fs::copy_file(kShipped, db);
    const std::string file = dir.write(
        "wx.txt",
        "2022/10/23 11:00\r\n"
        "SBCM 231100Z 21008KT 2000 -DZ BR SCT003 BKN005 OVC015 17/16 Q10 16\r\n"
        "FAGG 231030Z AUTO 32004KT 0750 0450 R29/0500N -RA FG VV001 12/12 Q1016\r\n"
        "KJFK 231051Z COR 02008KT 10SM FEW035 BKN047 BKN140 OVC210 14/12 A3028 RMK AO2 SLP253 "
        "T01390117\r\n"
        "KLGA 231051Z VRB03KT 1/2SM BR OVC002 A3027\r\n");
    ASSERT_EQ(decode({"--db", db, file}).code, 0);
    const struct {
        const char* id;
        std::vector<const char*> json;
    } cases[] = {
        {"SBCM",
         {"\"altimeter_inhg\":30,", "\"qnh_hpa\":1016,", "\"weather\":[\"-DZ\",\"BR\"]",
          "\"flight_category\":\"IFR\""}},
        {"FAGG",
         {"\"temperature_c\":12,\"dewpoint_c\":12,", "\"visibility_m\":750,",
          "\"min_visibility_m\":450,",
          "\"layers\":[{\"cover\":\"VV\",\"base_ft_agl\":100,\"type\":null}]",
          "\"runway_visual_ranges\":[\"R29/0500N\"]"}},
        {"KJFK",
         {"\"observed\":\"2022-10-23T10:51:00Z\"", "\"temperature_c\":13.9,\"dewpoint_c\":11.7,",
          "{\"cover\":\"FEW\",\"base_ft_agl\":3500,\"type\":null},{\"cover\":\"BKN\",\"base_ft_"
          "agl\":"
          "4700,\"type\":null},{\"cover\":\"BKN\",\"base_ft_agl\":14000,\"type\":null},{\"cover\":"
          "\"OVC\",\"base_ft_agl\":21000,\"type\":null}]",
          "\"sea_level_pressure_hpa\":1025.3,", "\"estimated\":{}"}},
        // What the report left out is the estimate, with its source.
        {"KLGA",
         {"\"wind_dir_deg\":null,\"wind_variable\":true,", "\"visibility_sm\":0.5,",
          "\"flight_category\":\"LIFR\"", "\"dewpoint_c\":null,",
          "\"estimated\":{\"temperature\":\"KJFK\"}"}},
    };
    for (const auto& c : cases) {
        const CliRun shown = run(runShowCommand, {"--db", db, "--json", c.id});
        ASSERT_EQ(shown.code, 0) << shown.err;
        for (const char* part : c.json) {
            EXPECT_NE(shown.out.find(part), std::string::npos) << c.id << ": " << part << "\n"
                                                               << shown.out;
        }
    }
    const CliRun lines = run(runShowCommand, {"--db", db, "KJFK"});
    EXPECT_NE(lines.out.find("\nDecoded:\nTemperature C: 13.9\nDew point C: 11.7\n"),
              std::string::npos)
        << lines.out;
    EXPECT_NE(lines.out.find("\nSky: FEW at 3500 ft, BKN at 4700 ft, BKN at 14000 ft, OVC at "
                             "21000 ft\n"),
              std::string::npos);
}

TEST(DecodeRealFiles, StationEntriesFitBesideAllWaypointsAndSaTemperaturesStayFahrenheit) {
    if (!fs::exists(kShipped)) {
        GTEST_SKIP() << "no database at " << kShipped << " (build the target zephyra_database)";
    }
    test::TempDir dir;
    const std::string db = dir.file("vanedb.mdb");
    fs::copy_file(kShipped, db);
    const std::string reports = test::realData("metar/awc_metars_2022-10-23T11Z.txt");
    const std::string picked = dir.write("metars.txt", reports);
    const auto stamp = fs::last_write_time(picked);

    const CliRun decoded = decode({"--db", db, "--wayp", "2", picked});
    EXPECT_EQ(decoded.code, 0) << decoded.out << decoded.err;
    int entries = 0, stations = 0;
    const auto at = decoded.out.find("waypoints: ");
    ASSERT_NE(at, std::string::npos) << decoded.out;
    ASSERT_EQ(
        std::sscanf(decoded.out.c_str() + at, "waypoints: %d (%d stations)", &entries, &stations),
        2)
        << decoded.out;
    EXPECT_GE(stations, 4800);
    // The picked file is read through the scratch copy beside the database, never written.
    EXPECT_EQ(fs::last_write_time(picked), stamp);
    EXPECT_EQ(dir.read("metars.txt"), reports);  // an absolute name reads that file

    const std::string sa =
        dir.write("sa.txt", test::realData("sa/sa_us_example_nasa_tutorial.txt"));
    EXPECT_EQ(decode({"--db", db, "--sa", sa}).code, 0);
    const CliRun shown = run(runShowCommand, {"--db", db, "ict"});
    ASSERT_EQ(shown.code, 0) << shown.err;
    for (const char* field : {"\nt0Deg: 72\n", "\nTempScale: F\n", "\nRawText: ICT SP1432 "}) {
        EXPECT_NE(shown.out.find(field), std::string::npos) << shown.out;
    }
}

}  // namespace

namespace {

// What a program prints on stdout, run through the shell.
std::string output(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) {
            text.append(buf, n);
        }
        ::pclose(pipe);
    }
    return text;
}

}  // namespace

// zephyra-cli starts without Qt and hands the commands that need it to zephyra-cli-qt.
TEST(Programs, TheToolLoadsNoQtAndHandsItsQtCommandsOver) {
    const std::string bin = ZEPHYRA_PROGRAM_DIR;
    const std::string needed = output("readelf -d '" + bin + "/zephyra-cli'");
    ASSERT_NE(needed.find("(NEEDED)"), std::string::npos);
    EXPECT_EQ(needed.find("Qt"), std::string::npos) << needed;
    for (const char* command : {"download --help", "plan export --help"}) {
        EXPECT_TRUE(output(bin + "/zephyra-cli " + command)
                        .starts_with("usage: zephyra-cli " + std::string(command, 4)))
            << command;
    }
}
