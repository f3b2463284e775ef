#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "help/QuickLinks.h"
#include "help/Tutorial.h"
#include "platform/ScriptedDialogs.h"
#include "platform/VirtualScheduler.h"
#include "shell/DesktopPlatform.h"
#include "simlink/BuiltInAircraft.h"
#include "support/FakePlatform.h"
#include "support/TempDir.h"

namespace zephyra::help {
namespace {

TEST(QuickLinks, GoRefusesPlaceholdersAndPassesAnythingElse) {
    const struct {
        std::string box;
        bool opened;
    } cases[] = {
        {"Empty", false},
        {"", false},
        {" ", false},
        {"  ", true},  // only a single blank counts as none
        {"not a web address", true},
        {"-", false},  // an opener's option, never an address
        {"https://aviationweather.gov/data/metar/", true},
    };
    for (const auto& c : cases) {
        test::FakePlatform platform;
        platform::ScriptedDialogs dialogs;
        openLink(c.box, platform, dialogs);
        EXPECT_EQ(platform.opened.size(), c.opened ? 1U : 0U) << "'" << c.box << "'";
        if (c.opened) {
            EXPECT_EQ(platform.opened.front(), c.box);
            EXPECT_TRUE(dialogs.messages().empty());
        } else {
            EXPECT_EQ(dialogs.lastMessage(), "Invalid URL in box!") << "'" << c.box << "'";
        }
    }
}

TEST(QuickLinks, FileRoundTrip) {
    test::TempDir dir;
    const std::string file = dir.file(kQuickLinkFile);
    // Missing file: the boxes keep what they hold.
    EXPECT_EQ(loadQuickLinks(file).first, "Empty");
    ASSERT_TRUE(saveQuickLinks(file, {"https://a.example/x?y=1&z=2", " "}));
    EXPECT_EQ(dir.read(kQuickLinkFile), "https://a.example/x?y=1&z=2\r\nEmpty\r\n");
    // A short file (one line, Unix end) fills the first box only.
    dir.write(kQuickLinkFile, "only\n");
    const QuickLinks shortFile = loadQuickLinks(file, {"x", "kept"});
    EXPECT_EQ(shortFile.first, "only");
    EXPECT_EQ(shortFile.second, "kept");
    EXPECT_FALSE(saveQuickLinks(dir.file("missing/quick.txt"), {}));
}

// The address goes to the opener as one argument, and Go returns while the opener runs; a
// missing or failing opener is reported.
TEST(QuickLinks, DesktopBrowserGetsTheAddressAsOneArgument) {
    test::TempDir dir;
    const std::string log = dir.file("args.txt");
    dir.write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + log + "'\n");
    chmod(dir.file("bin/xdg-open").c_str(), 0755);
    dir.write("failing/xdg-open", "#!/bin/sh\nexit 3\n");
    chmod(dir.file("failing/xdg-open").c_str(), 0755);
    const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    platform::VirtualScheduler scheduler;
    simlink::BuiltInAircraft aircraft(scheduler);
    shell::DesktopPlatform desktop(aircraft, scheduler);
    platform::ScriptedDialogs dialogs;
    // The opener is a real process: real time passes while the program's timers run.
    auto runUntil = [&scheduler](const std::function<bool()>& settled) {
        for (int i = 0; i < 300 && !settled(); ++i) {
            usleep(10000);
            scheduler.wait(20);
        }
    };

    setenv("PATH", (dir.file("bin") + ":/usr/bin:/bin").c_str(), 1);
    const std::string url = "http://x.example/a b;touch pwned&c=$(id)|`id`'\"";
    std::vector<bool> answers;
    desktop.openUrl(url, [&answers](bool opened) { answers.push_back(opened); });
    EXPECT_TRUE(answers.empty());
    runUntil([&answers] { return !answers.empty(); });
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(dir.read("args.txt"), "1\n" + url + "\n");
    EXPECT_FALSE(dir.exists("pwned"));

    // No opener, or one that fails (as xdg-open does without a browser).
    setenv("PATH", dir.file("nothing-here").c_str(), 1);
    openLink(url, desktop, dialogs);
    EXPECT_EQ(dialogs.shown().size(), 1U);
    setenv("PATH", dir.file("failing").c_str(), 1);
    openLink(url, desktop, dialogs);
    setenv("PATH", oldPath.c_str(), 1);
    runUntil([&dialogs] { return dialogs.shown().size() == 2; });
    ASSERT_EQ(dialogs.shown().size(), 2U);
    for (const auto& shown : dialogs.shown()) {
        EXPECT_EQ(shown.message.text, "Could not find associated Browser");
        EXPECT_EQ(shown.message.title, "Browser Not Found");
        EXPECT_EQ(shown.message.icon, platform::Icon::Exclamation);
    }
}

TEST(Tutorial, PagesAndPaging) {
    ASSERT_EQ(tutorialPages().size(), 23U);
    EXPECT_STREQ(findTutorialPage("B3")->title, "Downloading Weather");
    EXPECT_EQ(findTutorialPage("C10"), nullptr);

    Tutorial t;
    t.next();  // before any course: nothing to page
    EXPECT_EQ(t.view().title, kTutorialTitle);

    const struct {
        char course;
        int steps;  // Next presses from page 1
        std::string page;
        bool previous, next;
    } cases[] = {
        {'A', 0, "A1", false, true}, {'A', 1, "A2", true, true},  {'A', 5, "A6", true, true},
        {'A', 6, "A7", true, false}, {'A', 9, "A7", true, false}, {'B', 6, "B7", true, false},
        {'C', 7, "C8", true, true},  {'C', 8, "C9", true, false}, {'C', 12, "C9", true, false},
    };
    for (const auto& c : cases) {
        t.startCourse(c.course);
        for (int i = 0; i < c.steps; ++i) {
            t.next();
        }
        EXPECT_EQ(t.view().course + t.view().number, c.page);
        EXPECT_EQ(t.view().title, findTutorialPage(c.page)->title) << c.page;
        EXPECT_EQ(t.view().previousVisible, c.previous) << c.page;
        EXPECT_EQ(t.view().nextVisible, c.next) << c.page;
    }
    // "Prev." on page 1 stays; from the last page it walks back.
    t.startCourse('B');
    t.previous();
    EXPECT_EQ(t.view().number, "1");
}

}  // namespace
}  // namespace zephyra::help
