#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <string>

#include "platform/Dialogs.h"
#include "reports/WorldReport.h"

namespace zephyra::reports {

// "Weather Report": the decoded weather of any station, chosen by country, state and station
// (or typed), collected one report below the other. The choices live in WorldReportBrowser;
// this window shows them and passes the clicks on.
class WorldReportWindow : public QWidget {
    Q_OBJECT
  public:
    WorldReportWindow(std::string databasePath, std::string uom, int unlimitedVisibility,
                      platform::Dialogs& dialogs, QWidget* parent = nullptr);

    // The window's load step, with the main window's current-station text.
    void load(const std::string& currentStationText);

    QComboBox* regions() const { return cmbRegion_; }
    QComboBox* states() const { return cmbState_; }
    QComboBox* stations() const { return cmbStation_; }
    QPushButton* findStatesButton() const { return cmdFindStates_; }
    QPushButton* findStationsButton() const { return cmdFindStations_; }
    QPushButton* reportButton() const { return cmdVaneRpt_; }
    QPushButton* clearButton() const { return command1_; }
    QPlainTextEdit* reports() const { return rtbVane_; }
    const WorldReportBrowser& browser() const { return browser_; }
    void setClock(const platform::Scheduler* clock) { browser_.setClock(clock); }

  private:
    // Copies the browser's view onto the controls.
    void refresh();
    void say(const std::string& message);

    WorldReportBrowser browser_;
    platform::Dialogs& dialogs_;
    bool refreshing_ = false;
    QLabel* lblState_;
    QLabel* lblStation_;
    QComboBox* cmbRegion_;
    QComboBox* cmbState_;
    QComboBox* cmbStation_;
    QPushButton* cmdFindStates_;
    QPushButton* cmdFindStations_;
    QPushButton* cmdVaneRpt_;
    QPushButton* command1_;
    QPlainTextEdit* rtbVane_;
    QLineEdit* hidenState_;
};

}  // namespace zephyra::reports
