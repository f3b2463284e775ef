#include "shell/DownloadActions.h"

#include <QPushButton>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "shell/AloftActions.h"
#include "shell/AppContext.h"
#include "shell/DeliveryIni.h"
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
    refresh_ = ctx_.scheduler.createTimer([this] { refreshTick(); });
    armRefresh();
}

void DownloadActions::armRefresh() {
    const int minutes = readDeliveryChoiceFile(ctx_.folders.settings).refreshMinutes;
    const int interval = minutes * 60000;
    if (refresh_->interval() != interval) {
        refresh_->setInterval(interval);
    }
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

std::optional<std::string> DownloadActions::fetch(std::string& error) {
    const weather::DownloadSettings settings = weather::readDownloadSettings(ctx_.folders.settings);
    const std::string path = platform::joinPath(
        ctx_.folders.user, weather::downloadFileName(ctx_.scheduler.wallClock()));
    setDownloading(true);
    weather::WeatherDownload fetcher(ctx_.scheduler, *this);
    const weather::DownloadResult result = fetcher.fetch(settings, path, true);
    setDownloading(false);
    if (result.cancelled || !result.ok) {
        error = result.cancelled ? std::string() : result.error;
        return std::nullopt;
    }
    // The file is METAR whatever format was selected; from here on it is a picked file.
    vane_.option("optMETAR")->setChecked(true);
    return result.path;
}

void DownloadActions::download() {
    if (downloading_ || weather_.busy()) {
        return;
    }
    std::string error;
    const auto path = fetch(error);
    if (!path && error.empty()) {
        setStatus("Download cancelled. The weather already loaded is kept.");
        return;
    }
    if (!path) {
        setStatus("Download failed.");
        ctx_.dialogs.message({error + " The weather already loaded is kept.",
                              "Download current weather -- ERROR", platform::Buttons::Ok,
                              platform::Icon::Exclamation, 1});
        return;
    }
    weather_.loadChosenFile(*path);
    downloaded_ = *path;
}

namespace {

// The loader's messages of an in-flight refresh: the last on the status line, no box; a
// question takes its safe answer (No, Cancel).
class StatusLineDialogs final : public platform::Dialogs {
  public:
    explicit StatusLineDialogs(DownloadActions& host) : host_(host) {}
    std::string last;
    std::optional<std::string> inputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const platform::FileRequest&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const platform::FileRequest&) override {
        return std::nullopt;
    }

  protected:
    platform::Answer show(const platform::MessageRequest& request) override {
        last = request.text;
        host_.setStatus(request.text);
        switch (request.buttons) {
            case platform::Buttons::Ok:
                return platform::Answer::Ok;
            case platform::Buttons::OkCancel:
                return platform::Answer::Cancel;
            default:
                return platform::Answer::No;
        }
    }

  private:
    DownloadActions& host_;
};

}  // namespace

void DownloadActions::refreshTick() {
    armRefresh();
    // Only downloaded weather is refreshed: a file the pilot picked stays the weather.
    const bool flying = !vane_.textBox("Text1")->text().isEmpty();
    if (flying) {
        weather_.aloft().refreshInFlight();
    }
    const bool fromDownload =
        !downloaded_.empty() && vane_.label("all_vane")->text().toStdString() == downloaded_;
    if (!flying || !fromDownload || ctx_.weather.stations.count() == 0 || downloading_ ||
        weather_.busy()) {
        return;
    }
    std::string error;
    const auto path = fetch(error);
    if (!path) {
        setStatus(error.empty()
                      ? "Refresh cancelled. The weather already loaded is kept."
                      : "Refresh failed: " + error + " The weather already loaded is kept.");
        return;
    }
    StatusLineDialogs quiet(*this);
    weather_.loadChosenFileQuietly(*path, quiet);
    downloaded_ = *path;
    const std::string at = weather::isoTime(static_cast<std::int64_t>(ctx_.scheduler.wallClock()));
    setStatus("Weather downloaded again at " + at.substr(11, 5) + "Z. " + quiet.last);
}

void DownloadActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

}  // namespace zephyra::shell
