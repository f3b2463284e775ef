#include "shell/TafActions.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/AloftActions.h"
#include "shell/AppContext.h"
#include "shell/DownloadActions.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "weather/TafStore.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

namespace {

constexpr const char* kTafFilter = "TAFs (*.txt *.csv *.gz)|*.txt;*.csv;*.gz|All files|*";
constexpr const char* kKept = " The TAFs already loaded are kept.";

}  // namespace

TafActions::TafActions(AppContext& context, VaneWindow& vane, WeatherActions& weather, QMenu& menu)
    : QObject(&vane), ctx_(context), vane_(vane), weather_(weather), menu_(menu) {
    menu_.addSeparator();
    auto add = [&](const char* name, const QString& text, auto handler) {
        QAction* a = menu_.addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
    };
    add("LoadTafFile", QStringLiteral("Load TAF file..."), [this] { loadFile(); });
    add("DownloadTafs", QStringLiteral("Download TAFs"), [this] { download(); });

    QToolButton* menuButton = weather_.aloft().menuButton();
    cancel_ = new QPushButton(QStringLiteral("Cancel"), &vane_);
    cancel_->setObjectName(QStringLiteral("cmdCancelTafs"));
    cancel_->setToolTip(QStringLiteral("Stop the download; the TAFs already loaded are kept"));
    cancel_->setGeometry(menuButton->geometry());
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });
}

QAction* TafActions::action(const char* name) const {
    return menu_.findChild<QAction*>(QString::fromLatin1(name));
}

void TafActions::fail(const std::string& title, const std::string& error) {
    setStatus("TAFs not loaded.");
    ctx_.dialogs.message({error + kKept, title + " -- ERROR", platform::Buttons::Ok,
                          platform::Icon::Exclamation, 1});
}

bool TafActions::store(const std::vector<weather::Taf>& tafs, const std::string& title) {
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error, false);
    int stored = 0;
    if (!db || !weather::replaceTafs(*db, tafs, &error, &stored)) {
        fail(title, error);
        return false;
    }
    setStatus("TAFs loaded: " + std::to_string(stored) +
              (stored == 1 ? " station." : " stations."));
    return true;
}

void TafActions::loadFile() {
    if (downloading_) {
        return;
    }
    const auto chosen = ctx_.dialogs.openFile({"Load TAFs", ctx_.folders.user, kTafFilter});
    if (chosen) {
        loadFile(*chosen);
    }
}

void TafActions::loadFile(const std::string& path) {
    std::string error;
    const auto tafs = weather::loadTafFile(path, &error);
    if (!tafs) {
        fail("TAFs " + path, error);
        return;
    }
    store(*tafs, "TAFs " + path);
}

void TafActions::download() {
    if (downloading_ || weather_.busy() || weather_.downloads().downloading() ||
        weather_.aloft().downloading()) {
        return;
    }
    const auto settings = weather::readDownloadSettings(ctx_.folders.settings);
    setDownloading(true);
    weather::TafDownload fetcher(ctx_.scheduler, *this);
    const auto result = fetcher.fetch(settings.tafUrl, settings,
                                      platform::joinPath(ctx_.folders.user, weather::kTafFile),
                                      static_cast<std::int64_t>(ctx_.scheduler.wallClock()));
    setDownloading(false);
    if (result.cancelled) {
        setStatus(std::string("Download cancelled.") + kKept);
        return;
    }
    if (!result.ok) {
        fail("Download TAFs", result.error);
        return;
    }
    store(result.tafs, "Download TAFs");
}

void TafActions::setDownloading(bool on) {
    downloading_ = on;
    cancelRequested_ = false;
    weather_.aloft().menuButton()->setVisible(!on);
    cancel_->setVisible(on);
    weather_.downloads().downloadButton()->setEnabled(!on);
}

void TafActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

}  // namespace zephyra::shell
