// The order of the system calls of an all-or-nothing write, seen from inside the program: this
// test program's own fsync and rename are found before the C library's, note each call while a
// write is watched, and hand it on. (They live in a test program of their own.)

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string>* watched = nullptr;

std::string pathOf(int fd) {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), ec).string();
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int fsync(int fd) {
    if (watched != nullptr) {
        watched->push_back("fsync " + pathOf(fd));
    }
    static const auto real = next<int (*)(int)>("fsync");
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept {
    if (watched != nullptr) {
        watched->push_back("rename " + std::string(from) + " " + to);
    }
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    return real(from, to);
}

namespace {

// The new contents reach the disk under the temporary name before the rename puts them in the
// old file's place, and the folder follows the rename.
TEST(AtomicWrite, SyncsTheNewFileBeforeTheRenameAndTheFolderAfter) {
    zephyra::test::TempDir dir;
    const std::string folder = std::filesystem::canonical(dir.path()).string();
    dir.write("plan.fpl", "old");
    std::vector<std::string> calls;
    watched = &calls;
    const bool written = zephyra::platform::writeFile(folder + "/plan.fpl", "new");
    watched = nullptr;
    ASSERT_TRUE(written);
    EXPECT_EQ(dir.read("plan.fpl"), "new");
    ASSERT_EQ(calls.size(), 3u) << ::testing::PrintToString(calls);
    const std::string temporary = calls[0].substr(std::string("fsync ").size());
    EXPECT_TRUE(temporary.starts_with(folder + "/.plan.fpl.")) << calls[0];
    EXPECT_EQ(calls[1], "rename " + temporary + " " + folder + "/plan.fpl");
    EXPECT_EQ(calls[2], "fsync " + folder);
}

}  // namespace
