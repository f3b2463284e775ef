#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <map>

#include "shell/AppContext.h"

namespace zephyra::shell {

class VaneWindow;

// "Settings": edits the settings in memory, saves them to the parameter file, and installs or
// restores the simulator's cloud and storm textures.
class ParmMaintWindow : public QDialog {
    Q_OBJECT
  public:
    ParmMaintWindow(AppContext& context, VaneWindow& main, QWidget* parent = nullptr);

    QLineEdit* textBox(const QString& name) const;
    QCheckBox* checkBox(const QString& name) const;
    QRadioButton* option(const QString& name) const;
    QPushButton* button(const QString& name) const;
    bool unsavedChange() const { return unsaved_; }

    // Save Settings; true when the file was written and the window closed.
    bool save();
    // Close, asking first when there are unsaved changes.
    void closeWindow();
    void restoreDefaultClouds();
    void restoreDefaultStorms();
    void installNewStorms();
    void installLightningStorms();

  protected:
    void reject() override;

  private:
    void build();
    void fillFromMemory();
    void databaseOptionReleased();
    QString fs98Folder() const;
    // A file of the simulator's folder, found without regard to letter case.
    std::string inSimulator(const char* relative) const;
    std::string shippedFile(const char* name) const;
    std::string simulatorFile() const;

    AppContext& ctx_;
    VaneWindow& main_;
    std::map<QString, QWidget*> controls_;
    bool unsaved_ = false;
    bool closing_ = false;
};

}  // namespace zephyra::shell
