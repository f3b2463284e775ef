#include "shell/VaneWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QEventLoop>
#include <QLocale>
#include <QMouseEvent>
#include <QScreen>

#include "platform/Files.h"
#include "shell/DeliveryActions.h"
#include "shell/Icons.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/ParamFile.h"
#include "shell/ParmMaintWindow.h"
#include "shell/PlanControls.h"
#include "shell/StartWindow.h"
#include "shell/Startup.h"
#include "shell/WeatherActions.h"

namespace zephyra::shell {

namespace {

const char* const kNoDatabase = "No database currently loaded.";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Tips shown on the help-tip line while tips are enabled.
const std::pair<const char*, const char*> kTips[] = {
    {"AltLst", "The altitude associated with the matching flight plan entry is displayed here."},
    {"SpdLst", "The Speed associated with the matching flight plan entry is displayed here."},
    {"WaypLst", "The entries in your flight plan are displayed here."},
    {"FoundWayp", "After you do a Find command, press Next to display the next match."},
    {"Label32", "After you do a Find command, press Next to display the next match."},
    {"FWP",
     "Enter text here to do a Find for your desired Airport or NAVAID. Use names only, not ICAO "
     "codes. Then press the Find button."},
    {"Label31",
     "Enter text here to do a Find for your desired Airport or NAVAID. Use names only, not ICAO "
     "codes. Then press the Find button."},
    {"Label15",
     "Once you load weather, the current weather at your aircraft location will be displayed. "
     "This window is continually updated."},
    {"Label30",
     "Double click the status area to to reduce the main window size and make it on top. Double "
     "click again to restore defaults."},
    {"Picture1",
     "Press here to Load a flight plan. Flight plans can also contain custom weather created in "
     "Weather Builder."},
    {"Picture2",
     "This is where you load METAR txt files into Zephyra. This will activate all weather "
     "processing."},
    {"Picture4",
     "Click here to use the last weather you loaded from a METAR text file. If the last weather "
     "loaded is recent, this will save time."},
    {"Picture5", "Opens the Settings window."},
    {"Picture6",
     "For world wide weather reports. The most recent weather loaded will apear in the world "
     "weather report window."},
    {"Picture7",
     "Add a departure and arrival airport to the flight plan box above. Verify your database "
     "settings and press to Auto-generate a flight plan."},
    {"Picture8",
     "Brings up the Help window and also gives you access to the Zephyra tutorials. Right "
     "clicking enabled Help Tips."},
    {"Picture9",
     "Quick Link will give you access to stored URLs (Web Sites) that you can easily access "
     "through your default system browser. "},
    {"Picture10",
     "Opens up the Weather Builder. You can add custom weather to your plans using Weather "
     "Builder."},
    {"Picture16", "Press to insert a found NAVAID above the highlighted flight plan entry."},
    {"Picture17",
     "Press to clear the flight plan window. Right click to also clear the current waypoint in "
     "the mains status window."},
    {"Picture18", "Deletes the selected flight plan entry."},
    {"Picture19",
     "Click Save to save the entries in the Flight Plan display box as a new flight plan file "
     "(*.fpl)."},
    {"Picture20",
     "When you press Send, the topmost entry in the flight plan box is sent for processing. It "
     "will appear in the Main Status window."},
    {"Picture23",
     "Sets speed for the selected flight plan entry. If no entry is selected, the Speed will be "
     "sent to the main status window."},
    {"Picture24",
     "Sets the altitude for the selected flight plan entry. If no entry is selected, the "
     "altitude will be sent to the main status window."},
    {"Picture25",
     "Adds a NAVAID to your flight plan from the Find box. Flight plans are always built working "
     "from the top down."},
    {"Picture28", "Exits Zephyra."},
};

// Picture buttons whose release presses a command button. Picture16/17/20/23/24/25 do more
// than that and are bound by PlanListsBinder.
const std::pair<const char*, const char*> kPictureCommands[] = {
    {"Picture1", "Command14"},  {"Picture3", "Command3"},   {"Picture5", "Command27"},
    {"Picture18", "Command16"}, {"Picture19", "Command13"}, {"Picture21", "Command22"},
    {"Picture22", "Command21"}, {"Picture26", "Command4"},  {"Picture28", "Command15"},
};

const char* const kStatusStyle =
    "QLabel#Label30 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1d2a3c, "
    "stop:1 #121a26); border: 1px solid #0b1018; border-radius: 5px; }"
    "QLabel[role=\"caption\"] { color: #8fa3bf; }"
    "QLabel[role=\"value\"] { color: #9df2b4; font-weight: bold; }"
    "QLabel#Status { color: #ffd27a; }"
    "QLabel#Label15 { color: #e8eef7; }"
    "QLineEdit[role=\"value\"] { background: #0d141e; color: #9df2b4; border: 1px solid #34465e;"
    " border-radius: 2px; padding: 0 2px; font-weight: bold; }";

}  // namespace

BusyCursor::BusyCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}
BusyCursor::~BusyCursor() {
    QApplication::restoreOverrideCursor();
}

VaneWindow::VaneWindow(AppContext& context, QWidget* parent) : QWidget(parent), ctx_(context) {
    setObjectName(QStringLiteral("Vane"));
    setWindowTitle(QStringLiteral("Zephyra! 1.1"));
    for (const auto& [name, tip] : kTips) {
        tips_[QString::fromLatin1(name)] = QString::fromLatin1(tip);
    }
    buildControls();
    connectPictures();
    weatherActions_ = new WeatherActions(ctx_, *this);
    deliveryActions_ = new DeliveryActions(ctx_, *this);

    timer6_ = ctx_.scheduler.createTimer([this] { updateClock(); });
    timer1_ = ctx_.scheduler.createTimer([this] {
        if (onTimer1) {
            onTimer1();
        }
    });
    closest_ = ctx_.scheduler.createTimer([this] {
        if (onClosest) {
            onClosest();
        }
    });
    random_ = ctx_.scheduler.createTimer([this] {
        if (onRandomTimer) {
            onRandomTimer();
        }
    });
    planControls_ = std::make_unique<PlanControls>(ctx_, *this);
    // The first navigation tick that reads a position starts closest-station tracking.
    planControls_->navigation().onFirstConnection = [this] { deliveryActions_->startTracking(); };
    const double tpp = twipsPerPixel(this);
    resize(static_cast<int>(kNormalWidth / tpp), static_cast<int>(kNormalHeight / tpp));
}

VaneWindow::~VaneWindow() = default;

double VaneWindow::twipsPerPixel(const QWidget* widget) {
    const double dpi = widget->logicalDpiX() > 0 ? widget->logicalDpiX() : 96.0;
    return 1440.0 / dpi;
}

int VaneWindow::widthTwips() const {
    return static_cast<int>(width() * twipsPerPixel(this));
}
int VaneWindow::heightTwips() const {
    return static_cast<int>(height() * twipsPerPixel(this));
}

// ---------------------------------------------------------------------------------------------
// Controls

QLabel* VaneWindow::makeLabel(QWidget* parent, const QString& name, const QString& text,
                              QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(geometry);
    controls_[name] = l;
    return l;
}

QLineEdit* VaneWindow::makeTextBox(QWidget* parent, const QString& name, QRect geometry,
                                   bool readOnly) {
    auto* t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setGeometry(geometry);
    t->setReadOnly(readOnly);
    controls_[name] = t;
    return t;
}

PictureButton* VaneWindow::makePicture(const QString& name, int icon, const QString& caption,
                                       QRect geometry) {
    const QIcon pictureIcon = icon < 0 ? QIcon() : makeIcon(static_cast<IconKind>(icon));
    auto* p = new PictureButton(name, pictureIcon, caption, this);
    p->setGeometry(geometry);
    controls_[name] = p;
    return p;
}

QPushButton* VaneWindow::makeCommand(const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->hide();
    controls_[name] = b;
    return b;
}

void VaneWindow::buildControls() {
    QFont f = font();
    f.setPointSizeF(8.0);
    setFont(f);
    setStyleSheet(QString::fromLatin1(kStatusStyle));
    buildStatusArea();
    buildPlanArea();
    buildButtons();
    buildSwitches();

    // Hidden command buttons: the picture buttons and other modules press them.
    makeCommand("Command2", "Load METAR");
    makeCommand("Command3", "Update Weather");
    makeCommand("Command4", QString());
    makeCommand("Command5", "Use Last Weather");
    makeCommand("Command6", QString());
    makeCommand("Command9", "Help");
    makeCommand("Command11", "Set Next Waypoint");
    makeCommand("Command13", "Save");
    makeCommand("Command14", "Load");
    makeCommand("Command15", "Exit");
    makeCommand("Command16", "Delete");
    makeCommand("Command17", "Modify");
    makeCommand("Command18", "Clear");
    makeCommand("Command19", "Insert");
    makeCommand("Command20", "Add");
    makeCommand("Command21", "Find");
    makeCommand("Command22", "Next");
    makeCommand("Command23", "Set Speed");
    makeCommand("Command24", "Set Altitude");
    makeCommand("Command27", "Settings");

    connect(command("Command15"), &QPushButton::clicked, this, [this] { close(); });
    connect(command("Command27"), &QPushButton::clicked, this, [this] { openSettings(); });
    connect(command("Command9"), &QPushButton::clicked, this, [this] {
        if (showHelp) {
            showHelp();
        }
    });

    // Tips follow the mouse over the listed controls.
    for (const auto& [name, tip] : tips_) {
        QWidget* w = controls_.count(name) ? controls_[name] : nullptr;
        if (w != nullptr) {
            w->setMouseTracking(true);
            w->installEventFilter(this);
            if (auto* lw = qobject_cast<QListWidget*>(w)) {
                lw->viewport()->setMouseTracking(true);
                lw->viewport()->installEventFilter(this);
            }
        }
    }
}

void VaneWindow::buildStatusArea() {
    auto* surface = makeLabel(this, "Label30", QString(), QRect(4, 4, 321, 190));
    surface->installEventFilter(this);
    auto caption = [&](const QString& text, QRect g) {
        auto* l = new QLabel(text, this);
        l->setProperty("role", "caption");
        l->setGeometry(g);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    auto value = [&](const QString& name, QRect g) {
        auto* l = makeLabel(this, name, QString(), g);
        l->setProperty("role", "value");
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    auto valueBox = [&](const QString& name, QRect g) {
        auto* t = makeTextBox(this, name, g, true);
        t->setProperty("role", "value");
        t->setFocusPolicy(Qt::NoFocus);
        return t;
    };

    caption("Lat", QRect(12, 10, 24, 18));
    valueBox("Text1", QRect(36, 10, 74, 18));
    caption("Lon", QRect(118, 10, 24, 18));
    valueBox("Text2", QRect(142, 10, 80, 18));
    auto* manual = new QPushButton(QStringLiteral("Manual Update"), this);
    manual->setObjectName(QStringLiteral("Update_Vane"));
    manual->setGeometry(QRect(230, 9, 88, 20));
    controls_["Update_Vane"] = manual;

    caption("Station", QRect(12, 32, 44, 16));
    value("Text3", QRect(58, 32, 260, 16));
    auto* wx = makeLabel(this, "Label15", QString(), QRect(12, 50, 306, 46));
    wx->setWordWrap(true);
    wx->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    wx->setMouseTracking(true);

    caption("Waypoint", QRect(12, 98, 52, 16));
    value("FWAYP", QRect(66, 98, 160, 16));
    caption("Freq", QRect(230, 98, 28, 16));
    value("Label23", QRect(260, 98, 58, 16));

    caption("Hdg", QRect(12, 118, 24, 16));
    value("Hdg", QRect(38, 118, 36, 16));
    caption("Dist", QRect(80, 118, 26, 16));
    value("Dist", QRect(108, 118, 42, 16));
    caption("ETE", QRect(156, 118, 24, 16));
    valueBox("HRS", QRect(182, 117, 26, 18));
    caption(":", QRect(210, 118, 6, 16));
    valueBox("MIN", QRect(218, 117, 26, 18));
    caption("GS", QRect(252, 118, 18, 16));
    value("TAS", QRect(272, 118, 46, 16));

    caption("Wind", QRect(12, 138, 30, 16));
    value("WindDir", QRect(44, 138, 28, 16));
    caption("/", QRect(72, 138, 8, 16));
    value("WindSpd", QRect(80, 138, 28, 16));
    caption("Alt", QRect(112, 138, 20, 16));
    value("AltHold", QRect(134, 138, 50, 16));
    caption("Spd", QRect(188, 138, 22, 16));
    value("SpdHold", QRect(212, 138, 40, 16));
    caption("Var", QRect(256, 138, 22, 16));
    valueBox("altbrng", QRect(280, 137, 38, 18));

    makeLabel(this, "Status", QString(), QRect(12, 164, 306, 20));

    // Marker and memory boxes other modules keep state in; the user never edits them.
    auto* last = makeTextBox(this, "LastStation", QRect(0, 0, 40, 18), true);
    last->hide();
    auto* marker = makeTextBox(this, "Text8", QRect(0, 0, 40, 18), true);
    marker->setText(QStringLiteral("0"));
    marker->hide();
}

void VaneWindow::buildPlanArea() {
    const int x = 332;
    makeLabel(this, "Label31", "Find", QRect(x, 6, 34, 20));
    auto* fwp = makeTextBox(this, "FWP", QRect(x + 36, 5, 144, 22), false);
    fwp->setPlaceholderText(QStringLiteral("Airport or NAVAID name"));
    makePicture("Picture22", static_cast<int>(IconKind::Find), QString(),
                QRect(x + 184, 4, 42, 24));
    makePicture("Picture21", static_cast<int>(IconKind::Next), QString(),
                QRect(x + 228, 4, 42, 24));
    makeLabel(this, "Label32", "Found", QRect(x, 34, 34, 20));
    makeTextBox(this, "FoundWayp", QRect(x + 36, 33, 234, 22), true);

    auto* alt = makeTextBox(this, "AltHld", QRect(x, 61, 76, 22), false);
    alt->setPlaceholderText(QStringLiteral("Altitude"));
    makePicture("Picture24", -1, "Set Alt", QRect(x + 78, 60, 56, 24));
    auto* spd = makeTextBox(this, "Speed", QRect(x + 138, 61, 74, 22), false);
    spd->setPlaceholderText(QStringLiteral("Speed"));
    makePicture("Picture23", -1, "Set Spd", QRect(x + 214, 60, 56, 24));

    auto header = [&](const QString& text, QRect g) {
        auto* l = new QLabel(text, this);
        l->setGeometry(g);
        QFont hf = l->font();
        hf.setBold(true);
        l->setFont(hf);
    };
    header("Flight plan", QRect(x, 90, 150, 14));
    header("Altitude", QRect(x + 154, 90, 56, 14));
    header("Speed", QRect(x + 212, 90, 58, 14));
    auto makeList = [&](const QString& name, QRect g) {
        auto* l = new QListWidget(this);
        l->setObjectName(name);
        l->setGeometry(g);
        controls_[name] = l;
        return l;
    };
    makeList("WaypLst", QRect(x, 106, 152, 150));
    makeList("AltLst", QRect(x + 154, 106, 56, 150));
    makeList("SpdLst", QRect(x + 212, 106, 58, 150));
}

void VaneWindow::buildButtons() {
    // Weather row under the status area.
    const struct {
        const char* name;
        IconKind icon;
        const char* caption;
    } weather[] = {
        {"Picture2", IconKind::LoadWeather, "METAR"},
        {"Picture3", IconKind::UpdateWeather, "Update"},
        {"Picture4", IconKind::LastWeather, "Last Wx"},
        {"Picture26", IconKind::StationReport, "Report"},
        {"Picture6", IconKind::WorldReport, "World"},
        {"Picture10", IconKind::Builder, "Builder"},
    };
    int i = 0;
    for (const auto& b : weather) {
        makePicture(b.name, static_cast<int>(b.icon), b.caption, QRect(4 + i * 54, 198, 51, 44));
        ++i;
    }
    makePicture("Picture5", static_cast<int>(IconKind::Settings), "Settings",
                QRect(4, 246, 51, 44));
    makePicture("Picture8", static_cast<int>(IconKind::Help), "Help", QRect(58, 246, 51, 44));
    makePicture("Picture9", static_cast<int>(IconKind::QuickLink), "Links",
                QRect(112, 246, 51, 44));

    auto* frame = new QGroupBox(QStringLiteral("Data Format"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(QRect(168, 244, 157, 46));
    controls_["Frame1"] = frame;
    auto* metar = new QRadioButton(QStringLiteral("METAR"), frame);
    metar->setObjectName(QStringLiteral("optMETAR"));
    metar->setGeometry(QRect(8, 16, 62, 20));
    controls_["optMETAR"] = metar;
    auto* sa = new QRadioButton(QStringLiteral("SA"), frame);
    sa->setObjectName(QStringLiteral("optSA"));
    sa->setGeometry(QRect(70, 16, 40, 20));
    controls_["optSA"] = sa;
    auto* dataText = makeTextBox(frame, "Text4", QRect(0, 0, 10, 10), true);
    dataText->hide();

    // Plan rows under the lists.
    const struct {
        const char* name;
        IconKind icon;
        const char* caption;
    } plan[] = {
        {"Picture25", IconKind::Add, "Add"},       {"Picture16", IconKind::Insert, "Insert"},
        {"Picture18", IconKind::Delete, "Delete"}, {"Picture17", IconKind::Clear, "Clear"},
        {"Picture7", IconKind::AutoPlan, "Auto"},  {"Picture1", IconKind::LoadPlan, "Load"},
        {"Picture19", IconKind::SavePlan, "Save"}, {"Picture20", IconKind::Send, "Send"},
        {"Picture15", IconKind::Panel, "Panel"},   {"Picture28", IconKind::Exit, "Exit"},
    };
    i = 0;
    for (const auto& b : plan) {
        const int row = i / 5;
        const int col = i % 5;
        makePicture(b.name, static_cast<int>(b.icon), b.caption,
                    QRect(332 + col * 54, 262 + row * 48, 52, 44));
        ++i;
    }
    picture("Picture7")->setEnabled(false);

    // The navigation panel: shown inside the simulator's window on request.
    picture11_ = new QFrame(this);
    picture11_->setObjectName(QStringLiteral("Picture11"));
    picture11_->setGeometry(QRect(4, 4, 190, 96));
    picture11_->setFrameStyle(QFrame::Box | QFrame::Plain);
    picture11_->setStyleSheet(
        "QFrame#Picture11 { background: #101822; border: 1px solid #5b6f8c; }"
        "QFrame#Picture11 QLabel { color: #9df2b4; }"
        "QLabel#Label37 { background: #2a3b55; color: #ffffff; font-weight: bold; }");
    controls_["Picture11"] = picture11_;
    auto* title = makeLabel(picture11_, "Label37", QString(), QRect(0, 0, 190, 18));
    title->setCursor(Qt::SizeAllCursor);
    title->installEventFilter(this);
    makeLabel(picture11_, "Label36", QString(), QRect(6, 20, 180, 16));
    makeLabel(picture11_, "Label34", QString(), QRect(6, 36, 180, 16));
    makeLabel(picture11_, "Label35", QString(), QRect(6, 52, 180, 16));
    makeLabel(picture11_, "Label33", QString(), QRect(6, 68, 180, 16));
    picture11_->hide();
}

void VaneWindow::buildSwitches() {
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("SwitchBox"));
    box->setGeometry(QRect(4, 294, 321, 62));
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);

    makePicture("Picture14", static_cast<int>(IconKind::Toggle), QString(), QRect(8, 298, 26, 18));
    auto* send = new QCheckBox(QStringLiteral("Send Weather to FS"), this);
    send->setObjectName(QStringLiteral("upd_vane"));
    send->setToolTip(QStringLiteral("Send weather to flight simulator"));
    send->setGeometry(QRect(38, 297, 132, 20));
    controls_["upd_vane"] = send;
    auto* off = makeLabel(this, "Image7", QString(), QRect(172, 299, 34, 16));
    off->setPixmap(switchPixmap(false, 34, 16));
    auto* on = makeLabel(this, "Image9", QString(), QRect(172, 299, 34, 16));
    on->setPixmap(switchPixmap(true, 34, 16));
    off->installEventFilter(this);
    on->installEventFilter(this);
    makeLabel(this, "Text5", QString(), QRect(210, 298, 24, 18));
    makeLabel(this, "Label27", "New clouds", QRect(234, 298, 64, 18));
    makeLabel(this, "Text6", QString(), QRect(302, 298, 22, 18));

    makePicture("Picture12", static_cast<int>(IconKind::Toggle), QString(), QRect(8, 322, 26, 18));
    auto* ap = new QCheckBox(QStringLiteral("A/P Update"), this);
    ap->setObjectName(QStringLiteral("UPDHDG"));
    ap->setToolTip(QStringLiteral("Continually send the heading to the autopilot"));
    ap->setGeometry(QRect(38, 321, 90, 20));
    controls_["UPDHDG"] = ap;
    makeLabel(this, "Label16", QString(), QRect(128, 322, 30, 18));

    makePicture("Picture13", static_cast<int>(IconKind::Toggle), QString(),
                QRect(168, 322, 26, 18));
    auto* sw = new QCheckBox(QStringLiteral("Auto Switch"), this);
    sw->setObjectName(QStringLiteral("AutSwitch"));
    sw->setGeometry(QRect(198, 321, 90, 20));
    controls_["AutSwitch"] = sw;
    makeLabel(this, "Label17", QString(), QRect(288, 322, 30, 18));

    // The check boxes answer a click like their picture buttons.
    for (QCheckBox* c : {send, ap, sw}) {
        c->installEventFilter(this);
    }

    makeLabel(this, "Label28", QString(), QRect(6, 360, 160, 16));
    makeLabel(this, "Label29", QString(), QRect(168, 360, 158, 16));
    makeLabel(this, "Label26", "FS98 folder", QRect(6, 378, 62, 18));
    auto* folder = makeTextBox(this, "Text7", QRect(68, 377, 257, 20), true);
    folder->setToolTip(QStringLiteral("The simulator's folder (set in the parameter file)"));

    makeLabel(this, "Label18", "Weather file", QRect(332, 360, 70, 16));
    auto* fileName = makeLabel(this, "Label19", QString(), QRect(402, 360, 200, 16));
    fileName->setToolTip(QString());
    auto* path = makeLabel(this, "all_vane", QString(), QRect(332, 378, 270, 16));
    path->hide();

    auto* tipLine = makeLabel(this, "Label24", QString(), QRect(4, 398, 598, 14));
    QFont tf = tipLine->font();
    tf.setItalic(true);
    tipLine->setFont(tf);
    tipLine->setStyleSheet(QStringLiteral("color: #24507a;"));
}

QLabel* VaneWindow::label(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QLabel*>(it->second);
}
QLineEdit* VaneWindow::textBox(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QLineEdit*>(it->second);
}
QPushButton* VaneWindow::command(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QPushButton*>(it->second);
}
PictureButton* VaneWindow::picture(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<PictureButton*>(it->second);
}
QCheckBox* VaneWindow::checkBox(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QCheckBox*>(it->second);
}
QListWidget* VaneWindow::list(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QListWidget*>(it->second);
}
QRadioButton* VaneWindow::option(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : qobject_cast<QRadioButton*>(it->second);
}
QWidget* VaneWindow::image(const QString& name) const {
    auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : it->second;
}

void VaneWindow::press(const QString& commandName) {
    if (QPushButton* b = command(commandName)) {
        b->click();
    }
}

void VaneWindow::setStatus(const QString& text) {
    label("Status")->setText(text);
}
QString VaneWindow::status() const {
    return label("Status")->text();
}

// ---------------------------------------------------------------------------------------------
// Load step and initial state

VaneWindow::LoadResult VaneWindow::load() {
    updateClock();
    timer6_->setInterval(1000);

    Settings settings;
    const StartupCheck check = checkStartup(ctx_.launchFolder, ctx_.programFolder, settings);
    ctx_.settings = settings;
    ctx_.shared = SharedState{};
    ctx_.transition = TransitionSettings{};
    platform::setCurrentDirectory(ctx_.programFolder);
    if (!check.configured) {
        showConfiguration();
        return LoadResult::Configuration;
    }
    setInitialState();
    return LoadResult::MainWindow;
}

void VaneWindow::showConfiguration() {
    start_ = std::make_unique<StartWindow>(ctx_);
    start_->show();
    hide();
}

void VaneWindow::setInitialState() {
    option("optMETAR")->setChecked(true);
    textBox("Text4")->setText(QStringLiteral("Data: METAR"));
    setStatus(QString::fromLatin1(kNoDatabase));
    if (ctx_.settings.AP_Upd == 0) {
        checkBox("UPDHDG")->setChecked(false);
        label("Label16")->setText(QStringLiteral("No"));
    } else {
        checkBox("UPDHDG")->setChecked(true);
        label("Label16")->setText(QStringLiteral("Yes"));
        ctx_.settings.AP_Upd = 1;
    }
    ctx_.shared.planDistance = ctx_.settings.FP_Dist;
    textBox("Text7")->setText(qs(ctx_.settings.Path98));
    textBox("Text7")->setCursorPosition(0);
    label("Text6")->setText(QStringLiteral("Yes"));
    checkBox("upd_vane")->setChecked(true);
    label("Text5")->setText(QStringLiteral("Yes"));
    image("Image7")->hide();
    image("Image9")->show();
    checkBox("AutSwitch")->setChecked(false);
    label("Label17")->setText(QStringLiteral("No"));
}

void VaneWindow::updateClock() {
    const QDateTime now =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ctx_.scheduler.wallClock() * 1000.0));
    const QLocale locale = QLocale::system();
    label("Label28")->setText(QStringLiteral("Todays Date: ") +
                              locale.toString(now.date(), QLocale::ShortFormat));
    label("Label29")->setText(QStringLiteral("Current Time: ") +
                              locale.toString(now.time(), QLocale::LongFormat));
}

// ---------------------------------------------------------------------------------------------
// Picture buttons

void VaneWindow::connectPictures() {
    for (auto& [name, widget] : controls_) {
        if (auto* p = qobject_cast<PictureButton*>(widget)) {
            const QString n = name;
            connect(p, &PictureButton::released, this,
                    [this, n](Qt::MouseButton b) { onPictureReleased(n, b); });
            connect(p, &PictureButton::hovered, this, [this, n] {
                auto it = tips_.find(n);
                if (it != tips_.end()) {
                    setTipLine(it->second);
                }
            });
        }
    }
}

void VaneWindow::onPictureReleased(const QString& name, Qt::MouseButton button) {
    for (const auto& [pic, cmd] : kPictureCommands) {
        if (name == QLatin1String(pic)) {
            press(QString::fromLatin1(cmd));
            return;
        }
    }
    if (name == "Picture2") {
        if (checkSimulatorForLoad(QStringLiteral(
                "FS98 does not appear to be active. Would you like to start FS98 now? If yes, "
                "wait until FS98 finishes loading then press Load METAR again."))) {
            press(QStringLiteral("Command2"));
        }
    } else if (name == "Picture4") {
        const auto answer =
            ctx_.dialogs.message({"Are you sure you want to use the last weather loaded?",
                                  "Proceed?", platform::Buttons::YesNo, platform::Icon::None, 1});
        if (answer == platform::Answer::No) {
            return;
        }
        if (checkSimulatorForLoad(QStringLiteral(
                "FS98 does not appear to be active. Would you like to start FS98 now? If yes, "
                "wait until FS98 finishes loading then press Load METAR again."))) {
            press(QStringLiteral("Command5"));
        }
    } else if (name == "Picture6") {
        if (showWorldReport) {
            showWorldReport();
        }
    } else if (name == "Picture7") {
        if (autoGenerate) {
            autoGenerate();
        }
    } else if (name == "Picture8") {
        if (button == Qt::RightButton) {
            if (tipsEnabled_ == 0) {
                tipsEnabled_ = 1;
            } else {
                tipsEnabled_ = 0;
                setTipLine(QString());
            }
        } else {
            press(QStringLiteral("Command9"));
        }
    } else if (name == "Picture9") {
        if (showQuickLink) {
            showQuickLink();
        }
    } else if (name == "Picture10") {
        if (showWeatherBuilder) {
            showWeatherBuilder();
        }
    } else if (name == "Picture12") {
        toggleApUpdate();
    } else if (name == "Picture13") {
        toggleAutoSwitch();
    } else if (name == "Picture14") {
        toggleSendWeatherFromPicture();
    } else if (name == "Picture15") {
        showNavigationPanel();
    }
}

bool VaneWindow::checkSimulatorForLoad(const QString& question) {
    if (ctx_.platform.simulatorWindowExists()) {
        return true;
    }
    const auto answer = ctx_.dialogs.message(
        {question.toStdString(), "Load FS98?", platform::Buttons::YesNo, platform::Icon::None, 2});
    if (answer == platform::Answer::Yes) {
        const std::string folder = textBox("Text7")->text().toStdString();
        if (!ctx_.platform.startSimulator(folder)) {
            ctx_.dialogs.message({"FS98 could not be started from \"" + folder +
                                      "\". Please start it yourself, then try again.",
                                  "Load FS98?", platform::Buttons::Ok, platform::Icon::Exclamation,
                                  1});
        }
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Switches

void VaneWindow::setSendWeatherFromImage(bool on) {
    image("Image7")->setVisible(!on);
    image("Image9")->setVisible(on);
    checkBox("upd_vane")->setChecked(on);
    label("Text5")->setText(on ? QStringLiteral("Yes") : QStringLiteral("No"));
}

void VaneWindow::toggleSendWeatherFromPicture() {
    QCheckBox* send = checkBox("upd_vane");
    if (send->isChecked()) {
        label("Text5")->setText(QStringLiteral("No"));
        send->setChecked(false);
    } else {
        send->setChecked(true);
        label("Text5")->setText(QStringLiteral("Yes"));
    }
}

void VaneWindow::toggleApUpdate() {
    if (label("FWAYP")->text().isEmpty()) {
        ctx_.dialogs.inform("Must load and send flight plan first!");
        return;
    }
    if (label("Label16")->text() != QLatin1String("No")) {
        checkBox("UPDHDG")->setChecked(false);
        label("Label16")->setText(QStringLiteral("No"));
    } else {
        checkBox("UPDHDG")->setChecked(true);
        label("Label16")->setText(QStringLiteral("Yes"));
    }
}

void VaneWindow::toggleAutoSwitch() {
    if (label("Label17")->text() != QLatin1String("No")) {
        checkBox("AutSwitch")->setChecked(false);
        label("Label17")->setText(QStringLiteral("No"));
    } else {
        checkBox("AutSwitch")->setChecked(true);
        label("Label17")->setText(QStringLiteral("Yes"));
    }
}

// ---------------------------------------------------------------------------------------------
// Help tips, compact mode, navigation panel

void VaneWindow::setTipLine(const QString& text) {
    QLabel* line = label("Label24");
    line->setText(text);
    if (tipsEnabled_ == 0 && !line->text().isEmpty()) {
        line->setText(QString());
    }
}

QString VaneWindow::tipFor(const QString& controlName) const {
    auto it = tips_.find(controlName);
    return it == tips_.end() ? QString() : it->second;
}

bool VaneWindow::topmost() const {
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void VaneWindow::toggleCompactMode() {
    const double tpp = twipsPerPixel(this);
    const bool wasVisible = isVisible();
    if (widthTwips() > kCompactThreshold) {
        resize(static_cast<int>(kCompactWidth / tpp), static_cast<int>(kCompactHeight / tpp));
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    } else {
        resize(static_cast<int>(kNormalWidth / tpp), static_cast<int>(kNormalHeight / tpp));
        setWindowFlag(Qt::WindowStaysOnTopHint, false);
    }
    // Changing the window flags hides a window; bring it back where it was.
    if (wasVisible) {
        show();
    }
}

void VaneWindow::showNavigationPanel() {
    if (!ctx_.platform.simulatorWindowExists()) {
        ctx_.dialogs.inform("FS98 not loaded. Please start FS98 and try again.");
        return;
    }
    label("Label37")->setText(label("FWAYP")->text());
    label("Label36")->setText("Heading: " + label("Hdg")->text());
    label("Label34")->setText("Distance: " + label("Dist")->text());
    label("Label35")->setText("ETE   Hours: " + textBox("HRS")->text());
    label("Label33")->setText("Minutes: " + textBox("MIN")->text());
    QWidget* host = simulatorPanelHost ? simulatorPanelHost() : nullptr;
    if (host != nullptr && picture11_->parentWidget() != host) {
        picture11_->setParent(host);
        picture11_->move(8, 8);
    }
    picture11_->show();
    picture11_->raise();
}

bool VaneWindow::eventFilter(QObject* watched, QEvent* event) {
    const QString name = watched->objectName();
    const QEvent::Type type = event->type();

    if (type == QEvent::MouseMove || type == QEvent::HoverMove) {
        QString key = name;
        if (auto* viewport = qobject_cast<QWidget*>(watched);
            viewport != nullptr && key == QLatin1String("qt_scrollarea_viewport") &&
            viewport->parentWidget() != nullptr) {
            key = viewport->parentWidget()->objectName();
        }
        auto it = tips_.find(key);
        if (it != tips_.end()) {
            setTipLine(it->second);
        }
    }

    if (name == QLatin1String("Label30") && type == QEvent::MouseButtonDblClick) {
        toggleCompactMode();
        return true;
    }
    if ((name == QLatin1String("Image7") || name == QLatin1String("Image9")) &&
        type == QEvent::MouseButtonRelease) {
        setSendWeatherFromImage(name == QLatin1String("Image7"));
        return true;
    }
    if (name == QLatin1String("upd_vane") || name == QLatin1String("UPDHDG") ||
        name == QLatin1String("AutSwitch")) {
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            if (name == QLatin1String("upd_vane")) {
                toggleSendWeatherFromPicture();
            } else if (name == QLatin1String("UPDHDG")) {
                toggleApUpdate();
            } else {
                toggleAutoSwitch();
            }
            return true;
        }
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
            return true;
        }
    }
    if (name == QLatin1String("Label37")) {
        auto* me = static_cast<QMouseEvent*>(event);
        if (type == QEvent::MouseButtonPress) {
            panelDragOrigin_ = me->position().toPoint();
            panelDragging_ = true;
            return true;
        }
        if (type == QEvent::MouseMove && panelDragging_) {
            const QPoint d = me->position().toPoint() - panelDragOrigin_;
            picture11_->move(picture11_->pos() + d);
            return true;
        }
        if (type == QEvent::MouseButtonRelease) {
            panelDragging_ = false;
            if (me->button() == Qt::RightButton) {
                picture11_->hide();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// Settings and exit

void VaneWindow::openSettings() {
    const bool tutorial = tutorVisible && tutorVisible();
    if (ctx_.modalWindows && !tutorial) {
        ParmMaintWindow window(ctx_, *this, this);
        window.exec();
        return;
    }
    auto* window = new ParmMaintWindow(ctx_, *this, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
}

void VaneWindow::closeEvent(QCloseEvent* event) {
    const auto answer = ctx_.dialogs.message({"Are you sure you want to exit?", "Proceed?",
                                              platform::Buttons::YesNo, platform::Icon::None, 1});
    if (answer == platform::Answer::No) {
        event->ignore();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    event->accept();
    exitConfirmed_ = true;
    if (ctx_.quit) {
        ctx_.quit();
    }
}

}  // namespace zephyra::shell
