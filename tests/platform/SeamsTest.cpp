#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Random.h"
#include "platform/RealTimeScheduler.h"
#include "platform/VirtualScheduler.h"
#include "support/TempDir.h"

using namespace zephyra::platform;

// Setting an interval restarts the count; timers due together run in the order they were armed.
TEST(VirtualScheduler, TimersRunInTimeOrderWhileTheirIntervalIsAboveZero) {
    VirtualScheduler s;
    std::string order;
    auto a = s.createTimer([&] { order += 'a'; });
    auto b = s.createTimer([&] { order += 'b'; });
    s.advance(10);
    EXPECT_EQ(order, "");
    a->setInterval(3000);
    b->setInterval(2000);
    s.advance(6);
    EXPECT_EQ(order, "babab");  // a and b both due at 6: the one armed first runs first
    a->setInterval(0);
    s.advance(1);
    b->setInterval(2000);  // next at 19, not 18
    s.advance(3.5);
    EXPECT_EQ(order, "bababb");
}

TEST(VirtualScheduler, RunUntilStopsAtTheConditionOrTheLimit) {
    VirtualScheduler s;
    int ticks = 0;
    auto t = s.createTimer([&] { ++ticks; });
    t->setInterval(1000);
    EXPECT_TRUE(s.runUntil([&] { return ticks == 5; }, 100));
    EXPECT_DOUBLE_EQ(s.now(), 5.0);
    EXPECT_FALSE(s.runUntil([] { return false; }, 2.5));
    EXPECT_DOUBLE_EQ(s.now(), 7.5);
    t->setInterval(5000);
    s.advance(3600);
    EXPECT_EQ(ticks, 7 + 720);
    EXPECT_DOUBLE_EQ(s.wallClock() - s.now(), 1.0e9);
}

// At a hundred times real speed, a 5 s tick keeps running through another timer's 20 s wait.
TEST(RealTimeScheduler, WaitsInRealTimeAndKeepsOtherTimersRunning) {
    RealTimeScheduler s(100.0);
    const auto began = std::chrono::steady_clock::now();
    int ticks = 0;
    int ticksDuringWait = -1;
    auto tick = s.createTimer([&] { ++ticks; });
    tick->setInterval(5000);
    std::unique_ptr<Timer> transition;
    transition = s.createTimer([&] {
        transition->setInterval(0);
        const int before = ticks;
        s.wait(20000);
        ticksDuringWait = ticks - before;
    });
    transition->setInterval(1000);
    s.wait(30000);
    const double real =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    EXPECT_GE(s.now(), 30.0);
    EXPECT_GE(real, 0.3);
    EXPECT_LT(real, 3.0);
    EXPECT_GE(ticksDuringWait, 3);
    EXPECT_GE(ticks, 5);
    EXPECT_LE(ticks, 6);
}

TEST(Random, DefaultDrawsAreUniformInTheUnitIntervalAndFollowTheSeed) {
    DefaultRandom r;
    r.seed(0);  // a zero seed must not stick the generator at zero
    std::array<int, 10> buckets{};
    for (int i = 0; i < 100000; ++i) {
        const double v = r.next();
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 1.0);
        ++buckets[static_cast<std::size_t>(v * 10)];
    }
    for (const int n : buckets) {
        EXPECT_NEAR(n, 10000, 500);
    }
    r.seed(1);
    const double first = r.next();
    r.seed(2);
    EXPECT_NE(r.next(), first);
    r.seed(1);
    EXPECT_EQ(r.next(), first);
}

TEST(Files, CopyReportsWhyItFailed) {
    zephyra::test::TempDir dir;
    std::string error;
    EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("x"), &error));
    EXPECT_NE(error.find("was not found"), std::string::npos);
    dir.write("a", "one");
    dir.write("b", "two");
    EXPECT_TRUE(copyFile(dir.file("a"), dir.file("b")));
    EXPECT_EQ(dir.read("b"), "one");
    EXPECT_FALSE(copyFile(dir.file("a"), dir.file("no/such/dir/b"), &error));
    EXPECT_NE(error.find("could not be written"), std::string::npos);
}

TEST(Files, ReadsRegularFilesOnlyAndNeverWaitsOnAPipe) {
    zephyra::test::TempDir dir;
    dir.write("a", std::string(200000, 'x'));
    ::mkfifo(dir.file("fifo").c_str(), 0600);
    std::filesystem::create_directory(dir.file("folder"));
    std::string text;
    EXPECT_TRUE(readFile(dir.file("a"), text));
    EXPECT_EQ(text.size(), 200000u);
    EXPECT_TRUE(readFile("/proc/self/cmdline", text));  // says size 0, yet has text
    EXPECT_FALSE(text.empty());
    for (const char* odd : {"fifo", "folder", "missing"}) {
        EXPECT_FALSE(readFile(dir.file(odd), text)) << odd;
        EXPECT_TRUE(text.empty()) << odd;
    }
}

TEST(Files, ASaveWritesStraightToDevicesPipesAndTheStandardOutputAndRefusesTheRest) {
    namespace fs = std::filesystem;
    zephyra::test::TempDir dir;
    // A device node in the folder (making one needs root; else the system's own).
    const std::string device = ::mknod(dir.file("null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0
                                   ? dir.file("null")
                                   : "/dev/null";
    fs::create_symlink(device, dir.file("null-link"));
    ::mkfifo(dir.file("pipe").c_str(), 0600);
    fs::create_symlink(dir.file("pipe"), dir.file("pipe-link"));
    const int reader = ::open(dir.file("pipe").c_str(), O_RDONLY | O_NONBLOCK);
    ::mkfifo(dir.file("unread").c_str(), 0600);
    fs::create_directory(dir.file("folder"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    dir.file("socket").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    // The standard output goes to a file opened for adding, as "--out /dev/stdout >> file" has it.
    const std::string added = dir.write("added.txt", "kept\n");
    std::fflush(stdout);
    const int savedOut = ::dup(1);
    const int appending = ::open(added.c_str(), O_WRONLY | O_APPEND);
    ::dup2(appending, 1);
    ::close(appending);

    const struct {
        const char* name;
        std::string path;
        std::string error;  // empty: written
    } cases[] = {
        {"a character device", device, ""},
        {"a link to a character device", dir.file("null-link"), ""},
        {"a pipe", dir.file("pipe"), ""},
        {"a link to a pipe", dir.file("pipe-link"), ""},
        {"the standard output", "/dev/stdout", ""},
        {"a folder", dir.file("folder"),
         "\"" + dir.file("folder") + "\" is a folder, not a file; nothing was written."},
        {"a socket", dir.file("socket"),
         "\"" + dir.file("socket") + "\" is a socket, not a file; nothing was written."},
        {"a pipe nothing reads", dir.file("unread"),
         "\"" + dir.file("unread") + "\" is a pipe that nothing reads from; nothing was written."},
    };
    std::vector<std::pair<std::string, std::string>> results;
    for (const auto& c : cases) {
        std::string error;
        const bool written = writeFile(c.path, std::string(c.name) + "\n", &error);
        results.emplace_back(written ? "" : error, c.error);
    }
    std::fflush(stdout);
    ::dup2(savedOut, 1);
    ::close(savedOut);
    for (std::size_t k = 0; k < results.size(); ++k) {
        EXPECT_EQ(results[k].first, results[k].second) << cases[k].name;
    }
    char piped[256] = {};
    EXPECT_EQ(std::string(piped, static_cast<std::size_t>(::read(reader, piped, sizeof piped))),
              "a pipe\na link to a pipe\n");
    ::close(reader);
    ::close(sock);
    EXPECT_EQ(dir.read("added.txt"), "kept\nthe standard output\n");
    // Each is what it was: nothing was put in its place.
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_TRUE(fs::is_symlink(dir.file("null-link")));
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir.file("pipe"))));
    EXPECT_TRUE(fs::is_symlink(dir.file("pipe-link")));
    EXPECT_TRUE(fs::is_fifo(dir.file("unread")));
    EXPECT_TRUE(fs::is_empty(dir.file("folder")));
    EXPECT_TRUE(fs::is_socket(dir.file("socket")));
}

TEST(Files, FindsNamesAndEveryPartOfAPathWhateverTheirCase) {
    zephyra::test::TempDir dir;
    dir.write("FLTSIM98.EXE", "x");
    EXPECT_EQ(findFileNoCase(dir.path(), "fltsim98.exe"), dir.file("FLTSIM98.EXE"));
    EXPECT_EQ(findFileNoCase(dir.path(), "fltsim98.cfg"), "");
    EXPECT_EQ(findFileNoCase(dir.file("nope"), "fltsim98.exe"), "");
    dir.write("FS98/TEXTURE/CLOUDS.R8", "c");
    dir.mkdir("FS98/Adv/WAV");
    const std::string root = dir.file("FS98");
    const std::pair<const char*, const char*> cases[] = {
        {"texture/clouds.r8", "TEXTURE/CLOUDS.R8"},    // found as spelled on disk
        {"texture/clouds.sav", "TEXTURE/clouds.sav"},  // to be created beside it
        {"adv/wav/thunder1.wav", "Adv/WAV/thunder1.wav"},
        {"modules/fs6ipc.dll", "modules/fs6ipc.dll"},  // nothing there: as given
    };
    for (const auto& [asked, found] : cases) {
        EXPECT_EQ(findPathNoCase(root, asked), root + "/" + found) << asked;
    }
}
