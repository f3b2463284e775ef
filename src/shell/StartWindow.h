#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include "shell/AppContext.h"

namespace zephyra::shell {

// "Initial Configuration": finds FS98 (registry or browsing), writes the default settings,
// installs the program's files into the simulator's folder and ends the program.
class StartWindow : public QWidget {
    Q_OBJECT
  public:
    // currentFolder: where "storm.cld" and the lightning adventures are taken from.
    StartWindow(AppContext& context, std::string currentFolder, QWidget* parent = nullptr);

    QLabel* label1() const { return label1_; }
    QPushButton* proceedButton() const { return proceed_; }
    QPushButton* locateButton() const { return locate_; }

    // Looks FS98 up in the registry (run when the window loads).
    void findFs98();
    void locate();
    void proceed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    AppContext& ctx_;
    std::string currentFolder_;
    QLabel* label1_;
    QLabel* label2_;
    QPushButton* proceed_;
    QPushButton* locate_;
};

}  // namespace zephyra::shell
