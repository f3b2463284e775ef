#include "shell/DeliveryActions.h"

#include "reports/StationReport.h"
#include "shell/AppContext.h"
#include "shell/DeliveryIni.h"
#include "shell/VaneWindow.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

DeliveryActions::DeliveryActions(AppContext& context, VaneWindow& vane)
    : QObject(&vane),
      ctx_(context),
      vane_(vane),
      delivery_(context.sim, context.scheduler, context.random, *this, context.databasePath(),
                context.weather.stations, context.weather.precipitation) {
    connect(vane_.command("Update_Vane"), &QPushButton::clicked, this, [this] { manualUpdate(); });
    connect(vane_.command("Command4"), &QPushButton::clicked, this, [this] { showReportBox(); });
    connect(vane_.command("Command6"), &QPushButton::clicked, this, [this] { showReportLine(); });
    vane_.onClosest = [this] { closestTick(); };
    // A simulator that restarts gets its weather back only while sending is on.
    QCheckBox* sendWeather = vane_.checkBox("upd_vane");
    ctx_.sim.setWeatherSending(sendWeather->isChecked());
    connect(sendWeather, &QCheckBox::toggled, this,
            [this](bool on) { ctx_.sim.setWeatherSending(on); });
    vane_.onRandomTimer = [this] { randomTick(); };
}

void DeliveryActions::refreshSettings() {
    if (ctx_.aloft != aloftGiven_) {
        // Winds aloft loaded or downloaded since: the simulator flies in them from now on.
        aloftGiven_ = ctx_.aloft;
        delivery_.setAloft(aloftGiven_);
    }
    auto& s = delivery_.settings();
    s.MaxTurb = ctx_.settings.MaxTurb;
    s.UnlimitedVis = ctx_.settings.UnlimitedVis;
    s.NewClouds = ctx_.settings.NewClouds;
    s.Wind = ctx_.settings.Wind;
    // Blending is for simulators that model what it sends; FS98 has the nearest station.
    const delivery::DeliveryChoice choice = readDeliveryChoiceFile(ctx_.folders.settings);
    s.blended = choice.blended && ctx_.sim.modelsAtmosphere();
    s.blendRadiusNm = choice.blendRadiusNm;
    s.blendSeconds = choice.blendSeconds;
    s.transitionPeriods = ctx_.transition.periods;
    s.transitionSeconds = ctx_.transition.seconds;
    s.programFolder = ctx_.folders.shipped;
    s.simulatorFolder = vane_.textBox("Text7")->text().toStdString();
    delivery_.sender().setDatabasePath(ctx_.databasePath());
    delivery_.variation().setDatabasePath(ctx_.databasePath());
    delivery_.tracker().adoptShownTexts(vane_.label("Text3")->text().toStdString(),
                                        vane_.textBox("LastStation")->text().toStdString());
}

void DeliveryActions::startTracking() {
    refreshSettings();
    if (delivery_.settings().blended) {
        blendTick();
        return;
    }
    delivery_.tracker().startTracking();
}

void DeliveryActions::closestTick() {
    refreshSettings();
    if (delivery_.settings().blended) {
        blendTick();
        return;
    }
    blending_ = false;
    if (vane_.closest().interval() != kClosestIntervalMs) {
        vane_.closest().setInterval(kClosestIntervalMs);
    }
    delivery_.tracker().tick();
}

void DeliveryActions::blendTick() {
    // The Closest timer runs every second while blending; the first blended send goes at once.
    const int interval = 1000;
    if (vane_.closest().interval() != interval) {
        vane_.closest().setInterval(interval);
    }
    if (!blending_ || blendStale_) {
        delivery_.reloadBlend();
        blendStale_ = false;
    }
    if (!blending_) {
        delivery_.blended().restart();
        blending_ = true;
    }
    delivery_.blendTick();
}

void DeliveryActions::randomTick() {
    refreshSettings();
    if (delivery_.settings().blended) {
        return;  // the blend moves only at a pilot's rates
    }
    const std::string closest = vane_.label("Text3")->text().toStdString();
    if (const int next = delivery_.variation().tick(closest); next > 0) {
        vane_.randomTimer().setInterval(next);
    }
}

void DeliveryActions::manualUpdate() {
    refreshSettings();
    if (delivery_.settings().blended) {
        blendStale_ = true;
        blendTick();
        return;
    }
    delivery_.tracker().manualUpdate();
}

namespace {

reports::StationReport currentReport(AppContext& ctx, const std::string& closestText,
                                     bool withTaf) {
    auto db = weather::WeatherDb::open(ctx.databasePath(), nullptr, false);
    if (!db) {
        return {false, reports::kStationNotFound};
    }
    return reports::stationReport(*db, closestText.substr(0, 4), ctx.settings.UOM,
                                  ctx.settings.UnlimitedVis, ctx.scheduler.wallClock(), withTaf);
}

}  // namespace

reports::StationReport DeliveryActions::shownReport(bool withTaf) {
    if (blending_) {
        if (const auto here = delivery_.blended().hereRecord()) {
            return {true, reports::composeStationReport(*here, here->t0Alt, ctx_.settings.UOM,
                                                        ctx_.settings.UnlimitedVis) +
                              "Blended here from " + delivery_.blended().weightsText() + ".\n"};
        }
    }
    return currentReport(ctx_, vane_.label("Text3")->text().toStdString(), withTaf);
}

void DeliveryActions::showReportBox() {
    const auto report = shownReport(true);
    if (!report.found) {
        ctx_.dialogs.inform(report.text);
        return;
    }
    ctx_.dialogs.message({report.text, "Current Station Report", platform::Buttons::Ok,
                          platform::Icon::Information, 1});
}

void DeliveryActions::showReportLine() {
    // The few lines under the station hold the report's start; the TAF is in the Report box.
    const auto report = shownReport(false);
    if (!report.found) {
        ctx_.dialogs.inform(report.text);
        return;
    }
    vane_.label("Label15")->setText(QString::fromStdString(report.text));
}

void DeliveryActions::setStatus(const std::string& text) {
    vane_.setStatus(QString::fromStdString(text));
}

bool DeliveryActions::windowEnabled() {
    return vane_.isEnabled();
}

bool DeliveryActions::sendWeatherOn() {
    return vane_.checkBox("upd_vane")->isChecked();
}

std::optional<std::pair<double, double>> DeliveryActions::aircraftPosition() {
    const QString lat = vane_.textBox("Text1")->text();
    const QString lon = vane_.textBox("Text2")->text();
    if (lat.isEmpty()) {
        return std::nullopt;
    }
    return std::make_pair(lat.trimmed().toDouble(), lon.trimmed().toDouble());
}

void DeliveryActions::showClosestStation(const std::string& text) {
    auto* shown = vane_.label("Text3");
    shown->setText(QString::fromStdString(text));
    // The station's report goes under its name at once, so the two always speak of the same
    // station (the weather sent may still be on its way there in a transition). The age of the
    // report goes under it and in the tip; an old one turns red and says so once on the
    // status line.
    reports::ReportAge age;
    std::string report;
    const double now = ctx_.scheduler.wallClock();
    if (auto db = weather::WeatherDb::open(ctx_.databasePath(), nullptr, false);
        db && text.size() >= 4) {
        const std::string id = text.substr(0, 4);
        if (const auto record = db->findWeather(id)) {
            age = reports::reportAge(*record, now);
            report =
                reports::composeStationReport(*record, reports::stationAltitudeFeet(*db, id),
                                              ctx_.settings.UOM, ctx_.settings.UnlimitedVis, now);
        }
    }
    // Without a station the lines keep what the loading wrote there ("No weather loaded...").
    if (!text.empty()) {
        vane_.label("Label15")->setText(QString::fromStdString(report));
    }
    shown->setToolTip(QString::fromStdString(age.text));
    auto* observed = vane_.label("ReportAge");
    observed->setText(QString::fromStdString(age.observed));
    const QString stale = age.warning.empty() ? QString() : QStringLiteral("color: #ff7070;");
    shown->setStyleSheet(stale);
    observed->setStyleSheet(stale);
    if (!age.warning.empty() && age.warning != lastWarning_) {
        setStatus(age.warning);
    }
    lastWarning_ = age.warning;
}

void DeliveryActions::showLoadedWeather() {
    // The next search sends the closest station's new weather, whichever station it is; the
    // blend takes the new weather in at its rates.
    delivery_.tracker().weatherReloaded();
    blendStale_ = true;
    // A station the new weather does not hold is no longer shown; the next search finds one.
    std::string shown = vane_.label("Text3")->text().toStdString();
    if (auto db = weather::WeatherDb::open(ctx_.databasePath(), nullptr, false);
        !db || shown.size() < 4 || !db->findWeather(shown.substr(0, 4))) {
        shown.clear();
        vane_.label("Label15")->clear();
    }
    showClosestStation(shown);
}

void DeliveryActions::showLastStation(const std::string& text) {
    vane_.textBox("LastStation")->setText(QString::fromStdString(text));
}

void DeliveryActions::refreshReport() {
    vane_.press(QStringLiteral("Command6"));
}

}  // namespace zephyra::shell
