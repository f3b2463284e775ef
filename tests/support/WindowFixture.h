#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <memory>

#include "platform/Random.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "shell/AppContext.h"
#include "shell/ParamFile.h"
#include "simlink/BuiltInAircraft.h"
#include "simlink/SelectedLink.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace zephyra::test {

// Everything a window needs, on virtual time, in a program folder with a simulator folder.
class WindowFixture : public ::testing::Test {
  protected:
    WindowFixture()
        : aircraft(scheduler),
          link(&aircraft),
          context(scheduler, dialogs, random, platform, link) {
        context.builtIn = &aircraft;
        context.folders = platform::allIn(program.path());
        context.launchFolder = program.path();
        context.modalWindows = false;
        context.quit = [this] { ++quitCalls; };
        program.write("FS98/fltsim98.exe", "exe");
        program.write("FS98/texture/clouds.r8", "clouds");
        program.write("FS98/texture/stormy.r8", "stormy");
    }

    std::string simFolder() const { return program.file("FS98"); }
    void writeDefaultParams() {
        program.write("vane98.par", shell::formatParamFile(shell::firstRunSettings(simFolder())));
    }

    static void mouse(QWidget* w, QEvent::Type type, Qt::MouseButton button = Qt::LeftButton,
                      QPoint pos = QPoint(2, 2)) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
        QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    // A full press and release, as a click with that button.
    static void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton) {
        mouse(w, QEvent::MouseButtonPress, button);
        mouse(w, QEvent::MouseButtonRelease, button);
    }

    TempDir program;
    platform::VirtualScheduler scheduler;
    platform::ScriptedDialogs dialogs;
    platform::PinnedRandom random;
    FakePlatform platform;
    simlink::BuiltInAircraft aircraft;
    simlink::SelectedLink link;  // the built-in aircraft unless a test selects another
    shell::AppContext context;
    int quitCalls = 0;
};

}  // namespace zephyra::test
