#include "weather/download/WeatherDownload.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <ctime>
#include <filesystem>
#include <memory>

#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/Scheduler.h"
#include "weather/LineEnds.h"
#include "weather/NoaaProducts.h"
#include "weather/ObservationTime.h"
#include "weather/Reports.h"
#include "weather/TextScan.h"
#include "weather/WeatherFile.h"

namespace zephyra::weather {

namespace {

// How often the wait looks at the reply, the clock and the cancel button.
constexpr int kPollMilliseconds = 50;
// What Qt holds of a body before it is taken: the cap is checked on every read.
constexpr qint64 kReadBufferBytes = 1024 * 1024;

std::string kilobytes(qint64 bytes) {
    return std::to_string((bytes + 1023) / 1024) + " KB";
}

std::string progressText(const std::string& what, qint64 received, qint64 total) {
    std::string text = "Downloading " + what + ": " + kilobytes(received);
    if (total > 0) {
        text += " of " + kilobytes(total);
    }
    return text + ".";
}

// A line the METAR reader takes for a report (a cycle file's date lines and blanks are not;
// neither is an error page that answered in place of the file).
bool isReportLine(std::string_view line, platform::Random& rnd) {
    return decodeMetarLine(line, rnd).outcome != MetarLine::Outcome::Skipped;
}

// A line that begins as a METAR report does, with a station and its day and time, whether or
// not the reader takes it (a "NIL" report): what a report file holds up to its end.
bool beginsLikeReport(std::string_view line) {
    for (const std::string_view type : {"METAR ", "SPECI "}) {
        if (line.starts_with(type)) {
            line.remove_prefix(type.size());
        }
    }
    const auto blank = line.find(' ');
    if (blank != 4 || !text::isStationIdentifier(line.substr(0, 4), 4, 4)) {
        return false;
    }
    const std::string_view rest = line.substr(5);
    return text::isDayTimeGroup(rest.substr(0, rest.find(' ')));
}

bool endsWithGz(const std::string& url) {
    std::string path = QUrl(QString::fromStdString(url)).path().toStdString();
    std::transform(path.begin(), path.end(), path.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return path.ends_with(".gz");
}

}  // namespace

std::string downloadFileName(double wallClockSeconds) {
    const auto seconds = static_cast<std::time_t>(wallClockSeconds);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char name[40];
    std::strftime(name, sizeof name, "metar-%Y%m%d-%H%MZ.txt", &tm);
    return name;
}

std::optional<double> newestObservation(std::string_view text, double wallClockSeconds) {
    const auto seconds = static_cast<std::time_t>(wallClockSeconds);
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    std::optional<ReferenceDate> reference =
        ReferenceDate{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
    std::optional<double> newest;
    forEachLine(text, [&](std::string_view line) {
        if (const auto date = dateLine(line)) {
            reference = date;
            return;
        }
        if (const auto observed = observationSeconds(observationTime(line, reference));
            observed && (!newest || *observed > *newest)) {
            newest = observed;
        }
    });
    return newest;
}

bool reportFileText(const std::string& url, std::string& body, std::string& error, int& reports) {
    if (endsWithGz(url) && !looksGzipped(body)) {
        error = "The server did not send a gzip file.";
        return false;
    }
    if (!toReportText(body, &error)) {
        return false;
    }
    std::string text;
    text.reserve(body.size() + body.size() / 40);
    reports = 0;
    // What follows the last report (an error page a server added, garbage) is not kept.
    std::size_t lastReportEnd = 0;
    platform::DefaultRandom rnd;
    forEachLine(body, [&](std::string_view line) {
        text += line;
        text += "\r\n";
        if (isReportLine(line, rnd)) {
            ++reports;
            lastReportEnd = text.size();
        } else if (beginsLikeReport(line)) {
            lastReportEnd = text.size();
        }
    });
    if (reports == 0) {
        error = nothingFoundSentence("download", body);
        return false;
    }
    text.resize(lastReportEnd);
    body = std::move(text);
    return true;
}

WeatherDownload::WeatherDownload(platform::Scheduler& clock, DownloadHost& host)
    : clock_(clock), host_(host) {}

FetchedBody WeatherDownload::fetchBody(const DownloadSettings& settings, const std::string& address,
                                       const std::string& what) {
    FetchedBody result;
    const QUrl url(QString::fromStdString(address), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https")) {
        result.error = "\"" + address + "\" is not a web address (http or https).";
        return result;
    }
    if (QCoreApplication::instance() == nullptr) {
        result.error = "The network cannot be reached from here.";
        return result;
    }

    // Proxies come from the environment (http_proxy, https_proxy, no_proxy).
    QNetworkProxyFactory::setUseSystemConfiguration(true);
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Zephyra/1.1"));
    // Asked for by name, a compressed answer arrives as it was sent and is inflated by the
    // program's own reader, which has a cap and says what went wrong.
    request.setRawHeader("Accept-Encoding", "gzip");

    host_.setStatus("Downloading " + what + ".");
    // Declared before the reply, so the reply and its connections go first.
    QByteArray body;
    const double started = clock_.now();
    double lastByte = started;
    bool tooLarge = false;
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    reply->setReadBufferSize(kReadBufferBytes);
    const auto take = [&] {
        // Never more than one byte past the cap.
        const qint64 room = settings.maxBytes + 1 - body.size();
        if (room > 0) {
            body += reply->read(room);
        }
        if (body.size() > settings.maxBytes) {
            tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, [&] {
        lastByte = clock_.now();
        take();
    });
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress,
                     [&](qint64 received, qint64 total) {
                         lastByte = clock_.now();
                         host_.setStatus(progressText(what, received, total));
                     });

    while (!reply->isFinished()) {
        if (host_.cancelRequested()) {
            reply->abort();
            result.cancelled = true;
            result.error = "The download was cancelled.";
            return result;
        }
        if (tooLarge) {
            reply->abort();
            result.error = "The server sent far more than a weather file.";
            return result;
        }
        if (clock_.now() - started > settings.totalSeconds) {
            reply->abort();
            result.error = "The download took longer than " +
                           std::to_string(settings.totalSeconds) + " seconds.";
            return result;
        }
        if (clock_.now() - lastByte > settings.timeoutSeconds) {
            reply->abort();
            result.error = "The server did not answer for " +
                           std::to_string(settings.timeoutSeconds) + " seconds.";
            return result;
        }
        clock_.wait(kPollMilliseconds);
    }
    if (!tooLarge) {
        take();
    }
    if (tooLarge) {
        result.error = "The server sent far more than a weather file.";
        return result;
    }

    switch (reply->error()) {
        case QNetworkReply::TooManyRedirectsError:
            result.error = "The server redirected the download more than 5 times.";
            return result;
        case QNetworkReply::InsecureRedirectError:
            result.error =
                "The server redirected the download from HTTPS to plain HTTP, which is not "
                "followed.";
            return result;
        default:
            break;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 300 && status.toInt() < 400) {
        // Where a followed redirect failed, the reply is the last hop's and has no Location:
        // the target is then the address it went to.
        std::string target = reply->rawHeader("Location").trimmed().toStdString();
        if (target.empty() && reply->url() != url) {
            target = reply->url().toString().toStdString();
        }
        const QString to = QUrl(QString::fromStdString(target)).scheme().toLower();
        const std::string why = reply->error() != QNetworkReply::NoError && !target.empty() &&
                                        (to == "http" || to == "https")
                                    ? reply->errorString().toStdString()
                                    : "only http and https are";
        result.error = target.empty()
                           ? "The server redirected the download (" +
                                 std::to_string(status.toInt()) + ") without saying where to."
                           : "The server redirected the download to \"" + target +
                                 "\", which could not be followed (" + why + ").";
        return result;
    }
    if (status.isValid() && status.toInt() != 200) {
        const std::string reason =
            reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().toStdString();
        result.error = "The server answered " + std::to_string(status.toInt()) +
                       (reason.empty() ? "" : " (" + reason + ")") + ".";
        return result;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && body.size() < length.toLongLong()) {
        result.error = "The download ended early (" + kilobytes(body.size()) + " of " +
                       kilobytes(length.toLongLong()) + ").";
        return result;
    }
    if (reply->error() != QNetworkReply::NoError) {
        result.error = "The download failed: " + reply->errorString().toStdString() + ".";
        return result;
    }

    result.ok = true;
    result.body = body.toStdString();
    return result;
}

DownloadResult WeatherDownload::fetch(const DownloadSettings& settings,
                                      const std::string& requestedPath,
                                      bool nameAfterNewestReport) {
    std::string outPath = requestedPath;
    DownloadResult result;
    FetchedBody fetched = fetchBody(settings, settings.url, "current weather");
    if (!fetched.ok) {
        result.cancelled = fetched.cancelled;
        result.error = std::move(fetched.error);
        return result;
    }
    std::string text = std::move(fetched.body);
    std::string error;
    if (!reportFileText(settings.url, text, error, result.reports)) {
        result.error = error;
        return result;
    }

    if (nameAfterNewestReport) {
        if (const auto newest = newestObservation(text, clock_.wallClock())) {
            outPath =
                (std::filesystem::path(requestedPath).parent_path() / downloadFileName(*newest))
                    .string();
        }
    }

    // The file appears whole or not at all.
    if (std::string writeError; !platform::writeFile(outPath, text, &writeError)) {
        result.error = "The report file could not be written: " + writeError;
        return result;
    }
    result.ok = true;
    result.path = outPath;
    host_.setStatus("Downloaded " + std::to_string(result.reports) + " reports.");
    return result;
}

}  // namespace zephyra::weather
