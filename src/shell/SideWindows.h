#pragma once

#include <QPointer>

#include "help/HelpWindows.h"
#include "reports/WorldReportWindow.h"
#include "shell/AppContext.h"

namespace zephyra::shell {

class VaneWindow;

// Gives the main window's world-report, Quick Link and Help buttons their windows, and tells
// it whether the tutorial is showing. One window of each kind at a time: a second press
// brings the open one forward.
class SideWindows {
  public:
    SideWindows(AppContext& context, VaneWindow& vane);
    ~SideWindows();
    SideWindows(const SideWindows&) = delete;
    SideWindows& operator=(const SideWindows&) = delete;

    void showWorldReport();
    void showQuickLink();
    void showHelp();
    void showTutorial();
    bool tutorVisible() const;

    reports::WorldReportWindow* worldReport() const { return report_; }
    help::QuickLinkWindow* quickLink() const { return quickLink_; }
    help::HelpWindow* help() const { return help_; }
    help::TutorWindow* tutor() const { return tutor_; }

  private:
    AppContext& ctx_;
    VaneWindow& vane_;
    QPointer<reports::WorldReportWindow> report_;
    QPointer<help::QuickLinkWindow> quickLink_;
    QPointer<help::HelpWindow> help_;
    QPointer<help::TutorWindow> tutor_;
};

}  // namespace zephyra::shell
