#include "shell/WeatherActions.h"

#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QToolButton>

#include "platform/Files.h"
#include "shell/AloftActions.h"
#include "shell/DeliveryActions.h"
#include "shell/DownloadActions.h"
#include "shell/PictureActions.h"
#include "shell/Startup.h"
#include "shell/TafActions.h"
#include "shell/VaneWindow.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

namespace {

// Plain report files first; NOAA's CSV products (gzip-compressed or not) are read too.
constexpr const char* kMetarFilter =
    "METAR Weather (*.txt)|*.txt|NOAA CSV (*.csv *.csv.gz)|*.csv;*.csv.gz|All files|*";

// Marks a long operation: busy flag, hourglass, weather buttons off; all undone on exit.
class BusyScope {
  public:
    BusyScope(bool& flag, VaneWindow& vane) : flag_(flag), vane_(vane) {
        flag_ = true;
        for (const char* name : {"Picture2", "Picture3", "Picture4"}) {
            vane_.picture(name)->setEnabled(false);
        }
    }
    ~BusyScope() {
        for (const char* name : {"Picture2", "Picture3", "Picture4"}) {
            vane_.picture(name)->setEnabled(true);
        }
        flag_ = false;
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    bool& flag_;
    VaneWindow& vane_;
    BusyCursor cursor_;
};

}  // namespace

WeatherActions::WeatherActions(AppContext& context, VaneWindow& vane)
    : QObject(&vane), ctx_(context), vane_(vane) {
    connect(vane_.command("Command2"), &QPushButton::clicked, this, [this] { loadMetar(); });
    connect(vane_.command("Command3"), &QPushButton::clicked, this, [this] { updateWeather(); });
    connect(vane_.command("Command5"), &QPushButton::clicked, this, [this] { useLastWeather(); });
    connect(vane_.option("optMETAR"), &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            selectFormat(false);
        }
    });
    connect(vane_.option("optSA"), &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            selectFormat(true);
        }
    });
    vane_.reloadWaypoints = [this] { loadWaypoints(); };
    downloads_ = new DownloadActions(ctx_, vane_, *this);
    aloft_ = new AloftActions(ctx_, vane_, *this);
    tafs_ = new TafActions(ctx_, vane_, *this, *aloft_->menuButton()->menu());
}

void WeatherActions::bindPictures(PictureActions& pictures) {
    pictures.bind(vane_.picture("Picture2"), [this](Qt::MouseButton) {
        if (checkSimulatorForLoad()) {
            vane_.press(QStringLiteral("Command2"));
        }
    });
    pictures.bind(vane_.picture("Picture4"), [this](Qt::MouseButton) { useLastWeatherPicture(); });
}

void WeatherActions::useLastWeatherPicture() {
    const auto answer =
        ctx_.dialogs.message({"Are you sure you want to use the last weather loaded?", "Proceed?",
                              platform::Buttons::YesNo, platform::Icon::None, 1});
    if (answer == platform::Answer::No) {
        return;
    }
    if (checkSimulatorForLoad()) {
        vane_.press(QStringLiteral("Command5"));
    }
}

bool WeatherActions::checkSimulatorForLoad() {
    if (ctx_.platform.simulatorWindowExists()) {
        return true;
    }
    const std::string name = vane_.simulatorName();
    const auto answer = ctx_.dialogs.message(
        {namingSimulator("FS98 does not appear to be active. Would you like to start FS98 now? "
                         "If yes, wait until FS98 finishes loading then press Load METAR again.",
                         name),
         namingSimulator("Load FS98?", name), platform::Buttons::YesNo, platform::Icon::None, 2});
    if (answer != platform::Answer::Yes) {
        return true;
    }
    const std::string folder = vane_.textBox("Text7")->text().toStdString();
    if (!ctx_.platform.startSimulator(folder)) {
        ctx_.dialogs.message({namingSimulator("FS98", name) + " could not be started from \"" +
                                  folder + "\". Please start it yourself, then try again.",
                              namingSimulator("Load FS98?", name), platform::Buttons::Ok,
                              platform::Icon::Exclamation, 1});
    }
    return false;
}

void WeatherActions::selectFormat(bool sa) {
    vane_.textBox("Text4")->setText(sa ? QStringLiteral("Data: SA")
                                       : QStringLiteral("Data: METAR"));
}

void WeatherActions::loadMetar() {
    if (busy_ || downloads_->downloading() || aloft_->downloading() || tafs_->downloading()) {
        return;
    }
    const auto chosen = ctx_.dialogs.openFile({"Load METAR", ctx_.folders.user, kMetarFilter});
    if (!chosen) {
        return;
    }
    loadChosenFile(*chosen);
}

void WeatherActions::loadChosenFileQuietly(const std::string& path, platform::Dialogs& quiet) {
    quietDialogs_ = &quiet;
    loadChosenFile(path);
    quietDialogs_ = nullptr;
}

void WeatherActions::loadChosenFile(const std::string& path) {
    vane_.label("all_vane")->setText(QString::fromStdString(path));
    showWeatherFile(path);
    platform::setCurrentDirectory(ctx_.folders.user);
    vane_.press(QStringLiteral("Command3"));
}

std::unique_ptr<weather::WeatherDb> WeatherActions::openDatabase(const std::string& weatherFile) {
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error, false);
    if (!db) {
        ctx_.dialogs.message({error, "Weather File " + weatherFile + "  -- ERROR",
                              platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
    return db;
}

void WeatherActions::updateWeather() {
    if (busy_ || downloads_->downloading()) {
        return;
    }
    const std::string path = vane_.label("all_vane")->text().toStdString();
    if (path.empty()) {
        ctx_.dialogs.inform("You must select a file.");
        return;
    }
    // Without a database nothing is decoded, but the waypoint step below still runs.
    weather::LoadOutcome outcome;
    {
        BusyScope scope(busy_, vane_);
        if (auto db = openDatabase(path)) {
            weather::WeatherLoader loader(*db, ctx_.random,
                                          quietDialogs_ != nullptr ? *quietDialogs_ : ctx_.dialogs,
                                          ctx_.scheduler, *this, ctx_.weather);
            loader.setAloft(ctx_.aloft.get());
            if (vane_.option("optSA")->isChecked()) {
                outcome = loader.loadSa(path);
            } else {
                platform::setCurrentDirectory(ctx_.folders.user);
                loader.setScratchFile(platform::joinPath(ctx_.folders.user, "vane1.txt"));
                outcome = loader.loadMetar(path, false);
            }
        }
        clearNoWeatherText(outcome);
        if (outcome.finished) {
            showWeatherFile(path);
        }
    }
    vane_.textBox("Text8")->setText(QStringLiteral("0"));
    // What the load stored need not be read back; a load that stored nothing kept the weather
    // before it, which is read.
    loadWaypoints(outcome.stored.empty() ? nullptr : &outcome.stored);
}

void WeatherActions::showWeatherFile(const std::string& path) {
    auto* fileName = vane_.label("Label19");
    fileName->setText(QFileInfo(QString::fromStdString(path)).fileName());
    fileName->setToolTip(QString::fromStdString(path));
}

void WeatherActions::useLastWeather() {
    if (busy_) {
        return;
    }
    {
        BusyScope scope(busy_, vane_);
        if (auto db = openDatabase(vane_.label("all_vane")->text().toStdString())) {
            ctx_.shared.useLastWeather = 1;
            weather::WeatherLoader loader(*db, ctx_.random, ctx_.dialogs, ctx_.scheduler, *this,
                                          ctx_.weather);
            loader.setAloft(ctx_.aloft.get());
            clearNoWeatherText(loader.loadMetar({}, true));
            ctx_.shared.useLastWeather = 0;
        }
    }
    vane_.textBox("Text8")->setText(QStringLiteral("0"));
    loadWaypoints();
}

void WeatherActions::clearNoWeatherText(const weather::LoadOutcome& outcome) {
    // A failed load leaves "No weather loaded..." in the status area; a good one takes it away
    // and shows the station named there with its new report.
    if (outcome.finished && !ctx_.weather.noWeather) {
        vane_.label("Label15")->clear();
        vane_.deliveryActions().showLoadedWeather();
    }
}

void WeatherActions::loadWaypoints(const std::vector<weather::StationSky>* stored) {
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error, false);
    if (!db) {
        // No table to read, but tracking is armed as after every load.
        if (!storeMarkedLoaded()) {
            beginLoad();
            endLoad();
        }
        return;
    }
    flightplan::loadWaypoints(*db, ctx_.settings.Wayp, ctx_.weather.stations, ctx_.random,
                              ctx_.waypoints, *this, stored);
}

void WeatherActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

void WeatherActions::processEvents() {
    ctx_.scheduler.processEvents();
}

void WeatherActions::setRandomTimerInterval(int milliseconds) {
    vane_.randomTimer().setInterval(milliseconds);
}

bool WeatherActions::storeMarkedLoaded() {
    return vane_.textBox("Text8")->text() == QLatin1String("1");
}

void WeatherActions::markStoreLoaded() {
    vane_.textBox("Text8")->setText(QStringLiteral("1"));
}

void WeatherActions::beginLoad() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    vane_.setEnabled(false);
    ctx_.shared.firstConnection = 0;
    vane_.timer1().setInterval(5000);
    vane_.closest().setInterval(60000);
}

void WeatherActions::endLoad() {
    vane_.setEnabled(true);
    QApplication::restoreOverrideCursor();
}

void WeatherActions::setCurrentWeatherText(const std::string& text) {
    vane_.label("Label15")->setText(QString::fromStdString(text));
}

std::string WeatherActions::activeWaypointName() {
    return vane_.label("FWAYP")->text().toStdString();
}

void WeatherActions::setActiveWaypointFrequency(const std::string& text) {
    vane_.label("Label23")->setText(QString::fromStdString(text));
}

void WeatherActions::showMessage(const std::string& text) {
    ctx_.dialogs.inform(text);
}

}  // namespace zephyra::shell
