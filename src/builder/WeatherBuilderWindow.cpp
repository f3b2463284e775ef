#include "builder/WeatherBuilderWindow.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/Dialogs.h"

namespace zephyra::builder {

namespace {

constexpr const char* kTitle = "Weather Builder";
const char* const kListNames[] = {"FltPlnLst", "AltLst", "SpdLst"};
const char* const kHeightBoxes[] = {"Cld1B", "Cld1T", "Cld2B", "Cld2T", "SWTop"};
const char* const kHeightLabels[3][2] = {{"Base1", "Top1"}, {"Base2", "Top2"}, {"BaseW", "TopW"}};
constexpr const char* kInstructions =
    "Load a flight plan, select a waypoint, enter the weather and press Attach. Save the plan, "
    "then load it in the main window and answer Yes to fly with its weather.";

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string ss(const QString& s) {
    return s.toStdString();
}

// Runs an action when a control gets the keyboard focus.
class FocusAction final : public QObject {
  public:
    FocusAction(QWidget* target, std::function<void()> action)
        : QObject(target), action_(std::move(action)) {
        target->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            action_();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> action_;
};

QComboBox* combo(QWidget* parent, const char* name, const auto& texts) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    for (const char* t : texts) {
        c->addItem(QString::fromLatin1(t));
    }
    return c;
}

QLineEdit* box(QWidget* parent, const char* name) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(90);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

}  // namespace

WeatherBuilderWindow::WeatherBuilderWindow(platform::Dialogs& dialogs,
                                           std::function<std::string()> uom, std::string folder,
                                           QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), uom_(std::move(uom)), folder_(std::move(folder)) {
    setObjectName(QStringLiteral("METGEN"));
    setWindowTitle(QString::fromLatin1(kTitle));
    build();
    // Opening: no densities, the cloud 1 heights shown.
    control<QComboBox>("Cld1Cmb")->setCurrentIndex(0);
    control<QComboBox>("Cld2Cmb")->setCurrentIndex(0);
    builder_.planChangedFlag = 0;
    selectLayer(0);
}

void WeatherBuilderWindow::build() {
    auto* top = new QHBoxLayout(this);

    // The plan: three lists, each under its own column title, scrolling and selecting
    // together.
    auto* planBox = new QVBoxLayout;
    auto* listsGrid = new QGridLayout;
    listsGrid->setHorizontalSpacing(4);
    const char* const titles[] = {"Waypoint", "Altitude", "Speed"};
    for (int i = 0; i < 3; ++i) {
        auto* title = new QLabel(QString::fromLatin1(titles[i]), this);
        title->setObjectName(QStringLiteral("ListHeader%1").arg(i));
        // Over the start of the list's texts, which are left-aligned.
        title->setIndent(4);
        listsGrid->addWidget(title, 0, i);
        lists_[i] = new QListWidget(this);
        lists_[i]->setObjectName(QString::fromLatin1(kListNames[i]));
        listsGrid->addWidget(lists_[i], 1, i);
        listsGrid->setColumnStretch(i, i == 0 ? 4 : 1);
        connect(lists_[i], &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0) {
                selectRow(row);
            }
        });
        connect(lists_[i]->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            for (auto* l : lists_) {
                l->verticalScrollBar()->setValue(v);
            }
        });
    }
    // Altitudes and speeds read as columns of numbers.
    for (int i = 1; i < 3; ++i) {
        lists_[i]->setMinimumWidth(60);
    }
    planBox->addLayout(listsGrid);
    auto* msl = new QLabel(QString::fromLatin1(kBuilderLabel), this);
    msl->setObjectName(QStringLiteral("Label1"));
    planBox->addWidget(msl);
    auto* instructionsLabel = new QLabel(QStringLiteral("Instructions"), this);
    instructionsLabel->setObjectName(QStringLiteral("Label2"));
    planBox->addWidget(instructionsLabel);
    auto* instructions = new QLabel(QString::fromLatin1(kInstructions), this);
    instructions->setObjectName(QStringLiteral("Text2"));
    instructions->setWordWrap(true);
    instructions->setFrameShape(QFrame::StyledPanel);
    instructions->setMargin(4);
    planBox->addWidget(instructions);
    top->addLayout(planBox, 3);

    // The weather.
    auto* grid = new QGridLayout;
    int r = 0;
    grid->addWidget(new QLabel(QStringLiteral("Cloud 1"), this), r, 0);
    auto* cld1 = combo(this, "Cld1Cmb", kDensityTexts);
    grid->addWidget(cld1, r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Cloud 2"), this), r, 0);
    auto* cld2 = combo(this, "Cld2Cmb", kDensityTexts);
    grid->addWidget(cld2, r++, 1);

    auto* layers = new QHBoxLayout;
    auto* group = new QButtonGroup(this);
    const char* layerTexts[] = {"Cloud 1", "Cloud 2", "Wind"};
    for (int i = 0; i < 3; ++i) {
        auto* o = new QRadioButton(QString::fromLatin1(layerTexts[i]), this);
        o->setObjectName(QStringLiteral("OptCB%1").arg(i));
        group->addButton(o, i);
        layers->addWidget(o);
    }
    connect(group, &QButtonGroup::idClicked, this, [this](int i) { selectLayer(i); });
    grid->addLayout(layers, r++, 0, 1, 2);

    heightLabels_[0] = new QLabel(this);
    heightLabels_[0]->setObjectName(QStringLiteral("BaseLabel"));
    heightLabels_[1] = new QLabel(this);
    heightLabels_[1]->setObjectName(QStringLiteral("TopLabel"));
    auto* bases = new QHBoxLayout;
    auto* tops = new QHBoxLayout;
    for (const char* name : kHeightBoxes) {
        auto* e = box(this, name);
        const std::string n = name;
        (n.back() == 'B' ? bases : tops)->addWidget(e);
        if (n == "SWTop") {
            // The wind layer has no base box: its base is the ground.
            auto* ground = new QLabel(QStringLiteral("surface"), this);
            ground->setObjectName(QStringLiteral("SWBase"));
            // As tall as the boxes it stands in for, so no row moves when the layer changes.
            ground->setMinimumHeight(e->sizeHint().height());
            bases->addWidget(ground);
        }
    }
    grid->addWidget(heightLabels_[0], r, 0);
    grid->addLayout(bases, r++, 1);
    grid->addWidget(heightLabels_[1], r, 0);
    grid->addLayout(tops, r++, 1);

    grid->addWidget(new QLabel(QStringLiteral("Wind direction"), this), r, 0);
    auto* dir = box(this, "W0DirTxt");
    grid->addWidget(dir, r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Wind speed"), this), r, 0);
    auto* spd = box(this, "W0SpdTxt");
    grid->addWidget(spd, r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Visibility"), this), r, 0);
    grid->addWidget(combo(this, "VisiCmb", kVisibilityTexts), r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Precipitation"), this), r, 0);
    grid->addWidget(combo(this, "PrecipCmb", kPrecipitationTexts), r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Temperature"), this), r, 0);
    grid->addWidget(box(this, "TempTxt"), r++, 1);
    grid->addWidget(new QLabel(QStringLiteral("Barometer"), this), r, 0);
    grid->addWidget(box(this, "BaroTxt"), r++, 1);
    auto* check = new QCheckBox(QStringLiteral("Show Attached Weather on Selection"), this);
    check->setObjectName(QStringLiteral("Check1"));
    grid->addWidget(check, r++, 0, 1, 2);

    auto* attachButton = button(this, "Command14", "Attach to Flight Plan Selection");
    grid->addWidget(attachButton, r++, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    auto* loadButton = button(this, "Command6", "Load");
    auto* saveButton = button(this, "Command5", "Save");
    auto* exitButton = button(this, "Command15", "Exit");
    auto* helpButton = button(this, "Command1", "Help");
    for (auto* b : {loadButton, saveButton, exitButton, helpButton}) {
        buttons->addWidget(b);
    }
    grid->addLayout(buttons, r++, 0, 1, 2);
    grid->setRowStretch(r, 1);
    top->addLayout(grid, 2);

    connect(attachButton, &QPushButton::clicked, this, [this] { attach(); });
    connect(loadButton, &QPushButton::clicked, this, [this] { load(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { exitBuilder(); });
    connect(helpButton, &QPushButton::clicked, this, [this] { help(); });
    // Entering a layer's controls shows that layer's heights.
    new FocusAction(cld1, [this] { selectLayer(0); });
    new FocusAction(cld2, [this] { selectLayer(1); });
    new FocusAction(dir, [this] { selectLayer(2); });
    new FocusAction(spd, [this] { selectLayer(2); });
    resize(860, 440);
}

void WeatherBuilderWindow::selectLayer(int index) {
    index = std::clamp(index, 0, 2);
    if (auto* o =
            control<QRadioButton>(QStringLiteral("OptCB%1").arg(index).toLatin1().constData())) {
        o->setChecked(true);
    }
    const char* shown[3][2] = {{"Cld1B", "Cld1T"}, {"Cld2B", "Cld2T"}, {"SWBase", "SWTop"}};
    for (const char* name : {"Cld1B", "Cld1T", "Cld2B", "Cld2T", "SWTop", "SWBase"}) {
        const bool visible =
            std::string(name) == shown[index][0] || std::string(name) == shown[index][1];
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) {
            w->setVisible(visible);
        }
    }
    heightLabels_[0]->setText(QString::fromLatin1(kHeightLabels[index][0]));
    heightLabels_[1]->setText(QString::fromLatin1(kHeightLabels[index][1]));
}

void WeatherBuilderWindow::selectRow(int row) {
    for (auto* l : lists_) {
        if (l->currentRow() != row) {
            const QSignalBlocker block(l);
            l->setCurrentRow(row);
        }
    }
    if (!control<QCheckBox>("Check1")->isChecked() || row < 0 || row >= lists_[0]->count()) {
        return;
    }
    // A waypoint without weather shows what Attach would start from.
    const auto entry = builder_.entryForLine(ss(lists_[0]->item(row)->text()));
    showPlanWeather(entry ? builder_.entries[static_cast<std::size_t>(*entry)]
                          : WeatherBuilder::defaultEntry());
}

void WeatherBuilderWindow::showPlanWeather(const flightplan::PlanWxEntry& entry) {
    setControls(WeatherBuilder::showPlanWeather(entry, uom_ ? uom_() : "U"));
}

BuilderControls WeatherBuilderWindow::controls() const {
    BuilderControls c;
    c.Cld1Cmb = ss(control<QComboBox>("Cld1Cmb")->currentText());
    c.Cld2Cmb = ss(control<QComboBox>("Cld2Cmb")->currentText());
    c.Cld1B = ss(control<QLineEdit>("Cld1B")->text());
    c.Cld1T = ss(control<QLineEdit>("Cld1T")->text());
    c.Cld2B = ss(control<QLineEdit>("Cld2B")->text());
    c.Cld2T = ss(control<QLineEdit>("Cld2T")->text());
    c.SWTop = ss(control<QLineEdit>("SWTop")->text());
    c.W0DirTxt = ss(control<QLineEdit>("W0DirTxt")->text());
    c.W0SpdTxt = ss(control<QLineEdit>("W0SpdTxt")->text());
    c.VisiCmb = ss(control<QComboBox>("VisiCmb")->currentText());
    c.PrecipCmb = control<QComboBox>("PrecipCmb")->currentIndex();
    c.TempTxt = ss(control<QLineEdit>("TempTxt")->text());
    c.BaroTxt = ss(control<QLineEdit>("BaroTxt")->text());
    return c;
}

void WeatherBuilderWindow::setControls(const BuilderControls& c) {
    control<QComboBox>("Cld1Cmb")->setCurrentText(qs(c.Cld1Cmb));
    control<QComboBox>("Cld2Cmb")->setCurrentText(qs(c.Cld2Cmb));
    control<QLineEdit>("Cld1B")->setText(qs(c.Cld1B));
    control<QLineEdit>("Cld1T")->setText(qs(c.Cld1T));
    control<QLineEdit>("Cld2B")->setText(qs(c.Cld2B));
    control<QLineEdit>("Cld2T")->setText(qs(c.Cld2T));
    control<QLineEdit>("SWTop")->setText(qs(c.SWTop));
    control<QLineEdit>("W0DirTxt")->setText(qs(c.W0DirTxt));
    control<QLineEdit>("W0SpdTxt")->setText(qs(c.W0SpdTxt));
    control<QComboBox>("VisiCmb")->setCurrentText(qs(c.VisiCmb));
    control<QComboBox>("PrecipCmb")->setCurrentIndex(c.PrecipCmb);
    control<QLineEdit>("TempTxt")->setText(qs(c.TempTxt));
    control<QLineEdit>("BaroTxt")->setText(qs(c.BaroTxt));
}

void WeatherBuilderWindow::attach() {
    const int row = lists_[0]->currentRow();
    const auto outcome = builder_.attach(controls(), uom_ ? uom_() : "U",
                                         row >= 0 ? std::optional<int>(row) : std::nullopt);
    if (outcome.attached) {
        dialogs_.message({outcome.message, "Added Weather", platform::Buttons::Ok,
                          platform::Icon::Information, 1});
    } else {
        dialogs_.message(
            {outcome.message, kTitle, platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
}

void WeatherBuilderWindow::showPlan() {
    const auto& p = builder_.plan;
    for (auto* l : lists_) {
        const QSignalBlocker block(l);
        l->clear();
    }
    for (int i = 0; i < p.PlanCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        lists_[0]->addItem(qs(p.WaypLst[at]));
        lists_[1]->addItem(qs(p.AltLst[at]));
        lists_[2]->addItem(qs(p.SpdLst[at]));
    }
}

void WeatherBuilderWindow::load() {
    const auto path = dialogs_.openFile({"Open", folder_, "Flight Plan(*.fpl)|*.fpl"});
    if (!path) {
        return;
    }
    control<QComboBox>("Cld1Cmb")->setCurrentIndex(0);
    control<QComboBox>("Cld2Cmb")->setCurrentIndex(0);
    std::string error;
    const bool read = builder_.loadFile(
        *path,
        [this] {
            return dialogs_.message(
                       {"Weather is detected in this flight plan.  Do you want to load "
                        "this weather for editing?  Selecting No will clear the weather "
                        "from this plan.",
                        kTitle, platform::Buttons::YesNo, platform::Icon::Question, 1}) ==
                   platform::Answer::Yes;
        },
        &error);
    showPlan();
    if (!read) {
        dialogs_.message(
            {error.empty() ? "No flight plan entries could be read from " + *path + "." : error,
             kTitle, platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
}

void WeatherBuilderWindow::save() {
    const auto path = dialogs_.saveFile(
        {"Save", folder_,
         "Flight Plan (*.fpl)|*.fpl|SID File (*.sid)|*.sid|STAR File (*.str)|*.str"});
    if (!path) {
        return;
    }
    std::string error;
    if (!builder_.saveFile(*path, &error)) {
        dialogs_.message({"The flight plan could not be saved. " + error, kTitle,
                          platform::Buttons::Ok, platform::Icon::Exclamation, 1});
    }
}

void WeatherBuilderWindow::exitBuilder() {
    if (builder_.listChanged && builder_.planChangedFlag != 1 &&
        dialogs_.message({"Flight plan not yet saved. Are you sure you want to exit?", kTitle,
                          platform::Buttons::YesNo, platform::Icon::Question, 1}) ==
            platform::Answer::No) {
        return;
    }
    close();
}

void WeatherBuilderWindow::help() {
    dialogs_.message({kBuilderHelp, kTitle, platform::Buttons::Ok, platform::Icon::Information, 1});
}

void WeatherBuilderWindow::closeEvent(QCloseEvent* event) {
    if (builder_.changed &&
        dialogs_.message({"Are you sure you want to exit without saving?", kTitle,
                          platform::Buttons::YesNo, platform::Icon::Question, 1}) ==
            platform::Answer::No) {
        event->ignore();
        return;
    }
    event->accept();
}

}  // namespace zephyra::builder
