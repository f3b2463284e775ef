#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>
#include <functional>

#include "shell/AppContext.h"
#include "shell/Startup.h"

namespace zephyra::shell {

// "Initial Configuration": offers what this machine has to fly with (the built-in simulator,
// FlightGear when fgfs is installed, an FS98 folder found in the registry or by browsing),
// configures it and hands over to the main window at once.
class StartWindow : public QWidget {
    Q_OBJECT
  public:
    // currentFolder: where "storm.cld" and the lightning adventures are taken from. fgfs: the
    // installed FlightGear program, empty when there is none.
    StartWindow(AppContext& context, std::string currentFolder, std::string fgfs = {},
                QWidget* parent = nullptr);

    QLabel* label1() const { return label1_; }
    QPushButton* proceedButton() const { return proceed_; }
    QPushButton* locateButton() const { return locate_; }
    QRadioButton* choice(FirstRunChoice which) const;
    // FlightGear's property server, used when FlightGear is chosen.
    QLineEdit* flightGearHost() const { return fgHost_; }
    QLineEdit* flightGearPort() const { return fgPort_; }

    // Looks FS98 up in the registry (run when the window loads).
    void findFs98();
    void locate();
    void proceed();
    // Runs once the choice is configured; the window is then hidden.
    std::function<void()> onConfigured;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    FirstRunChoice chosen() const;
    void updateProceed();

    AppContext& ctx_;
    std::string currentFolder_;
    QRadioButton* choices_[3] = {};
    QLabel* label1_;
    QLabel* label2_;
    QPushButton* proceed_;
    QPushButton* locate_;
    QLineEdit* fgHost_;
    QLineEdit* fgPort_;
    bool fs98Known_ = false;
    bool configured_ = false;
};

}  // namespace zephyra::shell
