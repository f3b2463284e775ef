// TAF downloads from a loopback server (never the internet): only an answer that arrived whole
// and holds TAFs is written, and a cut, junk or empty one keeps the file already there.

#include <gtest/gtest.h>

#include "platform/qt/QtScheduler.h"
#include "support/Gzip.h"
#include "support/LoopbackHttpServer.h"
#include "support/RealData.h"
#include "support/TempDir.h"
#include "weather/download/TafDownload.h"

using namespace zephyra;
using namespace zephyra::weather;
using Mode = test::LoopbackHttpServer::Mode;

namespace {

constexpr std::int64_t kNov26 = 1795651200;  // 2026-11-26 00:00Z

class RecordingHost final : public DownloadHost {
  public:
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    bool cancelRequested() override { return false; }
    std::vector<std::string> statuses;
};

QByteArray bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

TEST(TafDownload, OnlyAWholeAnswerHoldingTafsIsWritten) {
    const std::string csv = test::realData("taf/tafs_handmade.cache.csv");
    const std::string bulletin = test::realData("taf/TAFJFK.txt");
    const std::string gz = test::gzip(csv);
    // The header and the first row of the four the status lines announce.
    const std::size_t header = csv.find("raw_text,");
    const std::string firstRow = csv.substr(0, csv.find('\n', csv.find('\n', header) + 1) + 1);

    test::LoopbackHttpServer server;
    server.route("/tafs.cache.csv.gz", {200, bytes(gz)});
    server.route("/bulletin", {200, bytes(bulletin)});
    server.route("/cut.csv.gz", {200, bytes(gz.substr(0, gz.size() - 40))});
    server.route("/rows.csv", {200, bytes(firstRow)});
    server.route("/plain.csv.gz", {200, bytes(csv)});
    server.route("/page", {200, "<html><body>Service unavailable</body></html>"});
    server.route("/empty", {200, ""});
    server.route("/short", {200, bytes(csv), Mode::Truncate});

    const struct {
        const char* path;
        std::size_t tafs;
        const char* error;  // empty: accepted
    } cases[] = {
        {"/tafs.cache.csv.gz", 4, ""},
        {"/bulletin", 1, ""},
        {"/cut.csv.gz", 0, "The gzip data ends early"},
        {"/rows.csv", 0, "The download is cut short (1 of 4 TAFs arrived)."},
        {"/plain.csv.gz", 0, "The server did not send a gzip file."},
        {"/page", 0, "The download holds an HTML page, not TAFs."},
        {"/empty", 0, "The download holds no TAF."},
        {"/short", 0, "The download ended early"},
        {"/missing", 0, "The server answered 404 (Not Found)."},
    };
    test::TempDir dir;
    platform::QtScheduler clock;
    RecordingHost host;
    DownloadSettings limits;
    limits.timeoutSeconds = 5;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const std::string out = dir.write("tafs.csv", "the old file\n");
        TafDownload download(clock, host);
        const auto result = download.fetch(server.url(c.path), limits, out, kNov26);
        EXPECT_EQ(result.ok, *c.error == '\0');
        EXPECT_EQ(result.error.rfind(c.error, 0), 0u) << result.error;
        EXPECT_EQ(result.tafs.size(), c.tafs);
        EXPECT_EQ(dir.read("tafs.csv"), !result.ok         ? "the old file\n"
                                        : c.path[1] == 'b' ? bulletin
                                                           : csv);
    }
    EXPECT_EQ(host.statuses.front(), "Downloading TAFs.");
    EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(), "Downloaded 4 TAFs."),
              host.statuses.end());
}

}  // namespace
