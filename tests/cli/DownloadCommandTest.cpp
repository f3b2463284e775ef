// zephyra-cli download against a loopback server: the same stations as decoding the reports
// from a text file, and the weather kept when the download fails.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/WeatherCommands.h"
#include "support/DbRows.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"
#include "weather/WeatherDb.h"

using namespace zephyra;

namespace {

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

    std::ostringstream out, err;
    EXPECT_EQ(cli::runDownloadCommand({"--url", server.url("/metars.cache.csv.gz"), "--out",
                                       dir.file("wx.txt"), "--db", database},
                                      out, err),
              0)
        << err.str();
    EXPECT_EQ(lastLine(out.str()), "Done Processing 3 stations.") << out.str();
    EXPECT_EQ(dir.read("wx.txt"), kReports);

    std::ostringstream decoded;
    cli::runDecodeCommand({"--db", database, dir.write("copy.txt", kReports)}, decoded, err);
    EXPECT_EQ(lastLine(decoded.str()), "Done Processing 3 stations.") << decoded.str();

    // A failed download says so and leaves the weather and the file as they were.
    std::ostringstream failed, why;
    EXPECT_EQ(cli::runDownloadCommand({"--url", server.url("/gone.csv.gz"), "--out",
                                       dir.file("wx.txt"), "--db", database},
                                      failed, why),
              1);
    EXPECT_EQ(why.str(),
              "zephyra-cli: The server answered 404 (Not Found). The weather already "
              "loaded is kept.\n");
    EXPECT_EQ(weather::WeatherDb::open(database)->weatherCount(), 3);
    EXPECT_EQ(dir.read("wx.txt"), kReports);
}

}  // namespace
