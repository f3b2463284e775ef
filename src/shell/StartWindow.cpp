#include "shell/StartWindow.h"

#include <QCloseEvent>
#include <QVBoxLayout>

#include "shell/Startup.h"

namespace zephyra::shell {

StartWindow::StartWindow(AppContext& context, std::string currentFolder, QWidget* parent)
    : QWidget(parent), ctx_(context), currentFolder_(std::move(currentFolder)) {
    setObjectName(QStringLiteral("start"));
    setWindowTitle(QStringLiteral("Initial Configuration"));
    setWindowFlag(Qt::Window, true);

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
    proceed_->setEnabled(false);
    locate_ = new QPushButton(QStringLiteral("Locate FS98 (Fltsim98.exe)"), this);
    locate_->setObjectName(QStringLiteral("Command2"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(locate_);
    buttons->addStretch(1);
    buttons->addWidget(proceed_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label1_);
    layout->addWidget(label2_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(440, 200);

    connect(locate_, &QPushButton::clicked, this, [this] { locate(); });
    connect(proceed_, &QPushButton::clicked, this, [this] { proceed(); });
    findFs98();
}

void StartWindow::findFs98() {
    const LocateState state = shell::findFs98(ctx_.platform);
    label1_->setText(QString::fromStdString(state.label));
    if (state.proceedEnabled) {
        proceed_->setEnabled(true);
    }
}

void StartWindow::locate() {
    const auto chosen =
        ctx_.dialogs.openFile({"Locate FS98", ctx_.programFolder, "Fltsim98.exe|Fltsim98.exe"});
    if (!chosen) {
        return;
    }
    proceed_->setEnabled(true);
    label1_->setText(QString::fromStdString(folderOfChosenExe(*chosen)));
}

void StartWindow::proceed() {
    const FirstRunFolders folders{ctx_.programFolder, currentFolder_};
    proceedWithConfiguration(label1_->text().toStdString(), folders, ctx_.dialogs);
    close();
}

void StartWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (ctx_.quit) {
        ctx_.quit();
    }
}

}  // namespace zephyra::shell
