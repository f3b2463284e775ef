#include "shell/DownloadActions.h"

#include <QPushButton>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "shell/AppContext.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"

namespace zephyra::shell {

namespace {

// Under the weather file name, beside the Weather Map button.
const QRect kButtonPlace(332, 365, 170, 21);

}  // namespace

DownloadActions::DownloadActions(AppContext& context, VaneWindow& vane, WeatherActions& weather)
    : QObject(&vane), ctx_(context), vane_(vane), weather_(weather) {
    download_ = new QPushButton(QStringLiteral("Download current weather"), &vane_);
    download_->setObjectName(QStringLiteral("cmdDownload"));
    download_->setToolTip(QStringLiteral("Fetch the current METAR reports and load them"));
    download_->setGeometry(kButtonPlace);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), &vane_);
    cancel_->setObjectName(QStringLiteral("cmdCancelDownload"));
    cancel_->setToolTip(QStringLiteral("Stop the download; the weather already loaded is kept"));
    cancel_->setGeometry(kButtonPlace);
    cancel_->hide();
    connect(download_, &QPushButton::clicked, this, [this] { download(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });
}

void DownloadActions::setDownloading(bool on) {
    downloading_ = on;
    cancelRequested_ = false;
    download_->setVisible(!on);
    cancel_->setVisible(on);
    for (const char* name : {"Picture2", "Picture3", "Picture4"}) {
        vane_.picture(name)->setEnabled(!on);
    }
}

void DownloadActions::download() {
    if (downloading_ || weather_.busy()) {
        return;
    }
    const weather::DownloadSettings settings = weather::readDownloadSettings(ctx_.folders.settings);
    const std::string path = platform::joinPath(
        ctx_.folders.user, weather::downloadFileName(ctx_.scheduler.wallClock()));
    setDownloading(true);
    weather::WeatherDownload fetcher(ctx_.scheduler, *this);
    const weather::DownloadResult result = fetcher.fetch(settings, path, true);
    setDownloading(false);

    if (result.cancelled) {
        setStatus("Download cancelled. The weather already loaded is kept.");
        return;
    }
    if (!result.ok) {
        setStatus("Download failed.");
        ctx_.dialogs.message({result.error + " The weather already loaded is kept.",
                              "Download current weather -- ERROR", platform::Buttons::Ok,
                              platform::Icon::Exclamation, 1});
        return;
    }
    // The file is METAR whatever format was selected; from here on it is a picked file.
    vane_.option("optMETAR")->setChecked(true);
    weather_.loadChosenFile(result.path);
}

void DownloadActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

}  // namespace zephyra::shell
