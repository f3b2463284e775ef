#include "shell/HelpTips.h"

#include <QEvent>
#include <QWidget>

namespace zephyra::shell {

const std::vector<std::pair<QString, QString>>& HelpTips::table() {
    static const std::vector<std::pair<QString, QString>> tips = [] {
        const QString find = QStringLiteral(
            "Enter text here to do a Find for your desired Airport or NAVAID: its identifier "
            "(KATL, ATL) or a part of its name, in any letter case. Then press the Find button.");
        const QString next =
            QStringLiteral("After you do a Find command, press Next to display the next match.");
        return std::vector<std::pair<QString, QString>>{
            {"AltLst",
             "The altitude associated with the matching flight plan entry is displayed here."},
            {"SpdLst",
             "The Speed associated with the matching flight plan entry is displayed here."},
            {"WaypLst", "The entries in your flight plan are displayed here."},
            {"FoundWayp", next},
            {"Label32", next},
            {"FWP", find},
            {"Label31", find},
            {"Label15",
             "Once you load weather, the current weather at your aircraft location will be "
             "displayed. This window is continually updated."},
            {"Label30",
             "Double click the status area to to reduce the main window size and make it on "
             "top. Double click again to restore defaults."},
            {"Picture1",
             "Press here to Load a flight plan. Flight plans can also contain custom weather "
             "created in Weather Builder."},
            {"Picture2",
             "This is where you load METAR txt files into Zephyra. This will activate all "
             "weather processing."},
            {"Picture4",
             "Click here to use the last weather you loaded from a METAR text file. If the last "
             "weather loaded is recent, this will save time."},
            {"Picture5", "Opens the Settings window."},
            {"Picture6",
             "For world wide weather reports. The most recent weather loaded will apear in the "
             "world weather report window."},
            {"Picture7",
             "Add a departure and arrival airport to the flight plan box above. Verify your "
             "database settings and press to Auto-generate a flight plan."},
            {"Picture8",
             "Brings up the Help window and also gives you access to the Zephyra tutorials. "
             "Right clicking enabled Help Tips."},
            {"Picture9",
             "Quick Link will give you access to stored URLs (Web Sites) that you can easily "
             "access through your default system browser. "},
            {"Picture10",
             "Opens up the Weather Builder. You can add custom weather to your plans using "
             "Weather Builder."},
            {"Picture16",
             "Press to insert a found NAVAID above the highlighted flight plan entry."},
            {"Picture17",
             "Press to clear the flight plan window. Right click to also clear the current "
             "waypoint in the mains status window."},
            {"Picture18", "Deletes the selected flight plan entry."},
            {"Picture19",
             "Click Save to save the entries in the Flight Plan display box as a new flight plan "
             "file (*.fpl)."},
            {"Picture20",
             "When you press Send, the topmost entry in the flight plan box is sent for "
             "processing. It will appear in the Main Status window."},
            {"Picture23",
             "Sets speed for the selected flight plan entry. If no entry is selected, the Speed "
             "will be sent to the main status window."},
            {"Picture24",
             "Sets the altitude for the selected flight plan entry. If no entry is selected, the "
             "altitude will be sent to the main status window."},
            {"Picture25",
             "Adds a NAVAID to your flight plan from the Find box. Flight plans are always built "
             "working from the top down."},
            {"Picture28", "Exits Zephyra."},
        };
    }();
    return tips;
}

HelpTips::HelpTips(QLabel& line, QObject* parent) : QObject(parent), line_(line) {}

void HelpTips::setTip(QWidget* control, const QString& tip) {
    if (control == nullptr) {
        return;
    }
    tips_[control] = tip;
    control->setMouseTracking(true);
}

void HelpTips::watch(QWidget& root) {
    for (QWidget* w : root.findChildren<QWidget*>()) {
        w->installEventFilter(this);
        if (!tipFor(w).isEmpty()) {
            w->setMouseTracking(true);
        }
    }
}

QString HelpTips::tipFor(const QWidget* control) const {
    for (const QWidget* w = control; w != nullptr; w = w->parentWidget()) {
        if (auto it = tips_.find(w); it != tips_.end()) {
            return it->second;
        }
    }
    return {};
}

void HelpTips::toggleEnabled() {
    if (enabled_ == 0) {
        enabled_ = 1;
    } else {
        enabled_ = 0;
        show(QString());
    }
}

void HelpTips::show(const QString& text) {
    line_.setText(text);
    if (enabled_ == 0 && !line_.text().isEmpty()) {
        line_.setText(QString());
    }
}

bool HelpTips::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Enter || type == QEvent::MouseMove || type == QEvent::HoverMove) {
        const QString tip = tipFor(qobject_cast<QWidget*>(watched));
        // Entering a control without a tip empties the line. A move that a child left
        // unhandled reaches its parents too, so moves only ever write a tip.
        if (type == QEvent::Enter || !tip.isEmpty()) {
            show(tip);
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
