#include "weather/download/TafDownload.h"

#include <charconv>

#include "platform/Files.h"
#include "weather/NoaaProducts.h"
#include "weather/WeatherFile.h"

namespace zephyra::weather {

namespace {

bool endsWithGz(const std::string& url) {
    const std::string path = url.substr(0, url.find_first_of("?#"));
    return path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
}

// The number of a status line "N results", or nothing for another line.
std::optional<long long> announcedResults(std::string_view line) {
    if (!line.empty() && line.back() == '\r') {
        line.remove_suffix(1);
    }
    long long n = 0;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), n);
    if (ec != std::errc() || std::string_view(end, line.data() + line.size() - end) != " results") {
        return std::nullopt;
    }
    return n;
}

}  // namespace

std::string tafCsvCutError(std::string_view text) {
    const auto header = csvHeaderStart(text);
    if (!header) {
        return {};
    }
    std::optional<long long> announced;
    for (std::size_t start = 0; start < *header;) {
        const std::size_t end = text.find('\n', start);
        if (const auto n = announcedResults(text.substr(start, end - start))) {
            announced = n;
        }
        start = end + 1;
    }
    // The rows after the header line; a raw TAF holds no line end.
    long long rows = 0;
    std::size_t start = text.find('\n', *header);
    while (start != std::string_view::npos && start + 1 < text.size()) {
        const std::size_t end = text.find('\n', start + 1);
        const std::string_view row = text.substr(start + 1, end - start - 1);
        rows += row.empty() || row == "\r" ? 0 : 1;
        start = end;
    }
    if (announced && rows < *announced) {
        return "The download is cut short (" + std::to_string(rows) + " of " +
               std::to_string(*announced) + " TAFs arrived).";
    }
    return {};
}

TafDownload::TafDownload(platform::Scheduler& clock, DownloadHost& host)
    : download_(clock, host), host_(host) {}

TafDownloadResult TafDownload::fetch(const std::string& url, const DownloadSettings& limits,
                                     const std::string& outPath, std::int64_t now) {
    TafDownloadResult result;
    FetchedBody fetched = download_.fetchBody(limits, url, "TAFs");
    if (!fetched.ok) {
        result.cancelled = fetched.cancelled;
        result.error = std::move(fetched.error);
        return result;
    }
    std::string body = std::move(fetched.body);
    if (looksGzipped(body)) {
        std::string why;
        auto inflated = gunzip(body, &why);
        if (!inflated) {
            result.error = why;
            return result;
        }
        body = std::move(*inflated);
    } else if (endsWithGz(url) && !body.empty()) {
        result.error = "The server did not send a gzip file.";
        return result;
    }
    if (std::string why = tafCsvCutError(body); !why.empty()) {
        result.error = why;
        return result;
    }
    result.tafs = readTafs(body, now);
    if (result.tafs.empty()) {
        const std::string found = whatTextHolds(body);
        result.error = found == "no weather reports"
                           ? "The download holds no TAF."
                           : "The download holds " + found + ", not TAFs.";
        return result;
    }
    std::string writeError;
    if (!platform::writeFile(outPath, body, &writeError)) {
        result.tafs.clear();
        result.error = "The TAF file could not be written: " + writeError;
        return result;
    }
    result.ok = true;
    result.path = outPath;
    host_.setStatus("Downloaded " + std::to_string(result.tafs.size()) +
                    (result.tafs.size() == 1 ? " TAF." : " TAFs."));
    return result;
}

}  // namespace zephyra::weather
