#pragma once

#include "shell/VaneWindow.h"
#include "support/WindowFixture.h"

namespace zephyra::test {

// The window fixture with the main window opened on the first run's settings.
class MainWindowFixture : public WindowFixture {
  protected:
    std::unique_ptr<shell::VaneWindow> openMain() {
        writeDefaultParams();
        auto w = std::make_unique<shell::VaneWindow>(context);
        EXPECT_EQ(w->load(), shell::VaneWindow::LoadResult::MainWindow);
        w->show();
        return w;
    }
};

}  // namespace zephyra::test
