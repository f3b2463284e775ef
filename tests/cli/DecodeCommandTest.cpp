#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include "cli/WeatherCommands.h"
#include "support/TempDir.h"

using zephyra::cli::runDecodeCommand;
using zephyra::cli::runShowCommand;

namespace {

namespace fs = std::filesystem;

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun decode(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = runDecodeCommand(args, out, err);
    return {code, out.str(), err.str()};
}

const std::string kShipped = std::string(ZEPHYRA_PROGRAM_DIR) + "/vanedb.mdb";
const std::string kData = std::string(ZEPHYRA_SOURCE_DIR) + "/../shared/data/";

}  // namespace

TEST(DecodeDump, SaFilesGoThroughTheSaReaderAndEveryFileIsCheckedFirst) {
    zephyra::test::TempDir dir;
    const std::string file = dir.write("sa.txt", "ATL SA 1756 250 SCT 7 141/72/58/2510G18/992\r\n");
    const CliRun sa = decode({"--dump", "--sa", file});
    EXPECT_EQ(sa.code, 0);
    EXPECT_NE(sa.out.find("\"ID\":\"ATL\",\"Observation\":\"SA\",\"Time\":\"1756\""),
              std::string::npos)
        << sa.out;
    EXPECT_NE(sa.out.find("\"t0Deg\":72,\"Dew\":58,\"w0Dir\":250"), std::string::npos);
    EXPECT_EQ(decode({"--dump", file}).out, "");  // not a METAR report

    const CliRun device = decode({"--dump", "/dev/zero"});
    EXPECT_EQ(device.code, 1);
    EXPECT_NE(device.err.find("not a regular file"), std::string::npos) << device.err;
}

TEST(DecodeRealFiles, StationEntriesFitBesideAllWaypointsAndSaTemperaturesStayFahrenheit) {
    const std::string metar = kData + "metar/awc_metars_2022-10-23T11Z.txt";
    if (!fs::exists(kShipped) || !fs::exists(metar)) {
        GTEST_SKIP() << "needs the built database and the shared data";
    }
    zephyra::test::TempDir dir;
    const std::string db = dir.file("vanedb.mdb");
    fs::copy_file(kShipped, db);
    const std::string picked = dir.file("metars.txt");
    fs::copy_file(metar, picked);
    const auto stamp = fs::last_write_time(picked);

    const CliRun run = decode({"--db", db, "--wayp", "2", picked});
    EXPECT_EQ(run.code, 0) << run.out << run.err;
    int entries = 0;
    int stations = 0;
    const auto at = run.out.find("waypoints: ");
    ASSERT_NE(at, std::string::npos) << run.out;
    ASSERT_EQ(std::sscanf(run.out.c_str() + at, "waypoints: %d (%d stations)", &entries, &stations),
              2)
        << run.out;
    EXPECT_GE(stations, 4800);
    EXPECT_LE(entries, 50000);
    std::cout << "waypoints: " << entries << " (" << stations << " stations)\n";
    // The picked file is read through the scratch copy beside the database, never written.
    EXPECT_EQ(fs::last_write_time(picked), stamp);
    EXPECT_EQ(dir.read("metars.txt"), dir.read(metar));  // an absolute name reads that file
    EXPECT_TRUE(dir.exists("vane1.txt"));

    const std::string sa = dir.file("sa.txt");
    fs::copy_file(kData + "sa/sa_us_example_nasa_tutorial.txt", sa);
    EXPECT_EQ(decode({"--db", db, "--sa", sa}).code, 0);
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runShowCommand({"--db", db, "ict"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\nt0Deg: 72\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\nTempScale: F\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("\nRawText: ICT SP1432 "), std::string::npos) << out.str();
}
