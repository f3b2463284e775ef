#include "shell/NavigationStatusBinder.h"
#include "shell/NavigationPanel.h"

#include <QEvent>
#include <QListWidget>
#include <QPushButton>
#include <cmath>

#include "flightplan/PlanNumbers.h"
#include "shell/AppContext.h"
#include "shell/Startup.h"
#include "shell/VaneWindow.h"
#include "simlink/BuiltInAircraft.h"

namespace zephyra::shell {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

NavigationStatusBinder::NavigationStatusBinder(AppContext& context, VaneWindow& vane,
                                               flightplan::FlightPlan& flight)
    : QObject(&vane),
      ctx_(context),
      vane_(vane),
      flight_(flight),
      navigator_(flight, context.sim, context.shared.firstConnection) {
    navigator_.status = [&vane] { return vane.status().toStdString(); };
    navigator_.setStatus = [&vane](const std::string& s) { vane.setStatus(qs(s)); };
    navigator_.onFirstConnection = [this] {
        if (onFirstConnection) {
            onFirstConnection();
        }
    };
    navigator_.onPosition = [this](double lat, double lon) {
        // The position is shown before anything reads it back: the closest-station search
        // that the first connected tick starts takes it from these boxes.
        vane_.textBox("Text1")->setText(qs(flight_.display.Text1));
        vane_.textBox("Text2")->setText(qs(flight_.display.Text2));
        // Positions arrive again: the status line says so in place of a connection lost.
        const QString status = vane_.status();
        if (status == flightplan::Navigator::kNotConnected ||
            status == QLatin1String(kAircraftStopped)) {
            vane_.setStatus(qs(namingSimulator("Connected to FS98.", vane_.simulatorName())));
        }
        if (onPosition) {
            onPosition(lat, lon);
        }
    };
    navigator_.onSwitch = [this](const std::string&) {
        if (onPlanChanged) {
            onPlanChanged();
        }
    };
    vane.onTimer1 = [this] { tick(); };
    connect(vane.command("Command11"), &QPushButton::clicked, this, [this] { setNextWaypoint(); });
    activeWaypointLabel_ = vane.label("FWAYP");
    activeWaypointLabel_->installEventFilter(this);
}

void NavigationStatusBinder::tick() {
    navigator_.AutoSwitchDist = ctx_.shared.autoSwitchDist;
    const auto result =
        navigator_.tick({vane_.checkBox("UPDHDG")->isChecked(), ctx_.settings.heightsInMetres()});
    const bool connected = result != flightplan::Navigator::TickResult::NotConnected;
    showConnected(connected);
    if (!connected) {
        // The built-in aircraft answers no position while it is stopped: say so, and show no
        // ground speed or time to the waypoint that no longer hold.
        if (ctx_.builtIn != nullptr && !ctx_.builtIn->running()) {
            vane_.setStatus(QString::fromLatin1(kAircraftStopped));
            vane_.label("TAS")->setText(QStringLiteral("0"));
            vane_.textBox("HRS")->clear();
            vane_.textBox("MIN")->clear();
        }
        return;
    }
    show();
    if (vane_.navigationPanel()->isVisible()) {
        vane_.label("Label37")->setText(vane_.label("FWAYP")->text());
        vane_.label("Label36")->setText("Heading: " + vane_.label("Hdg")->text());
        vane_.label("Label34")->setText("Distance: " + vane_.label("Dist")->text());
        vane_.label("Label35")->setText("ETE   Hours: " + vane_.textBox("HRS")->text());
        vane_.label("Label33")->setText("Minutes: " + vane_.textBox("MIN")->text());
    }
}

void NavigationStatusBinder::showVariation(const std::string& text) {
    // The box has room for a few digits: the value to a tenth of a degree shows whole, and its
    // tip gives it in full with its side.
    QLineEdit* box = vane_.textBox("altbrng");
    const auto v = flightplan::readNumber(text);
    if (!v) {
        box->setText(qs(text));
        box->setToolTip(QString());
        return;
    }
    box->setText(qs(flightplan::standardText(std::round(*v * 10.0) / 10.0)));
    box->setCursorPosition(0);
    const double west = 360.0 - *v;
    box->setToolTip(
        QStringLiteral("Magnetic variation %1 (%2)")
            .arg(qs(text),
                 *v == 0.0 ? QStringLiteral("none")
                 : *v >= 180.0
                     ? QStringLiteral("%1\u00b0 west")
                           .arg(qs(flightplan::standardText(std::round(west * 100.0) / 100.0)))
                     : QStringLiteral("%1\u00b0 east")
                           .arg(qs(flightplan::standardText(std::round(*v * 100.0) / 100.0)))));
}

void NavigationStatusBinder::showConnected(bool connected) {
    vane_.showSimulatorInUse(connected);
    // What was read before the simulator went away is greyed until it answers again.
    for (const char* name : {"Text1", "Text2", "HRS", "MIN"}) {
        vane_.textBox(QString::fromLatin1(name))->setEnabled(connected);
    }
    for (const char* name : {"Hdg", "Dist", "TAS", "WindDir", "WindSpd"}) {
        vane_.label(QString::fromLatin1(name))->setEnabled(connected);
    }
}

void NavigationStatusBinder::setNextWaypoint() {
    if (!flight_.setNextWaypoint()) {
        return;
    }
    navigator_.sendNow({vane_.checkBox("UPDHDG")->isChecked(), ctx_.settings.heightsInMetres()});
    show();
    if (onPlanChanged) {
        onPlanChanged();
    }
    vane_.timer1().setInterval(5000);
}

void NavigationStatusBinder::activeTargetsChanged() {
    navigator_.sendNow({vane_.checkBox("UPDHDG")->isChecked(), ctx_.settings.heightsInMetres()});
    show();
}

void NavigationStatusBinder::clearActiveWaypoint() {
    flight_.clearActiveWaypoint();
    show();
    vane_.label("Label28")->setText(QString());
}

void NavigationStatusBinder::show() {
    const flightplan::NavDisplay& d = flight_.display;
    vane_.textBox("Text1")->setText(qs(d.Text1));
    vane_.textBox("Text2")->setText(qs(d.Text2));
    vane_.textBox("HRS")->setText(qs(d.HRS));
    vane_.textBox("MIN")->setText(qs(d.MIN));
    showVariation(d.altbrng);
    const std::pair<const char*, const std::string*> labels[] = {
        {"Dist", &d.Dist},       {"Hdg", &d.Hdg},
        {"WindDir", &d.WindDir}, {"WindSpd", &d.WindSpd},
        {"TAS", &d.TAS},         {"AltHold", &d.AltHold},
        {"SpdHold", &d.SpdHold}, {"FWAYP", &flight_.leg.FWAYP},
    };
    for (const auto& [name, text] : labels) {
        vane_.label(QString::fromLatin1(name))->setText(qs(*text));
    }
    // A new active waypoint shows the frequency of the stored waypoint of that name.
    if (flight_.leg.FWAYP != shownWaypoint_) {
        shownWaypoint_ = flight_.leg.FWAYP;
        if (const auto freq = ctx_.waypoints.frequencyOf(shownWaypoint_)) {
            vane_.label("Label23")->setText(qs(*freq));
        }
    }
}

bool NavigationStatusBinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == activeWaypointLabel_) {
        if (event->type() == QEvent::MouseButtonRelease) {
            vane_.list("WaypLst")->clearSelection();
        } else if (event->type() == QEvent::MouseButtonDblClick) {
            vane_.textBox("FWP")->setText(vane_.label("FWAYP")->text());
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
