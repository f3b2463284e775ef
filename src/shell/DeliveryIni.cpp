#include "shell/DeliveryIni.h"

#include <QSettings>
#include <filesystem>

#include "platform/Files.h"
#include "weather/download/WeatherDownload.h"

namespace zephyra::shell {

delivery::DeliveryChoice readDeliveryChoiceFile(const std::string& settingsFolder) {
    const std::string path = platform::joinPath(settingsFolder, weather::kDownloadSettingsFile);
    std::error_code ec;
    std::string text;
    if (std::filesystem::file_size(path, ec) > weather::kMaxDownloadSettingsBytes || ec ||
        !platform::readFile(path, text)) {
        return {};
    }
    return delivery::readDeliveryChoice(text);
}

bool writeDeliveryChoiceFile(const std::string& settingsFolder,
                             const delivery::DeliveryChoice& choice, std::string* error) {
    const std::string path = platform::joinPath(settingsFolder, weather::kDownloadSettingsFile);
    QSettings file(QString::fromStdString(path), QSettings::IniFormat);
    file.beginGroup(QString::fromLatin1(delivery::kDeliverySection));
    file.setValue(QStringLiteral("Mode"),
                  choice.blended ? QStringLiteral("blended") : QStringLiteral("nearest"));
    file.setValue(QStringLiteral("BlendRadiusNm"), choice.blendRadiusNm);
    file.setValue(QStringLiteral("BlendSeconds"), choice.blendSeconds);
    file.setValue(QStringLiteral("RefreshMinutes"), choice.refreshMinutes);
    file.endGroup();
    file.sync();
    if (file.status() != QSettings::NoError) {
        if (error != nullptr) {
            *error = "Could not write " + path + ".";
        }
        return false;
    }
    return true;
}

}  // namespace zephyra::shell
