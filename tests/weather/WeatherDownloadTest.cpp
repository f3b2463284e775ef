// The download against a server on the loopback interface: the suite never reaches the internet.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/qt/QtScheduler.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/TempDir.h"
#include "weather/download/WeatherDownload.h"

using namespace zephyra;
using Mode = test::LoopbackHttpServer::Mode;

namespace {

QByteArray gzip(const QByteArray& data) {
    const std::string packed = test::gzip(data.toStdString());
    return QByteArray(packed.data(), static_cast<qsizetype>(packed.size()));
}

// Status lines before the header and raw_text in the middle, as NOAA's older files have it.
const QByteArray kCsv =
    "No errors\r\nNo warnings\r\n3 results\r\n"
    "station_id,raw_text,temp_c\r\n"
    "KATL,KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992,12\r\n"
    "EGLL,\"EGLL 121750Z 24008KT 9999 SCT020 M02/M04 Q1021\",-2\r\n"
    "LIRZ,LIRZ 020037Z AUTO 10004KT 070V150 9999 BKN034/// 15/14 Q1009,15\r\n";

const QByteArray kCycle =
    "2022/10/23 11:00\n"
    "KATL 231100Z 27010KT 10SM BKN025 12/08 A2992\n\n"
    "2022/10/23 11:00\n"
    "KMCN 231100Z 09005KT 10SM SKC 20/08 A2992\n\n";

class RecordingHost final : public weather::DownloadHost {
  public:
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    bool cancelRequested() override { return cancelAfterPolls >= 0 && ++polls > cancelAfterPolls; }
    std::vector<std::string> statuses;
    int cancelAfterPolls = -1;
    int polls = 0;
};

class WeatherDownloadTest : public ::testing::Test {
  protected:
    weather::DownloadResult fetch(const std::string& path, int timeoutSeconds = 5,
                                  int totalSeconds = 600) {
        weather::DownloadSettings settings;
        settings.url = server.url(path);
        settings.timeoutSeconds = timeoutSeconds;
        settings.totalSeconds = totalSeconds;
        settings.maxBytes = 4 * 1024 * 1024;
        weather::WeatherDownload download(clock, host);
        return download.fetch(settings, out);
    }
    test::LoopbackHttpServer server;
    platform::QtScheduler clock;
    RecordingHost host;
    test::TempDir dir;
    std::string out = dir.write("metar.txt", "a good file from before\r\n");
};

TEST_F(WeatherDownloadTest, GoodBodiesBecomePlainReportFiles) {
    const QByteArray gz = gzip(kCsv);
    server.route("/metars.cache.csv.gz", {200, gz});
    server.route("/cycles/11Z.TXT", {200, kCycle});
    server.route("/junk.TXT", {200, kCycle + "<html><body>Server error</body></html>\n\x01\x02\n"});
    server.route("/moved.csv.gz",
                 {301, {}, Mode::Whole, server.url("/metars.cache.csv.gz").c_str()});
    const struct {
        const char* path;
        int reports;
        const char* firstLine;
        const char* lastLine;  // what follows the last report is left out
    } cases[] = {
        {"/metars.cache.csv.gz", 3, "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992",
         "LIRZ 020037Z AUTO 10004KT 070V150 9999 BKN034/// 15/14 Q1009"},
        {"/cycles/11Z.TXT", 2, "2022/10/23 11:00", "KMCN 231100Z 09005KT 10SM SKC 20/08 A2992"},
        {"/junk.TXT", 2, "2022/10/23 11:00", "KMCN 231100Z 09005KT 10SM SKC 20/08 A2992"},
        {"/moved.csv.gz", 3, "KATL 121756Z 27010G18KT 10SM -RA BKN025 OVC080 12/08 A2992",
         "LIRZ 020037Z AUTO 10004KT 070V150 9999 BKN034/// 15/14 Q1009"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto result = fetch(c.path);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.reports, c.reports);
        const std::string text = dir.read("metar.txt");
        EXPECT_EQ(text.substr(0, text.find("\r\n")), c.firstLine);
        EXPECT_TRUE(text.ends_with(std::string("\r\n") + c.lastLine + "\r\n")) << text;
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);  // CR LF line ends
        EXPECT_FALSE(dir.exists("metar.txt.part"));
    }
    EXPECT_EQ(host.statuses.back(), "Downloaded 3 reports.");
}

TEST_F(WeatherDownloadTest, FailuresKeepTheFileAlreadyThere) {
    const QByteArray gz = gzip(kCsv);
    server.route("/stalled.csv.gz", {200, gz, Mode::Stall});
    server.route("/truncated.csv.gz", {200, gz, Mode::Truncate});
    server.route("/page.csv.gz", {200, "<html>maintenance</html>"});
    server.route("/portal.TXT", {200, "<html>\n<body>Please sign in</body>\n</html>\n"});
    server.route("/endless.TXT", {200, QByteArray(65536, 'x'), Mode::Endless});
    server.route("/drip.TXT", {200, "KATL 121756Z 27010KT", Mode::Drip});
    server.route("/loop.TXT", {302, {}, Mode::Whole, server.url("/loop.TXT").c_str()});
    server.route("/ftp.TXT", {302, {}, Mode::Whole, "ftp://127.0.0.1/metars.txt"});
    server.route("/nobody.TXT", {302, {}, Mode::Whole, "http://127.0.0.1:1/metars.txt"});
    server.route("/encoded.TXT",
                 {200,
                  gz.left(gz.size() / 2) + QByteArray(64, '\xff') + gz.mid(gz.size() / 2),
                  Mode::Whole,
                  {},
                  "Content-Encoding: gzip\r\n"});
    const struct {
        const char* path;
        const char* error;
    } cases[] = {
        {"/endless.TXT", "The server sent far more than a weather file."},
        {"/drip.TXT", "The download took longer than 2 seconds."},
        {"/loop.TXT", "The server redirected the download more than 5 times."},
        {"/ftp.TXT",
         "The server redirected the download to \"ftp://127.0.0.1/metars.txt\", "
         "which could not be followed (only http and https are)."},
        {"/nobody.TXT",
         "The server redirected the download to \"http://127.0.0.1:1/metars.txt\", which could "
         "not be followed (Connection refused)."},
        {"/encoded.TXT", "The gzip data is damaged."},
        {"/missing.csv.gz", "The server answered 404 (Not Found)."},
        {"/stalled.csv.gz", "The server did not answer for 1 seconds."},
        {"/truncated.csv.gz", "The download ended early"},
        {"/page.csv.gz", "The server did not send a gzip file."},
        {"/portal.TXT", "The download holds an HTML page, not weather reports."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const double started = clock.now();
        const auto result = fetch(c.path, 1, 2);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << result.error;
        EXPECT_LT(clock.now() - started, 4.0);
        EXPECT_EQ(dir.read("metar.txt"), "a good file from before\r\n");
        EXPECT_FALSE(dir.exists("metar.txt.part"));
    }
}

TEST_F(WeatherDownloadTest, CancelAndUnusableAddressesEndWithoutAFile) {
    server.route("/stalled.csv.gz", {200, {}, Mode::Stall});
    host.cancelAfterPolls = 3;
    auto result = fetch("/stalled.csv.gz");
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.error, "The download was cancelled.");
    weather::WeatherDownload download(clock, host);
    result = download.fetch({"ftp://example.org/metars.txt", 5}, out);
    EXPECT_EQ(result.error,
              "\"ftp://example.org/metars.txt\" is not a web address (http or https).");
    EXPECT_EQ(dir.read("metar.txt"), "a good file from before\r\n");
}

TEST(DownloadSettings, TheSettingsFileAndTheFileName) {
    test::TempDir dir;
    dir.write("zephyra.ini",
              "[Download]\nUrl=https://tgftp.nws.noaa.gov/data/observations/metar/cycles/"
              "11Z.TXT\nTimeoutSeconds=20\nTotalSeconds=90\n");
    const auto settings = weather::readDownloadSettings(dir.path());
    EXPECT_EQ(settings.totalSeconds, 90);
    EXPECT_EQ(settings.url, "https://tgftp.nws.noaa.gov/data/observations/metar/cycles/11Z.TXT");
    EXPECT_EQ(settings.timeoutSeconds, 20);
    EXPECT_EQ(weather::downloadFileName(1666523400.0), "metar-20221023-1110Z.txt");
    // A FIFO in the file's place keeps the defaults (reading it would hang).
    test::TempDir fifo;
    ASSERT_EQ(::mkfifo((std::filesystem::path(fifo.path()) / "zephyra.ini").c_str(), 0600), 0);
    EXPECT_EQ(weather::readDownloadSettings(fifo.path()).totalSeconds, 600);
    // A download is named after its newest report, the month from its date lines or the clock.
    const double clock = 1666523400.0;  // 2022-10-23 11:10Z
    EXPECT_EQ(weather::downloadFileName(*weather::newestObservation(
                  "KATL 231052Z 27010KT\r\nKJFK 231051Z 02008KT\r\nKBOS 230954Z 0KT\r\n", clock)),
              "metar-20221023-1052Z.txt");
    EXPECT_EQ(weather::downloadFileName(*weather::newestObservation(
                  "2014/12/18 07:37\r\nKATL 180651Z 27010KT\r\n", clock)),
              "metar-20141218-0651Z.txt");
    EXPECT_FALSE(weather::newestObservation("no reports here\r\n", clock));
}

}  // namespace
