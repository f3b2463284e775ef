#include "shell/BuilderBinder.h"

#include "builder/CustomWeather.h"
#include "builder/WeatherBuilderWindow.h"
#include "shell/AppContext.h"
#include "shell/OnScreen.h"
#include "shell/PlanControls.h"
#include "shell/PlanListsBinder.h"
#include "shell/VaneWindow.h"
#include "shell/WeatherActions.h"
#include "weather/WeatherDb.h"

namespace zephyra::shell {

BuilderBinder::BuilderBinder(AppContext& context, VaneWindow& vane)
    : QObject(&vane), ctx_(context), vane_(vane) {
    vane_.showWeatherBuilder = [this] { showWeatherBuilder(); };
    vane_.planControls().lists().customWeatherProcessing = [this] { processPlanWeather(); };
}

void BuilderBinder::showWeatherBuilder() {
    if (ctx_.waypoints.loadingFlag == 0) {
        ctx_.dialogs.inform(
            "Waypoints are currenly loading. Please wait until they are finished before using "
            "METGEN.");
        return;
    }
    if (!window_) {
        window_ = new builder::WeatherBuilderWindow(
            ctx_.dialogs, [this] { return ctx_.settings.UOM; }, ctx_.folders.user);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        placeOnScreen(*window_, vane_);
    }
    window_->show();
    window_->raise();
}

void BuilderBinder::processPlanWeather() {
    auto& actions = vane_.weatherActions();
    std::string error;
    auto db = weather::WeatherDb::open(ctx_.databasePath(), &error);
    if (!db) {
        ctx_.dialogs.message({"The weather database could not be opened (" + error + ").",
                              "Weather -- ERROR", platform::Buttons::Ok,
                              platform::Icon::Exclamation, 1});
        return;
    }
    ctx_.random.seedFromClock();
    const weather::WeatherLoader stamper(*db, ctx_.random, ctx_.dialogs, ctx_.scheduler, actions,
                                         ctx_.weather);
    const auto outcome =
        builder::processPlanWeather(vane_.planControls().flight().plan, *db, ctx_.random,
                                    ctx_.dialogs, actions, ctx_.weather, stamper.timestamp());
    db.reset();
    if (outcome.finished) {
        // The weather now flown is the plan's, not the last METAR file's.
        auto* fileName = vane_.label("Label19");
        fileName->setText(QStringLiteral("the flight plan's weather"));
        fileName->setToolTip(
            QStringLiteral("The weather attached to the plan's waypoints in the Weather Builder"));
    }
    actions.loadWaypoints();
}

}  // namespace zephyra::shell
