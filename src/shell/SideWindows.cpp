#include "shell/SideWindows.h"

#include "shell/OnScreen.h"
#include "shell/VaneWindow.h"

namespace zephyra::shell {

namespace {

// Shows a window that closes for good: closing it deletes it, so its unload step runs then.
// It opens over the window it was opened from, whole on the screen.
void present(QWidget* window, const QWidget& anchor) {
    window->setAttribute(Qt::WA_DeleteOnClose);
    placeOnScreen(*window, anchor);
    window->show();
    window->raise();
    window->activateWindow();
}

bool bringForward(QWidget* window) {
    if (window == nullptr) {
        return false;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return true;
}

}  // namespace

SideWindows::SideWindows(AppContext& context, VaneWindow& vane) : ctx_(context), vane_(vane) {
    vane_.showWorldReport = [this] { showWorldReport(); };
    vane_.showQuickLink = [this] { showQuickLink(); };
    vane_.showHelp = [this] { showHelp(); };
    vane_.tutorVisible = [this] { return tutorVisible(); };
}

SideWindows::~SideWindows() {
    vane_.showWorldReport = nullptr;
    vane_.showQuickLink = nullptr;
    vane_.showHelp = nullptr;
    vane_.tutorVisible = nullptr;
    for (QWidget* w : {static_cast<QWidget*>(report_), static_cast<QWidget*>(quickLink_),
                       static_cast<QWidget*>(help_), static_cast<QWidget*>(tutor_)}) {
        if (w != nullptr) {
            w->close();
            delete w;
        }
    }
}

void SideWindows::showWorldReport() {
    if (bringForward(report_)) {
        return;
    }
    report_ = new reports::WorldReportWindow(ctx_.databasePath(), ctx_.settings.UOM,
                                             ctx_.settings.UnlimitedVis, ctx_.dialogs);
    report_->setClock(&ctx_.scheduler);
    present(report_, vane_);
    report_->load(vane_.label(QStringLiteral("Text3"))->text().toStdString());
}

void SideWindows::showQuickLink() {
    if (bringForward(quickLink_)) {
        return;
    }
    quickLink_ = new help::QuickLinkWindow(ctx_.folders.settings, ctx_.platform, ctx_.dialogs);
    present(quickLink_, vane_);
}

void SideWindows::showHelp() {
    if (bringForward(help_)) {
        return;
    }
    help_ = new help::HelpWindow(ctx_.folders.shipped, ctx_.platform, ctx_.dialogs);
    help_->showTutorial = [this] { showTutorial(); };
    present(help_, vane_);
}

void SideWindows::showTutorial() {
    if (bringForward(tutor_)) {
        return;
    }
    tutor_ = new help::TutorWindow;
    present(tutor_, help_ != nullptr ? static_cast<const QWidget&>(*help_) : vane_);
}

bool SideWindows::tutorVisible() const {
    return tutor_ != nullptr && tutor_->isVisible();
}

}  // namespace zephyra::shell
