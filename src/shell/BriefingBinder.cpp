#include "shell/BriefingBinder.h"

#include <QLabel>
#include <QPushButton>

#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Platform.h"
#include "platform/Scheduler.h"
#include "reports/BriefingMap.h"
#include "shell/AppContext.h"
#include "shell/VaneWindow.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

namespace {

void tell(platform::Dialogs& dialogs, const std::string& text) {
    dialogs.message({text, "Briefing", platform::Buttons::Ok, platform::Icon::Exclamation, 1});
}

}  // namespace

BriefingBinder::BriefingBinder(AppContext& context, VaneWindow& vane,
                               const flightplan::FlightPlan& flight)
    : QObject(&vane), ctx_(context), flight_(flight) {
    // At the end of the weather file's line, which gives it room.
    QLabel* file = vane.label(QStringLiteral("Label19"));
    QRect line = file->geometry();
    line.setWidth(line.width() - 62);
    file->setGeometry(line);
    button_ = new QPushButton(QStringLiteral("Briefing"), &vane);
    button_->setObjectName(QStringLiteral("PlanBriefingButton"));
    // Between the pictures above and the download button below.
    button_->setGeometry(QRect(line.right() + 4, line.y() + 2, 58, 15));
    button_->setToolTip(
        QStringLiteral("Writes the route briefing of the plan (legs in the winds aloft, METAR and "
                       "TAF, flight categories along the route) and opens it in the browser."));
    connect(button_, &QPushButton::clicked, this, [this] { open(); });
}

std::string BriefingBinder::pagePath() const {
    return platform::joinPath(ctx_.folders.user, "briefing.html");
}

bool BriefingBinder::open() {
    if (flight_.plan.PlanCount == 0) {
        tell(ctx_.dialogs, "The plan is empty: add its waypoints first.");
        return false;
    }
    const auto& ends = flight_.ends;
    if (flight_.plan.PlanCount == 1 &&
        (ends.departureName.empty() || ends.departureName == flight_.plan.row(0).name)) {
        tell(ctx_.dialogs, "The plan has one waypoint and so no leg: add the next one first.");
        return false;
    }
    std::string problem;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &problem, false);
    if (!db) {
        tell(ctx_.dialogs, "The database cannot be opened: " + problem);
        return false;
    }
    const auto now = static_cast<std::int64_t>(ctx_.scheduler.wallClock());
    std::string tafProblem;
    const std::vector<weather::Taf> tafs = reports::briefingTafs({}, db.get(), now, &tafProblem);
    const std::shared_ptr<const weather::AloftField> aloft = ctx_.aloft;
    reports::BriefingInput input;
    input.flight = &flight_;
    input.store = &ctx_.waypoints;
    input.db = db.get();
    input.aloft = aloft.get();
    input.tafs = &tafs;
    input.departure = now;
    input.now = now;
    input.metres = ctx_.settings.heightsInMetres();
    input.uom = ctx_.settings.UOM;
    input.unlimitedVisibility = ctx_.settings.UnlimitedVis;
    input.weatherName = "the program's database";
    input.tafProblem = tafProblem;
    const std::string page =
        reports::briefingPage(input, platform::joinPath(ctx_.folders.shipped, "map"));
    const std::string path = pagePath();
    if (!platform::writeFile(path, page, &problem)) {
        tell(ctx_.dialogs, problem);
        return false;
    }
    platform::Dialogs& dialogs = ctx_.dialogs;  // outlives the window: the answer may come late
    ctx_.platform.openUrl("file://" + path, [&dialogs, path](bool opened) {
        if (!opened) {
            tell(dialogs, "No browser could be started; the briefing is in " + path + ".");
        }
    });
    return true;
}

}  // namespace zephyra::shell
