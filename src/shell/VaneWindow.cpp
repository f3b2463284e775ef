#include "shell/VaneWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLocale>

#include "platform/Files.h"
#include "shell/BuilderBinder.h"
#include "shell/CompactMode.h"
#include "shell/DeliveryActions.h"
#include "shell/ElidedLabel.h"
#include "shell/HelpTips.h"
#include "shell/Icons.h"
#include "shell/MapBinder.h"
#include "shell/NavigationPanel.h"
#include "shell/NavigationStatusBinder.h"
#include "shell/OnScreen.h"
#include "shell/ParamFile.h"
#include "shell/ParmMaintWindow.h"
#include "shell/PictureActions.h"
#include "shell/PlanControls.h"
#include "shell/PlanTableBinder.h"
#include "shell/StartWindow.h"
#include "shell/Startup.h"
#include "shell/Switches.h"
#include "shell/WeatherActions.h"
#include "simlink/SimulatorChoice.h"

namespace zephyra::shell {

namespace {

const char* const kNoDatabase = "No database currently loaded.";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

const char* const kStatusStyle =
    "QLabel#Label30 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1d2a3c, "
    "stop:1 #121a26); border: 1px solid #0b1018; border-radius: 5px; }"
    "QLabel[role=\"caption\"] { color: #8fa3bf; }"
    "QLabel[role=\"value\"] { color: #9df2b4; font-weight: bold; }"
    "QLabel#Status { color: #ffd27a; }"
    "QLabel#Label15 { color: #e8eef7; }"
    "QLabel#ReportAge { color: #8fa3bf; font-size: 8pt; }"
    "QLineEdit[role=\"value\"] { background: #0d141e; color: #9df2b4; border: 1px solid #34465e;"
    " border-radius: 2px; padding: 0 2px; font-weight: bold; }"
    // Values read before the simulator went away.
    "QLabel[role=\"value\"]:disabled, QLineEdit[role=\"value\"]:disabled { color: #5f6f82; }";

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
    buildControls();
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
    compose();
    makeRoomForReport();

    compact_->setNormalSize();
}

VaneWindow::~VaneWindow() = default;

// ---------------------------------------------------------------------------------------------
// Composition: one small class per concern of the window

void VaneWindow::compose() {
    tips_ = new HelpTips(*label("Label24"), this);
    for (const auto& [name, tip] : HelpTips::table()) {
        tips_->setTip(controls_.count(name) ? controls_[name] : nullptr, tip);
    }
    compact_ = new CompactMode(*this);
    QWidget* surface = label("Label30");
    compact_->watch(surface);
    for (QWidget* w : statusAreaControls()) {
        compact_->watch(w);
        // Read-only fields of the status area are part of its surface, tip included.
        if (tips_->tipFor(w).isEmpty()) {
            tips_->setTip(w, tips_->tipFor(surface));
        }
    }

    switches_ = new Switches(
        {qobject_cast<SwitchBox*>(checkBox("upd_vane")),
         qobject_cast<ClickableImage*>(image("Image7")),
         qobject_cast<ClickableImage*>(image("Image9")), label("Text5"),
         qobject_cast<SwitchBox*>(checkBox("UPDHDG")), label("Label16"),
         qobject_cast<SwitchBox*>(checkBox("AutSwitch")), label("Label17"), label("FWAYP")},
        ctx_.dialogs, this);

    pictures_ = new PictureActions(this);
    bindPictures();
    weatherActions_ = new WeatherActions(ctx_, *this);
    weatherActions_->bindPictures(*pictures_);
    deliveryActions_ = new DeliveryActions(ctx_, *this);
    planControls_ = std::make_unique<PlanControls>(ctx_, *this);
    // The first navigation tick that reads a position starts closest-station tracking.
    planControls_->navigation().onFirstConnection = [this] { deliveryActions_->startTracking(); };
    new MapBinder(ctx_, *this);
    new PlanTableBinder(ctx_, *this);
    new BuilderBinder(ctx_, *this);  // Picture10 and the custom weather of a loaded plan

    tips_->watch(*this);
}

std::vector<QWidget*> VaneWindow::statusAreaControls() const {
    const QRect area = label("Label30")->geometry();
    std::vector<QWidget*> inside;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w != label("Label30") && w->isVisibleTo(this) && area.contains(w->geometry()) &&
            qobject_cast<QAbstractButton*>(w) == nullptr) {
            inside.push_back(w);
        }
    }
    return inside;
}

void VaneWindow::bindPictures() {
    const std::pair<const char*, const char*> commands[] = {
        {"Picture1", "Command14"},  {"Picture3", "Command3"},   {"Picture5", "Command27"},
        {"Picture18", "Command16"}, {"Picture19", "Command13"}, {"Picture21", "Command22"},
        {"Picture22", "Command21"}, {"Picture26", "Command4"},  {"Picture28", "Command15"},
    };
    // Picture16/17/20/23/24/25 do more than press a button: the plan lists bind them.
    for (const auto& [pic, cmd] : commands) {
        pictures_->bindCommand(picture(pic), command(cmd));
    }
    auto call = [](const std::function<void()>& f) {
        return [&f](Qt::MouseButton) {
            if (f) {
                f();
            }
        };
    };
    pictures_->bind(picture("Picture6"), call(showWorldReport));
    pictures_->bind(picture("Picture7"), call(autoGenerate));
    pictures_->bind(picture("Picture9"), call(showQuickLink));
    pictures_->bind(picture("Picture10"), call(showWeatherBuilder));
    pictures_->bind(picture("Picture8"), [this](Qt::MouseButton button) {
        if (button == Qt::RightButton) {
            tips_->toggleEnabled();
        } else {
            press(QStringLiteral("Command9"));
        }
    });
    pictures_->bind(picture("Picture12"), [this](Qt::MouseButton) { switches_->toggleApUpdate(); });
    pictures_->bind(picture("Picture13"),
                    [this](Qt::MouseButton) { switches_->toggleAutoSwitch(); });
    pictures_->bind(picture("Picture14"),
                    [this](Qt::MouseButton) { switches_->toggleSendWeather(); });
    pictures_->bind(picture("Picture15"), [this](Qt::MouseButton) { showNavigationPanel(); });
}

double VaneWindow::twipsPerPixel(const QWidget* widget) {
    return CompactMode::twipsPerPixel(widget);
}
int VaneWindow::widthTwips() const {
    return compact_->widthTwips();
}
int VaneWindow::heightTwips() const {
    return compact_->heightTwips();
}
bool VaneWindow::topmost() const {
    return compact_->topmost();
}
void VaneWindow::toggleCompactMode() {
    compact_->toggle();
}
bool VaneWindow::tipsEnabled() const {
    return tips_->enabled();
}

// ---------------------------------------------------------------------------------------------
// Controls

QLabel* VaneWindow::makeLabel(QWidget* parent, const QString& name, const QString& text,
                              QRect geometry, bool elide) {
    auto* l = elide ? new ElidedLabel(text, parent) : new QLabel(text, parent);
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
}

void VaneWindow::makeRoomForReport() {
    // Below the report the left column moves down. On the right the plan lists grow and what
    // lies under them moves, and the bottom band moves as a whole.
    constexpr int kReportBottom = 96, kRightColumn = 328, kListsBottom = 258;
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QRect g = w->geometry();
        if (w == label("Label30")) {
            g.setHeight(g.height() + kReportRoom);
        } else if (w == label("Label15")) {
            continue;
        } else if (g.left() < kRightColumn) {
            if (g.top() >= kReportBottom) {
                g.translate(0, kReportRoom);
            }
        } else if (g.top() >= kListsBottom) {
            g.translate(0, kReportRoom);
        } else if (g.bottom() >= kListsBottom - 10) {
            g.setHeight(g.height() + kReportRoom);
        }
        w->setGeometry(g);
    }
}

void VaneWindow::buildStatusArea() {
    makeLabel(this, "Label30", QString(), QRect(4, 4, 321, 190));
    auto caption = [&](const QString& text, QRect g) {
        auto* l = new QLabel(text, this);
        l->setProperty("role", "caption");
        l->setGeometry(g);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    // A value that may be long (a name) is elided with the whole of it in the tool tip; it
    // takes the mouse for that tip (a double-click still reaches the compact mode).
    auto value = [&](const QString& name, QRect g, bool mayBeLong = false) {
        auto* l = makeLabel(this, name, QString(), g, mayBeLong);
        l->setProperty("role", "value");
        l->setAttribute(Qt::WA_TransparentForMouseEvents, !mayBeLong);
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
    value("Text3", QRect(58, 32, 260, 16), true);
    // When the station's report was observed, and how long ago (whole in the station's tip).
    auto* age = makeLabel(this, "ReportAge", QString(), QRect(58, 48, 260, 14), true);
    age->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Every line of the station report, each on one line.
    auto* wx = makeLabel(this, "Label15", QString(), QRect(12, 62, 306, 34 + kReportRoom), true);
    wx->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    caption("Waypoint", QRect(12, 98, 52, 16));
    value("FWAYP", QRect(66, 98, 160, 16), true);
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
    picture11_ = new NavigationPanel(this);
    picture11_->setGeometry(QRect(4, 4, 190, 96));
    controls_["Picture11"] = picture11_;
    PanelTitle* title = picture11_->title();
    title->setGeometry(QRect(0, 0, 190, 18));
    controls_["Label37"] = title;
    makeLabel(picture11_, "Label36", QString(), QRect(6, 20, 180, 16));
    makeLabel(picture11_, "Label34", QString(), QRect(6, 36, 180, 16));
    makeLabel(picture11_, "Label35", QString(), QRect(6, 52, 180, 16));
    makeLabel(picture11_, "Label33", QString(), QRect(6, 68, 180, 16));
    picture11_->hide();
}

void VaneWindow::buildSwitches() {
    auto* box = new QFrame(this);
    box->setObjectName(QStringLiteral("SwitchBox"));
    box->setGeometry(QRect(4, 294, 321, 50));
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto switchBox = [this](const QString& name, const QString& text, QRect geometry) {
        auto* c = new SwitchBox(text, this);
        c->setObjectName(name);
        c->setGeometry(geometry);
        controls_[name] = c;
        return c;
    };
    auto image = [this](const QString& name, bool on) {
        auto* i = new ClickableImage(this);
        i->setObjectName(name);
        i->setGeometry(QRect(172, 299, 34, 16));
        i->setPixmap(switchPixmap(on, 34, 16));
        controls_[name] = i;
    };

    makePicture("Picture14", static_cast<int>(IconKind::Toggle), QString(), QRect(8, 298, 26, 18));
    switchBox("upd_vane", "Send Weather to FS", QRect(38, 297, 132, 20))
        ->setToolTip(QStringLiteral("Send weather to flight simulator"));
    image("Image7", false);
    image("Image9", true);
    makeLabel(this, "Text5", QString(), QRect(210, 298, 24, 18));
    makeLabel(this, "Label27", "New clouds", QRect(234, 298, 64, 18));
    makeLabel(this, "Text6", QString(), QRect(302, 298, 22, 18));

    makePicture("Picture12", static_cast<int>(IconKind::Toggle), QString(), QRect(8, 322, 26, 18));
    switchBox("UPDHDG", "A/P Update", QRect(38, 321, 90, 20))
        ->setToolTip(QStringLiteral("Continually send the heading to the autopilot"));
    makeLabel(this, "Label16", QString(), QRect(128, 322, 30, 18));

    makePicture("Picture13", static_cast<int>(IconKind::Toggle), QString(),
                QRect(168, 322, 26, 18));
    switchBox("AutSwitch", "Auto Switch", QRect(198, 321, 90, 20));
    makeLabel(this, "Label17", QString(), QRect(288, 322, 30, 18));

    makeLabel(this, "Label28", QString(), QRect(6, 348, 160, 16));
    makeLabel(this, "Label29", QString(), QRect(168, 348, 158, 16));
    makeLabel(this, "Label26", "FS98 folder", QRect(6, 366, 62, 18));
    auto* folder = makeTextBox(this, "Text7", QRect(68, 365, 257, 20), true);
    folder->setToolTip(QStringLiteral("The simulator's folder (set in the parameter file)"));
    // In the folder's place while FlightGear is the simulator: its address and whether it
    // answers.
    auto* simLink = makeLabel(this, "SimulatorLink", QString(), QRect(70, 366, 255, 18), true);
    simLink->hide();

    makeLabel(this, "Label18", "Weather file", QRect(332, 348, 70, 16));
    auto* fileName = makeLabel(this, "Label19", QString(), QRect(402, 348, 200, 16), true);
    fileName->setToolTip(QString());
    auto* path = makeLabel(this, "all_vane", QString(), QRect(332, 366, 270, 16));
    path->hide();

    // Two lines, wrapped: the longest tip fits whole.
    // Under the winds aloft line (AloftActions).
    auto* tipLine =
        makeLabel(this, "Label24", QString(), QRect(4, 386 + CompactMode::kAloftRow, 598, 26));
    tipLine->setWordWrap(true);
    tipLine->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
    const StartupCheck check = checkStartup(ctx_.launchFolder, ctx_.folders.settings, settings);
    ctx_.settings = settings;
    ctx_.shared = SharedState{};
    ctx_.transition = TransitionSettings{};
    // The launch folder stays current until the parameter file was found there.
    platform::setCurrentDirectory(check.currentFolder);
    if (!check.configured) {
        showConfiguration(check.currentFolder);
        return LoadResult::Configuration;
    }
    setInitialState();
    return LoadResult::MainWindow;
}

void VaneWindow::showConfiguration(const std::string& currentFolder) {
    if (start_) {
        start_->show();
        hide();
        return;
    }
    start_ = std::make_unique<StartWindow>(ctx_, currentFolder, simlink::findFgfs());
    // The choice takes effect at once: the main window loads on the new settings, read from
    // the program folder where they were written.
    start_->onConfigured = [this] {
        ctx_.launchFolder = ctx_.folders.settings;
        if (load() == LoadResult::MainWindow) {
            show();
            if (onConfigured) {
                onConfigured();
            }
        }
    };
    start_->show();
    hide();
}

void VaneWindow::setInitialState() {
    option("optMETAR")->setChecked(true);
    textBox("Text4")->setText(QStringLiteral("Data: METAR"));
    setStatus(QString::fromLatin1(kNoDatabase));
    switches_->setApUpdate(ctx_.settings.AP_Upd != 0);
    if (ctx_.settings.AP_Upd != 0) {
        ctx_.settings.AP_Upd = 1;
    }
    ctx_.shared.planDistance = ctx_.settings.FP_Dist;
    textBox("Text7")->setText(qs(ctx_.settings.Path98));
    textBox("Text7")->setCursorPosition(0);
    showSimulatorInUse(std::nullopt);
    label("Text6")->setText(QStringLiteral("Yes"));
    switches_->setSendWeather(true);
    switches_->setAutoSwitch(false);
}

std::string VaneWindow::simulatorName() const {
    if (ctx_.flightGear != nullptr) {
        return "FlightGear";
    }
    return shell::simulatorName(ctx_.builtIn != nullptr, ctx_.settings.Path98);
}

void VaneWindow::showSimulatorInUse(std::optional<bool> connected) {
    auto* link = label("SimulatorLink");
    const bool flightGear = ctx_.flightGear != nullptr;
    textBox("Text7")->setVisible(!flightGear);
    link->setVisible(flightGear);
    if (!flightGear) {
        label("Label26")->setText(shell::simulatorName(false, ctx_.settings.Path98) == "FS98"
                                      ? QStringLiteral("FS98 folder")
                                      : QStringLiteral("Sim folder"));
        return;
    }
    label("Label26")->setText(QStringLiteral("FlightGear"));
    const auto& fg = ctx_.flightGear->settings();
    const QString where = QString::fromStdString(fg.host) + ':' + QString::number(fg.port);
    if (!connected) {
        link->setText(where);
        link->setStyleSheet(QString());
    } else if (*connected) {
        link->setText(QStringLiteral("connected at ") + where);
        link->setStyleSheet(QStringLiteral("color: #1d7a3a;"));
    } else {
        link->setText(QStringLiteral("not connected (") + where + ')');
        link->setStyleSheet(QStringLiteral("color: #b03030;"));
    }
    link->setToolTip(QStringLiteral("FlightGear's property server (Settings)"));
}

QString clockTimeFormat(const QLocale& locale) {
    // The regional long format without its time zone ("t"): the label has no room for it.
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
        }
        if (!quoted && c == QLatin1Char('t')) {
            continue;
        }
        out += c;
    }
    return out.simplified();
}

void VaneWindow::updateClock() {
    const QDateTime now =
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(ctx_.scheduler.wallClock() * 1000.0));
    const QLocale locale;
    label("Label28")->setText(QStringLiteral("Todays Date: ") +
                              locale.toString(now.date(), QLocale::ShortFormat));
    label("Label29")->setText(QStringLiteral("Current Time: ") +
                              locale.toString(now.time(), clockTimeFormat(locale)));
}

// ---------------------------------------------------------------------------------------------
// Navigation panel

void VaneWindow::showNavigationPanel() {
    if (!ctx_.platform.simulatorWindowExists()) {
        ctx_.dialogs.inform(
            namingSimulator("FS98 not loaded. Please start FS98 and try again.", simulatorName()));
        return;
    }
    label("Label37")->setText(label("FWAYP")->text());
    label("Label36")->setText("Heading: " + label("Hdg")->text());
    label("Label34")->setText("Distance: " + label("Dist")->text());
    label("Label35")->setText("ETE   Hours: " + textBox("HRS")->text());
    label("Label33")->setText("Minutes: " + textBox("MIN")->text());
    picture11_->showIn(simulatorPanelHost ? simulatorPanelHost() : nullptr);
}

// ---------------------------------------------------------------------------------------------
// Settings and exit

void VaneWindow::openSettings() {
    const bool tutorial = tutorVisible && tutorVisible();
    if (ctx_.modalWindows && !tutorial) {
        ParmMaintWindow window(ctx_, *this, this);
        placeOnScreen(window, *this);
        window.exec();
        return;
    }
    auto* window = new ParmMaintWindow(ctx_, *this, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    placeOnScreen(*window, *this);
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
