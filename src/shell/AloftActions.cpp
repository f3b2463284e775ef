#include "shell/AloftActions.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <chrono>
#include <filesystem>

#include "flightplan/FlightPlan.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "shell/AppContext.h"
#include "shell/DownloadActions.h"
#include "shell/ElidedLabel.h"
#include "shell/PlanControls.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

namespace {

// Under the Weather Map button, and the line beside it on the left.
const QRect kButtonPlace(506, 388, 96, 21);
const QRect kStatusPlace(6, 390, 494, 16);

constexpr const char* kAloftFilter =
    "Winds aloft (*.txt *.grib2 *.grb2)|*.txt;*.grib2;*.grb2|All files|*";
constexpr const char* kKept = " The winds aloft already loaded are kept.";

// The reference date for an FB file's valid day: the day after the file was written.
weather::ReferenceDate referenceOf(const std::string& path, double now) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return weather::aloftReference(now);
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(written).time_since_epoch());
    return weather::aloftReference(static_cast<double>(seconds.count()));
}

std::optional<double> number(const QLineEdit* box) {
    bool ok = false;
    const double v = box != nullptr ? box->text().trimmed().toDouble(&ok) : 0.0;
    return ok ? std::optional<double>(v) : std::nullopt;
}

}  // namespace

AloftActions::AloftActions(AppContext& context, VaneWindow& vane, WeatherActions& weather)
    : QObject(&vane), ctx_(context), vane_(vane), weather_(weather) {
    menuButton_ = new QToolButton(&vane_);
    menuButton_->setObjectName(QStringLiteral("AloftButton"));
    menuButton_->setText(QStringLiteral("Winds aloft"));
    menuButton_->setToolTip(QStringLiteral(
        "Load a winds aloft forecast (NOAA's FB text or GFS GRIB2) or download one; the TAFs"));
    menuButton_->setPopupMode(QToolButton::InstantPopup);
    menuButton_->setGeometry(kButtonPlace);
    auto* menu = new QMenu(menuButton_);
    auto add = [&](const char* name, const QString& text, auto handler) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    add("LoadAloftFile", QStringLiteral("Load winds aloft file..."), [this] { loadFile(); });
    menu->addSeparator();
    add("DownloadAloftFb", QStringLiteral("Download FB winds aloft (United States)"),
        [this] { downloadFb(); });
    QAction* plan = add("DownloadGfsPlan", QStringLiteral("Download GFS winds for the flight plan"),
                        [this] { downloadGfs(Around::Plan); });
    QAction* aircraft =
        add("DownloadGfsAircraft", QStringLiteral("Download GFS winds around the aircraft"),
            [this] { downloadGfs(Around::Aircraft); });
    connect(menu, &QMenu::aboutToShow, this, [this, plan, aircraft] {
        plan->setEnabled(vane_.planControls().flight().wholePlan().PlanCount > 0);
        aircraft->setEnabled(number(vane_.textBox("Text1")).has_value());
    });
    menuButton_->setMenu(menu);
    menuButton_->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));

    cancel_ = new QPushButton(QStringLiteral("Cancel"), &vane_);
    cancel_->setObjectName(QStringLiteral("cmdCancelAloft"));
    cancel_->setToolTip(
        QStringLiteral("Stop the download; the winds aloft already loaded are kept"));
    cancel_->setGeometry(kButtonPlace);
    cancel_->hide();
    connect(cancel_, &QPushButton::clicked, this, [this] { cancel(); });

    status_ = new ElidedLabel(&vane_);
    status_->setObjectName(QStringLiteral("AloftStatus"));
    status_->setGeometry(kStatusPlace);

    // The warning comes as the forecast ages, with no load to trigger it.
    refresh_ = ctx_.scheduler.createTimer([this] { showLoaded(); });
    refresh_->setInterval(60000);
    showLoaded();
}

QAction* AloftActions::action(const char* name) const {
    return menuButton_->menu()->findChild<QAction*>(QString::fromLatin1(name));
}

void AloftActions::showLoaded() {
    const weather::AloftStatus shown =
        weather::aloftStatus(*ctx_.aloft, ctx_.scheduler.wallClock());
    status_->setText(QString::fromStdString(shown.text));
    status_->setStyleSheet(shown.stale ? QStringLiteral("color: #b3261e; font-weight: bold;")
                                       : QString());
}

void AloftActions::take(const weather::AloftLoad& load) {
    ctx_.aloft = std::make_shared<const weather::AloftField>(
        weather::withForecast(*ctx_.aloft, load.forecast));
    showLoaded();
    std::string text = "Winds aloft loaded: " + load.forecast->name();
    if (!load.unplaced.empty()) {
        text += " (" + std::to_string(load.unplaced.size()) + " sites not found)";
    }
    setStatus(text + ".");
}

void AloftActions::fail(const std::string& title, const std::string& error) {
    setStatus("Winds aloft not loaded.");
    ctx_.dialogs.message({error + kKept, title + " -- ERROR", platform::Buttons::Ok,
                          platform::Icon::Exclamation, 1});
}

void AloftActions::loadFile() {
    if (downloading_) {
        return;
    }
    const auto chosen =
        ctx_.dialogs.openFile({"Load winds aloft", ctx_.folders.user, kAloftFilter});
    if (chosen) {
        loadFile(*chosen);
    }
}

void AloftActions::loadFile(const std::string& path) {
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error, false);
    if (!db) {
        fail("Winds aloft " + path, error);
        return;
    }
    const weather::AloftLoad load =
        weather::loadAloftFile(path, *db, referenceOf(path, ctx_.scheduler.wallClock()));
    if (!load.forecast) {
        // The reader's reasons are phrases ("cannot read x", "no site ... could be placed").
        std::string why = load.error;
        if (!why.empty()) {
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
        }
        fail("Winds aloft " + path, why + ".");
        return;
    }
    take(load);
    downloaded_.reset();
}

void AloftActions::downloadFb() {
    download(weather::AloftKind::Fb, {},
             platform::joinPath(ctx_.folders.user, weather::kAloftFbFile));
    if (downloaded_) {
        downloaded_->around = Around::Plan;
    }
}

void AloftActions::downloadGfs(Around around) {
    if (const auto box = gfsBox(around, false)) {
        download(weather::AloftKind::Gfs, *box,
                 platform::joinPath(ctx_.folders.user, weather::kAloftGfsFile));
        if (downloaded_) {
            downloaded_->around = around;
        }
    }
}

std::optional<weather::AloftBox> AloftActions::gfsBox(Around around, bool quiet) {
    const auto refuse = [&](const std::string& why) -> std::optional<weather::AloftBox> {
        if (quiet) {
            setStatus("Winds aloft not downloaded again: " + why + kKept);
        } else {
            ctx_.dialogs.inform(why);
        }
        return std::nullopt;
    };
    std::vector<weather::GeoPosition> points;
    if (around == Around::Plan) {
        const flightplan::PlanStore plan = vane_.planControls().flight().wholePlan();
        for (int i = 0; i < plan.PlanCount; ++i) {
            const auto row = plan.row(i);
            points.push_back({row.lat, row.lon});
        }
        if (points.empty()) {
            return refuse("The flight plan is empty: add waypoints to it first.");
        }
    } else {
        const auto lat = number(vane_.textBox("Text1"));
        const auto lon = number(vane_.textBox("Text2"));
        if (!lat || !lon) {
            return refuse("The aircraft's position is not known yet: start the simulator first.");
        }
        points.push_back({*lat, *lon});
    }
    const auto box =
        weather::boxAround(points, around == Around::Plan ? kPlanMargin : kAircraftMargin);
    std::string why;
    if (!box || !weather::checkAloftBox(*box, &why)) {
        if (quiet) {
            setStatus("Winds aloft not downloaded again: " + why + kKept);
        } else {
            fail("Download winds aloft", why);
        }
        return std::nullopt;
    }
    return box;
}

void AloftActions::refreshInFlight() {
    const bool flying = !vane_.textBox("Text1")->text().isEmpty();
    if (!flying || !downloaded_ || downloading_) {
        return;
    }
    const Downloaded again = *downloaded_;
    if (again.kind == weather::AloftKind::Gfs) {
        if (const auto box = gfsBox(again.around, true)) {
            download(again.kind, *box,
                     platform::joinPath(ctx_.folders.user, weather::kAloftGfsFile), true);
        }
    } else {
        download(again.kind, {}, platform::joinPath(ctx_.folders.user, weather::kAloftFbFile),
                 true);
    }
    if (downloaded_) {
        downloaded_->around = again.around;
    }
}

void AloftActions::download(weather::AloftKind kind, const weather::AloftBox& box,
                            const std::string& file, bool quiet) {
    if (downloading_ || weather_.busy() || weather_.downloads().downloading()) {
        return;
    }
    const auto failed = [&](const std::string& error) {
        if (quiet) {
            setStatus("Winds aloft refresh failed: " + error + kKept);
        } else {
            fail("Download winds aloft", error);
        }
    };
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error, false);
    if (!db) {
        failed(error);
        return;
    }
    const auto settings = weather::readDownloadSettings(ctx_.folders.settings);
    const auto reference = weather::aloftReference(ctx_.scheduler.wallClock());
    setDownloading(true);
    weather::AloftDownload fetcher(ctx_.scheduler, *this);
    const weather::AloftReader read = [&](const std::string& path) {
        return weather::loadAloftFile(path, *db, reference);
    };
    const auto now = static_cast<std::int64_t>(ctx_.scheduler.wallClock());
    const auto result = kind == weather::AloftKind::Gfs
                            ? fetcher.fetchGfs(settings.gfsUrl, box, now, settings, file, read)
                            : fetcher.fetch(kind, settings.aloftUrl, settings, file, read);
    setDownloading(false);
    if (result.cancelled) {
        setStatus(std::string("Download cancelled.") + kKept);
        return;
    }
    if (!result.ok) {
        failed(result.error);
        return;
    }
    take(result.load);
    downloaded_ = Downloaded{kind, Around::Plan};
    if (quiet) {
        const std::string at = weather::isoTime(now);
        setStatus("Winds aloft downloaded again at " + at.substr(11, 5) +
                  "Z: " + result.load.forecast->name() + ".");
    }
}

void AloftActions::setDownloading(bool on) {
    downloading_ = on;
    cancelRequested_ = false;
    menuButton_->setVisible(!on);
    cancel_->setVisible(on);
    weather_.downloads().downloadButton()->setEnabled(!on);
}

void AloftActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

}  // namespace zephyra::shell
