#include "shell/PlanListsBinder.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>
#include <chrono>

#include "flightplan/AutoGenerator.h"
#include "flightplan/PlanFile.h"
#include "flightplan/PlanNumbers.h"
#include "flightplan/RouteSender.h"
#include "shell/AppContext.h"
#include "shell/FindBoxBinder.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/Startup.h"
#include "shell/VaneWindow.h"

namespace zephyra::shell {

namespace {

constexpr const char* kPlanFilter = "Flight Plan(*.fpl)|*.fpl";
constexpr const char* kPlanLoadFilter = "Flight Plan(*.fpl)|*.fpl|All files (*)|*";
constexpr const char* kImportFilter =
    "Flight plans (*.xml *.gpx *.fpl)|*.xml;*.gpx;*.fpl|FlightGear route (*.xml)|*.xml|"
    "GPX (*.gpx)|*.gpx|SimBrief OFP (*.xml)|*.xml|Flight Plan (*.fpl)|*.fpl|All files (*)|*";
const char* const kLists[] = {"WaypLst", "AltLst", "SpdLst"};

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// The custom-weather question of Load and the dialogue it needs.
class LoadDialogue final : public flightplan::PlanLoadHost {
  public:
    LoadDialogue(AppContext& ctx, VaneWindow& vane, const std::function<void()>& processing)
        : ctx_(ctx), vane_(vane), processing_(processing) {}

    bool applied = false;

    bool useCustomWeather() override {
        return ctx_.dialogs.message(
                   {"Custom weather is detected in this flight plan. If you load custom weather "
                    "it will overwrite all current weather data in the database, including "
                    "weather loaded from a METAR file. Are you sure you want to use the custom "
                    "weather?",
                    "Proceed?", platform::Buttons::YesNo, platform::Icon::Information, 2}) ==
               platform::Answer::Yes;
    }
    void processCustomWeather() override {
        if (!processing_) {
            ctx_.dialogs.message(
                {"This flight plan's custom weather cannot be used yet: this version of Zephyra "
                 "has no Weather Builder processing. The plan's entries are loaded and the "
                 "weather database is unchanged.",
                 "Custom weather", platform::Buttons::Ok, platform::Icon::Exclamation, 1});
            return;
        }
        vane_.textBox("LastStation")->clear();
        vane_.textBox("Text8")->setText(QStringLiteral("0"));
        processing_();
        applied = true;
    }

  private:
    AppContext& ctx_;
    VaneWindow& vane_;
    const std::function<void()>& processing_;
};

class GenerationDialogue final : public flightplan::GenerationHost {
  public:
    GenerationDialogue(AppContext& ctx, VaneWindow& vane) : ctx_(ctx), vane_(vane) {}
    bool waypointsLoaded() override { return vane_.textBox("Text8")->text() == "1"; }
    void loadWaypoints() override {
        if (vane_.reloadWaypoints) {
            vane_.reloadWaypoints();
        }
    }
    void processEvents() override { ctx_.scheduler.processEvents(); }
    void setBusy(bool busy) override {
        if (busy) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        } else {
            QApplication::restoreOverrideCursor();
        }
    }

  private:
    AppContext& ctx_;
    VaneWindow& vane_;
};

}  // namespace

PlanListsBinder::PlanListsBinder(AppContext& context, VaneWindow& vane,
                                 flightplan::FlightPlan& flight, FindBoxBinder& find,
                                 NavigationStatusBinder& navigation)
    : QObject(&vane),
      ctx_(context),
      vane_(vane),
      flight_(flight),
      find_(find),
      navigation_(navigation) {
    const std::pair<const char*, void (PlanListsBinder::*)()> commands[] = {
        {"Command13", &PlanListsBinder::save},        {"Command14", &PlanListsBinder::load},
        {"Command16", &PlanListsBinder::remove},      {"Command17", &PlanListsBinder::modify},
        {"Command18", &PlanListsBinder::clear},       {"Command19", &PlanListsBinder::insert},
        {"Command20", &PlanListsBinder::add},         {"Command23", &PlanListsBinder::setSpeed},
        {"Command24", &PlanListsBinder::setAltitude},
    };
    for (const auto& [name, handler] : commands) {
        connect(vane.command(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, h = handler] { (this->*h)(); });
    }
    for (const char* name :
         {"Picture16", "Picture17", "Picture20", "Picture23", "Picture24", "Picture25"}) {
        const QString n = QString::fromLatin1(name);
        connect(vane.picture(n), &PictureButton::released, this,
                [this, n](Qt::MouseButton b) { onPicture(n, b); });
    }
    auto* share = new QToolButton(&vane);
    share->setObjectName(QStringLiteral("PlanShareButton"));
    share->setText(QStringLiteral("Share"));
    share->setToolTip(QStringLiteral(
        "Export the plan to FlightGear's route format or GPX, import one, or send the plan to "
        "FlightGear's route manager."));
    share->setPopupMode(QToolButton::InstantPopup);
    const QRect lists = vane.list("WaypLst")->geometry();
    share->setGeometry(QRect(lists.x() + 68, lists.y() - 19, 34, 18));
    share->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    auto* menu = new QMenu(share);
    auto action = [&](const char* name, const QString& text, auto handler) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    action("ExportFlightGearRoute", QStringLiteral("Export as FlightGear route..."),
           [this] { exportPlan(flightplan::ExchangeFormat::FlightGearRoute); });
    action("ExportGpx", QStringLiteral("Export as GPX..."),
           [this] { exportPlan(flightplan::ExchangeFormat::Gpx); });
    action("ImportPlan", QStringLiteral("Import..."), [this] { importPlan(); });
    menu->addSeparator();
    QAction* send = action("SendPlanToFlightGear", QStringLiteral("Send plan to FlightGear"),
                           [this] { sendToFlightGear(); });
    // FlightGear may be chosen after the window was built (the first run's window).
    connect(menu, &QMenu::aboutToShow, this,
            [this, send] { send->setEnabled(ctx_.flightGear != nullptr); });
    share->setMenu(menu);
    vane.autoGenerate = [this] { autoGenerate(); };
    navigation.onPlanChanged = [this] { showPlan(false); };

    // The three lists behave as one table.
    for (const char* name : kLists) {
        QListWidget* list = vane.list(QString::fromLatin1(name));
        connect(list, &QListWidget::currentRowChanged, this, [this](int row) {
            if (!syncing_ && row >= 0) {
                selectRow(row);
            }
        });
        connect(list, &QListWidget::itemClicked, this,
                [this, list](QListWidgetItem* item) { selectRow(list->row(item)); });
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
            for (const char* other : kLists) {
                vane_.list(QString::fromLatin1(other))->verticalScrollBar()->setValue(value);
            }
        });
    }
    vane.list("WaypLst")->viewport()->installEventFilter(this);
    vane.textBox("AltHld")->installEventFilter(this);
    vane.textBox("Speed")->installEventFilter(this);
}

std::string PlanListsBinder::altText() const {
    return vane_.textBox("AltHld")->text().toStdString();
}
std::string PlanListsBinder::spdText() const {
    return vane_.textBox("Speed")->text().toStdString();
}

std::optional<int> PlanListsBinder::selectedRow() const {
    QListWidget* list = vane_.list("WaypLst");
    const int row = list->currentRow();
    if (row < 0 || row >= flight_.plan.PlanCount || !list->item(row)->isSelected()) {
        return std::nullopt;
    }
    return row;
}

void PlanListsBinder::selectRow(int row) {
    syncing_ = true;
    for (const char* name : kLists) {
        QListWidget* list = vane_.list(QString::fromLatin1(name));
        if (row < 0) {
            list->setCurrentRow(-1);
            list->clearSelection();
        } else {
            list->setCurrentRow(row);
        }
    }
    syncing_ = false;
    if (row >= 0 && row < flight_.plan.PlanCount) {
        find_.setFoundText(flight_.plan.WaypLst[static_cast<std::size_t>(row)]);
    }
}

void PlanListsBinder::showPlan(bool keepSelection) {
    const std::optional<int> selected = keepSelection ? selectedRow() : std::nullopt;
    syncing_ = true;
    const std::vector<std::string>* rows[] = {&flight_.plan.WaypLst, &flight_.plan.AltLst,
                                              &flight_.plan.SpdLst};
    for (int k = 0; k < 3; ++k) {
        QListWidget* list = vane_.list(QString::fromLatin1(kLists[k]));
        list->clear();
        for (const std::string& text : *rows[k]) {
            list->addItem(qs(text));
        }
        if (selected && *selected < list->count()) {
            list->setCurrentRow(*selected);
        }
    }
    syncing_ = false;
    ctx_.shared.planCount = flight_.plan.PlanCount;
}

void PlanListsBinder::applyGenerateButton(flightplan::GenerateButton state) {
    if (state != flightplan::GenerateButton::Unchanged) {
        vane_.picture("Picture7")->setEnabled(state == flightplan::GenerateButton::Enable);
    }
}

void PlanListsBinder::onPicture(const QString& name, Qt::MouseButton button) {
    const bool right = button == Qt::RightButton;
    const bool selected = selectedRow().has_value();
    if (name == "Picture25") {
        addFromPicture();
    } else if (name == "Picture16") {
        if (selected) {
            flight_.ends.forgetNames();
        }
        vane_.press(QStringLiteral("Command19"));
    } else if (name == "Picture17") {
        if (right) {
            navigation_.clearActiveWaypoint();
            return;
        }
        if (selected) {
            flight_.ends.forgetNames();
        }
        vane_.press(QStringLiteral("Command18"));
    } else if (name == "Picture20") {
        if (selected) {
            flight_.ends.forgetNames();
        }
        vane_.press(QStringLiteral("Command11"));
    } else if (name == "Picture23") {
        if (right) {
            if (flight_.setSpeed(std::nullopt, spdText())) {
                navigation_.activeTargetsChanged();
            }
        } else {
            vane_.press(QStringLiteral("Command23"));
        }
    } else if (name == "Picture24") {
        if (right) {
            if (flight_.setAltitude(std::nullopt, altText())) {
                navigation_.activeTargetsChanged();
            }
        } else {
            vane_.press(QStringLiteral("Command24"));
        }
    }
}

void PlanListsBinder::addFromPicture() {
    applyGenerateButton(
        flight_.addFromPicture(find_.current(), find_.foundText(), altText(), spdText()));
    showPlan();
}

void PlanListsBinder::add() {
    applyGenerateButton(flight_.add(find_.current(), altText(), spdText()));
    showPlan();
}

void PlanListsBinder::insert() {
    if (flight_.insert(selectedRow(), find_.current(), altText(), spdText())) {
        showPlan();
    }
}

void PlanListsBinder::remove() {
    if (flight_.remove(selectedRow())) {
        showPlan(false);  // the selected entry is gone
    }
}

void PlanListsBinder::clear() {
    if (ctx_.dialogs.message({"Are you sure you want to clear the entire flight plan? All data "
                              "will be lost.",
                              "", platform::Buttons::YesNo, platform::Icon::None, 1}) ==
        platform::Answer::Yes) {
        flight_.clear();
        showPlan();
    }
}

void PlanListsBinder::modify() {
    const auto row = selectedRow();
    if (flight_.modify(row, find_.current(), find_.foundText(), altText(), spdText())) {
        if (row) {
            showPlan();
        } else {
            navigation_.activeTargetsChanged();
        }
    }
}

void PlanListsBinder::setSpeed() {
    const auto row = selectedRow();
    if (flight_.setSpeed(row, spdText())) {
        row ? showPlan() : navigation_.activeTargetsChanged();
    }
}

void PlanListsBinder::setAltitude() {
    const auto row = selectedRow();
    if (flight_.setAltitude(row, altText())) {
        row ? showPlan() : navigation_.activeTargetsChanged();
    }
}

void PlanListsBinder::save() {
    const auto chosen = ctx_.dialogs.saveFile({"Save", ctx_.folders.user, kPlanFilter});
    if (!chosen) {
        return;
    }
    const std::string path = flightplan::withPlanSuffix(*chosen);
    std::string error;
    if (!flightplan::savePlanFile(path, flight_.wholePlan(), &error)) {
        ctx_.dialogs.message({"The flight plan could not be saved. " + error, "Save",
                              platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
}

void PlanListsBinder::load() {
    if (!ctx_.platform.simulatorWindowExists()) {
        // The question names the simulator flown (FS98's own words with an FS98 folder).
        const std::string name = vane_.simulatorName();
        const std::string title = namingSimulator("Load FS98?", name);
        const auto answer = ctx_.dialogs.message(
            {namingSimulator("FS98 does not appear to be active. Would you like to start FS98 "
                             "now? If yes, wait until FS98 finishes loading then try again.",
                             name),
             title, platform::Buttons::YesNo, platform::Icon::None, 2});
        if (answer == platform::Answer::Yes) {
            const std::string folder = vane_.textBox("Text7")->text().toStdString();
            if (!ctx_.platform.startSimulator(folder)) {
                ctx_.dialogs.message(
                    {namingSimulator("FS98", name) + " could not be started from \"" + folder +
                         "\". Please start it yourself, then try again.",
                     title, platform::Buttons::Ok, platform::Icon::Exclamation, 1});
            }
            return;
        }
    }
    const auto path = ctx_.dialogs.openFile({"Open", ctx_.folders.user, kPlanLoadFilter});
    if (path) {
        loadFrom(*path);
    }
}

void PlanListsBinder::loadFrom(const std::string& path) {
    LoadDialogue dialogue(ctx_, vane_, customWeatherProcessing);
    flight_.passed.clear();
    const auto result = flightplan::loadPlanFile(path, flight_.plan, dialogue);
    if (!result.opened) {
        ctx_.dialogs.message({result.error, "Flight Plan " + path + "  -- ERROR",
                              platform::Buttons::Ok, platform::Icon::Exclamation, 1});
        return;
    }
    showPlan();
    if (!result.problem.empty()) {
        ctx_.dialogs.message({result.problem + " The plan was read up to that line.", "Load",
                              platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
    if (result.completed) {
        afterLoad(dialogue.applied);
    }
}

void PlanListsBinder::afterLoad(bool weatherApplied) {
    if (ctx_.settings.QSend == "True") {
        vane_.press(QStringLiteral("Command11"));
        vane_.checkBox("UPDHDG")->setChecked(true);
        vane_.label("Label16")->setText(QStringLiteral("Yes"));
        vane_.checkBox("AutSwitch")->setChecked(true);
        vane_.label("Label17")->setText(QStringLiteral("Yes"));
    }
    if (!weatherApplied && vane_.reloadWaypoints) {
        vane_.reloadWaypoints();
    }
}

void PlanListsBinder::exportPlan(flightplan::ExchangeFormat format) {
    const bool gpx = format == flightplan::ExchangeFormat::Gpx;
    const std::string title = gpx ? "Export as GPX" : "Export as FlightGear route";
    const auto chosen = ctx_.dialogs.saveFile(
        {title, ctx_.folders.user, gpx ? "GPX (*.gpx)|*.gpx" : "FlightGear route (*.xml)|*.xml"});
    if (!chosen) {
        return;
    }
    std::string path = *chosen;
    const auto slash = path.find_last_of("/\\");
    if (path.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos) {
        path += gpx ? ".gpx" : ".xml";
    }
    std::string error;
    const flightplan::PlanStore whole = flight_.wholePlan();
    if (!flightplan::exportPlanFile(path, format, whole, &ctx_.waypoints, &error,
                                    ctx_.settings.heightsInMetres())) {
        ctx_.dialogs.message({"The flight plan could not be exported. " + error, title,
                              platform::Buttons::Ok, platform::Icon::Exclamation, 1});
        return;
    }
    ctx_.dialogs.message(
        {std::to_string(whole.PlanCount) + " entries were written to \"" + path + "\". " +
             (whole.hasCustomWeather
                  ? "The plan's custom weather is not part of this format and was left out."
                  : "Custom weather is not part of this format."),
         title, platform::Buttons::Ok, platform::Icon::Information, 1});
}

void PlanListsBinder::sendToFlightGear() {
    if (ctx_.flightGear == nullptr) {
        return;
    }
    // Loading a route takes FlightGear a moment: wait longer than a navigation read does.
    auto settings = ctx_.flightGear->settings();
    settings.connectTimeout = std::max(settings.connectTimeout, std::chrono::milliseconds(2000));
    settings.replyTimeout = std::max(settings.replyTimeout, std::chrono::milliseconds(2000));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto result =
        flightplan::sendRouteToFlightGear(flight_.wholePlan(), &ctx_.waypoints, settings,
                                          flight_.activeIndex(), ctx_.settings.heightsInMetres());
    QApplication::restoreOverrideCursor();
    ctx_.dialogs.message({result.message, "Send plan to FlightGear", platform::Buttons::Ok,
                          result.ok ? platform::Icon::Information : platform::Icon::Exclamation,
                          1});
}

void PlanListsBinder::importPlan() {
    const auto path = ctx_.dialogs.openFile({"Import", ctx_.folders.user, kImportFilter});
    if (!path) {
        return;
    }
    // Our own plans go through Load, with its custom-weather question.
    class Probe final : public flightplan::PlanLoadHost {
        bool useCustomWeather() override { return false; }
        void processCustomWeather() override {}
    } probe;
    flightplan::ImportDefaults defaults;
    defaults.planInMetres = ctx_.settings.heightsInMetres();
    // The altitude and speed boxes give what the file does not, when they hold one.
    if (const auto a = flightplan::readInt32(altText()); a && *a > 0) {
        defaults.altText = altText();
    }
    if (const auto v = flightplan::readNumber(spdText()); v && *v > 0) {
        defaults.spdText = spdText();
    }
    const auto& store = ctx_.waypoints;
    defaults.findIdent =
        [&store](const std::string& ident) -> std::optional<flightplan::FoundNavaid> {
        for (int k = 1; k <= store.WpsCount; ++k) {
            const auto i = static_cast<std::size_t>(k);
            if (!ident.empty() && store.WpsIdent[i] == ident) {
                return flightplan::FoundNavaid{std::string(store.WpsName[i]),
                                               std::string(store.WpsType[i]), store.WpsLat[i],
                                               store.WpsLon[i]};
            }
        }
        return std::nullopt;
    };
    flightplan::PlanStore imported;
    const auto result = flightplan::importPlanFile(*path, imported, probe, defaults);
    if (result.format == "Zephyra plan") {
        loadFrom(*path);
        return;
    }
    if (!result.ok) {
        ctx_.dialogs.message(
            {result.message, "Import", platform::Buttons::Ok, platform::Icon::Exclamation, 1});
        return;
    }
    flight_.passed.clear();
    flight_.plan = std::move(imported);
    // An OFP's fix winds become the plan's custom weather when the pilot wants them.
    bool weatherApplied = false;
    if (!result.fixWeather.empty() &&
        ctx_.dialogs.message(
            {"The OFP gives the wind at " + std::to_string(result.fixWeather.size()) +
                 " fixes. Attach them to the plan as custom weather? Custom weather overwrites "
                 "all current weather data in the database, including weather loaded from a "
                 "METAR file.",
             "Import", platform::Buttons::YesNo, platform::Icon::Information, 2}) ==
            platform::Answer::Yes) {
        flightplan::attachFixWeather(flight_.plan, result.fixWeather);
        LoadDialogue dialogue(ctx_, vane_, customWeatherProcessing);
        dialogue.processCustomWeather();
        weatherApplied = dialogue.applied;
    }
    showPlan();
    std::string notes;
    for (const auto& n : result.notes) {
        notes += " " + n;
    }
    if (!notes.empty()) {
        ctx_.dialogs.message({std::to_string(flight_.plan.PlanCount) +
                                  " entries were imported from the " + result.format + "." + notes,
                              "Import", platform::Buttons::Ok, platform::Icon::Information, 1});
    }
    afterLoad(weatherApplied);
}

void PlanListsBinder::autoGenerate() {
    const Settings& s = ctx_.settings;
    const flightplan::GenerationSettings settings{static_cast<int>(ctx_.shared.planDistance),
                                                  s.Wayp,
                                                  s.WPC_INC == 1,
                                                  s.WPN_INC == 1,
                                                  s.WPW_INC == 1,
                                                  altText(),
                                                  spdText(),
                                                  s.heightsInMetres()};
    GenerationDialogue host(ctx_, vane_);
    const auto result =
        flightplan::autoGenerate(flight_, ctx_.waypoints, settings, ctx_.dialogs, host);
    if (result == flightplan::GenerationResult::Created ||
        result == flightplan::GenerationResult::Failed) {
        showPlan();
    }
    if (result == flightplan::GenerationResult::Created) {
        vane_.picture("Picture7")->setEnabled(false);
        find_.setFoundText({});
    }
}

bool PlanListsBinder::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        watched == vane_.list("WaypLst")->viewport() &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        selectRow(-1);
        vane_.textBox("AltHld")->setText(QStringLiteral("0"));
        vane_.textBox("Speed")->setText(QStringLiteral("0"));
        return true;
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            box->selectAll();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace zephyra::shell
