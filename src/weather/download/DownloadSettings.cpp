// The [Download] section of zephyra.ini: Qt's INI reader and nothing of the network, so the
// fuzz build can take it on its own.

#include <QSettings>
#include <QString>
#include <filesystem>

#include "platform/Files.h"
#include "weather/download/WeatherDownload.h"

namespace zephyra::weather {

DownloadSettings readDownloadSettings(const std::string& programFolder) {
    DownloadSettings settings;
    const std::string path = platform::joinPath(programFolder, kDownloadSettingsFile);
    // Only a regular file of a sensible size is read; a FIFO would hang the reader and a huge
    // file is no settings file. Either keeps the defaults.
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::is_regular_file(status) ||
        std::filesystem::file_size(path, ec) > kMaxDownloadSettingsBytes || ec) {
        return settings;
    }
    const QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    const QString url = file.value(QStringLiteral("Download/Url")).toString().trimmed();
    if (!url.isEmpty()) {
        settings.url = url.toStdString();
    }
    const QString aloft = file.value(QStringLiteral("Download/AloftAddress")).toString().trimmed();
    if (!aloft.isEmpty()) {
        settings.aloftUrl = aloft.toStdString();
    }
    const QString gfs = file.value(QStringLiteral("Download/GfsAddress")).toString().trimmed();
    if (!gfs.isEmpty()) {
        settings.gfsUrl = gfs.toStdString();
    }
    const QString taf = file.value(QStringLiteral("Download/TafAddress")).toString().trimmed();
    if (!taf.isEmpty()) {
        settings.tafUrl = taf.toStdString();
    }
    bool ok = false;
    const int timeout = file.value(QStringLiteral("Download/TimeoutSeconds")).toInt(&ok);
    if (ok && timeout > 0) {
        settings.timeoutSeconds = timeout;
    }
    const int total = file.value(QStringLiteral("Download/TotalSeconds")).toInt(&ok);
    if (ok && total > 0) {
        settings.totalSeconds = total;
    }
    return settings;
}

}  // namespace zephyra::weather
