#include "shell/StartWindow.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGroupBox>
#include <QVBoxLayout>

#include "assets/SimFolder.h"
#include "platform/Files.h"
#include "shell/Startup.h"

namespace zephyra::shell {

StartWindow::StartWindow(AppContext& context, std::string currentFolder, std::string fgfs,
                         QWidget* parent)
    : QWidget(parent), ctx_(context), currentFolder_(std::move(currentFolder)) {
    setObjectName(QStringLiteral("start"));
    setWindowTitle(QStringLiteral("Initial Configuration"));
    setWindowFlag(Qt::Window, true);

    auto* simulators = new QGroupBox(QStringLiteral("Fly with"), this);
    auto* simulatorsLayout = new QVBoxLayout(simulators);
    auto* group = new QButtonGroup(this);
    const QString builtInFolder =
        QString::fromStdString(assets::builtInSimFolder(ctx_.folders.user));
    const QString texts[] = {
        QStringLiteral("The built-in simulator (in %1)").arg(builtInFolder),
        fgfs.empty() ? QStringLiteral("FlightGear (not installed: no fgfs found)")
                     : QStringLiteral("FlightGear (%1)").arg(QString::fromStdString(fgfs)),
        QStringLiteral("FS98, from its folder:")};
    const char* names[] = {"ChooseBuiltIn", "ChooseFlightGear", "ChooseFs98"};
    for (int i = 0; i < 3; ++i) {
        choices_[i] = new QRadioButton(texts[i], simulators);
        choices_[i]->setObjectName(QString::fromLatin1(names[i]));
        group->addButton(choices_[i], i);
        simulatorsLayout->addWidget(choices_[i]);
    }
    choices_[1]->setEnabled(!fgfs.empty());
    choices_[0]->setChecked(true);

    // FlightGear's property server: what simulator.ini holds, else the defaults.
    const auto known = simlink::readSimulatorChoice(
        platform::joinPath(ctx_.folders.settings, simlink::kSimulatorFile));
    fgHost_ = new QLineEdit(QString::fromStdString(known.flightGear.host), simulators);
    fgHost_->setObjectName(QStringLiteral("FlightGearHost"));
    fgPort_ = new QLineEdit(QString::number(known.flightGear.port), simulators);
    fgPort_->setObjectName(QStringLiteral("FlightGearPort"));
    fgPort_->setMaximumWidth(70);
    auto* fgRow = new QHBoxLayout;
    fgRow->setContentsMargins(24, 0, 0, 0);
    fgRow->addWidget(new QLabel(QStringLiteral("Property server host"), simulators));
    fgRow->addWidget(fgHost_, 1);
    fgRow->addWidget(new QLabel(QStringLiteral("port"), simulators));
    fgRow->addWidget(fgPort_);
    simulatorsLayout->insertLayout(2, fgRow);

    label1_ = new QLabel(QString::fromLatin1(kNotLocated), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    label1_->setMinimumHeight(26);
    label1_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = label1_->font();
    bold.setBold(true);
    label1_->setFont(bold);

    label2_ = new QLabel(
        QStringLiteral("Initial Zephyra Configuration... Your path to FS98 should appear above. "
                       "If not, please browse to Fltsim98.exe in your FS98 folder. The standard "
                       "location of Microsoft Flight Simulator 98 is: C:\\Program "
                       "Files\\Microsoft Games\\Flight Simulator. Press Proceed when ready."),
        this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setWordWrap(true);

    proceed_ = new QPushButton(QStringLiteral("Proceed"), this);
    proceed_->setObjectName(QStringLiteral("Command1"));
    locate_ = new QPushButton(QStringLiteral("Locate FS98 (Fltsim98.exe)"), this);
    locate_->setObjectName(QStringLiteral("Command2"));

    // The FS98 part: its folder, its instructions and its Locate button.
    auto* fs98 = new QVBoxLayout;
    fs98->setContentsMargins(24, 0, 0, 0);
    fs98->addWidget(label1_);
    fs98->addWidget(label2_);
    auto* locateRow = new QHBoxLayout;
    locateRow->addWidget(locate_);
    locateRow->addStretch(1);
    fs98->addLayout(locateRow);
    simulatorsLayout->addLayout(fs98);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(proceed_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(simulators);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(520, 340);

    connect(group, &QButtonGroup::idToggled, this, [this](int, bool) { updateProceed(); });
    connect(locate_, &QPushButton::clicked, this, [this] { locate(); });
    connect(proceed_, &QPushButton::clicked, this, [this] { proceed(); });
    findFs98();
    updateProceed();
}

QRadioButton* StartWindow::choice(FirstRunChoice which) const {
    return choices_[static_cast<int>(which)];
}

FirstRunChoice StartWindow::chosen() const {
    for (int i = 0; i < 3; ++i) {
        if (choices_[i]->isChecked()) {
            return static_cast<FirstRunChoice>(i);
        }
    }
    return FirstRunChoice::BuiltIn;
}

void StartWindow::updateProceed() {
    const bool fs98 = chosen() == FirstRunChoice::Fs98;
    for (QWidget* w : {static_cast<QWidget*>(label1_), static_cast<QWidget*>(label2_),
                       static_cast<QWidget*>(locate_)}) {
        w->setEnabled(fs98);
    }
    proceed_->setEnabled(!fs98 || fs98Known_);
    const bool flightGear = chosen() == FirstRunChoice::FlightGear;
    fgHost_->setEnabled(flightGear);
    fgPort_->setEnabled(flightGear);
}

void StartWindow::findFs98() {
    const LocateState state = shell::findFs98(ctx_.platform);
    label1_->setText(QString::fromStdString(state.label));
    if (state.proceedEnabled) {
        fs98Known_ = true;
        // FS98 found in the registry: that is what this machine flies.
        choices_[static_cast<int>(FirstRunChoice::Fs98)]->setChecked(true);
    }
    updateProceed();
}

void StartWindow::locate() {
    const auto chosenFile =
        ctx_.dialogs.openFile({"Locate FS98", ctx_.folders.user, "Fltsim98.exe|Fltsim98.exe"});
    if (!chosenFile) {
        return;
    }
    fs98Known_ = true;
    label1_->setText(QString::fromStdString(folderOfChosenExe(*chosenFile)));
    updateProceed();
}

void StartWindow::proceed() {
    // Installed, the shipped files (storm.cld, the simulator folder) are read from the shipped
    // folder and the simulator's folder is laid out among the user's files.
    const platform::Folders& where = ctx_.folders;
    const FirstRunFolders folders{where.settings, where.installed ? where.shipped : currentFolder_,
                                  where.user};
    const std::string host = fgHost_->text().trimmed().toStdString();
    const auto port = simlink::portFromText(fgPort_->text().trimmed().toStdString());
    if (chosen() == FirstRunChoice::FlightGear && (host.empty() || !port)) {
        ctx_.dialogs.inform(kFlightGearAddressMessage);
        return;
    }
    if (configureFirstRun(chosen(), label1_->text().toStdString(), folders, ctx_.dialogs) !=
        ProceedResult::Configured) {
        // Nothing usable was written (an FS98 folder without fltsim98.exe): the program ends,
        // as it always did.
        if (chosen() == FirstRunChoice::Fs98) {
            close();
        }
        return;
    }
    if (chosen() == FirstRunChoice::FlightGear) {
        std::string error;
        if (!writeSimulatorSettings(
                platform::joinPath(where.settings, simlink::kSimulatorFile),
                {{"FlightGearHost", host}, {"FlightGearPort", std::to_string(*port)}}, &error)) {
            ctx_.dialogs.inform("Zephyra could not write FlightGear's address. " + error);
            return;
        }
    }
    configured_ = true;
    hide();
    if (onConfigured) {
        onConfigured();
    }
}

void StartWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!configured_ && ctx_.quit) {
        ctx_.quit();
    }
}

}  // namespace zephyra::shell
