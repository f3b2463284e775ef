#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "builder/WeatherBuilder.h"
#include "flightplan/PlanFile.h"
#include "help/QuickLinks.h"
#include "shell/ParamFile.h"
#include "support/SmallFilesystem.h"

// Every file the user keeps is replaced whole or not at all.

using namespace zephyra;

namespace {

using Save = std::function<bool(const std::string& path, std::string* error)>;

struct Saver {
    const char* name;
    Save save;
};

flightplan::PlanStore longPlan() {
    flightplan::PlanStore plan;
    for (int k = 0; k < 600; ++k) {
        plan.append({"WPT" + std::to_string(k) + " VOR-DME " + std::to_string(100 + k % 900),
                     "35000", "480", 51.0 - k * 0.14, -0.4 + k * 0.25, 35000, 480});
    }
    return plan;
}

std::vector<Saver> savers() {
    return {
        {"plan",
         [](const std::string& path, std::string* error) {
             return flightplan::savePlanFile(path, longPlan(), error);
         }},
        {"Builder plan",
         [](const std::string& path, std::string* error) {
             builder::WeatherBuilder b;
             b.plan = longPlan();
             return b.saveFile(path, error);
         }},
        {"vane98.par",
         [](const std::string& path, std::string* error) {
             return shell::writeParamFile(path, shell::Settings{}, std::nullopt, error);
         }},
        {"quick.txt",
         [](const std::string& path, std::string* error) {
             return help::saveQuickLinks(path, {"https://example.org", "Empty"}, error);
         }},
    };
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(Saves, AFullDiskFailsWithTheReasonAndLeavesTheOldFile) {
    for (const auto& saver : savers()) {
        SCOPED_TRACE(saver.name);
        test::SmallFilesystem fs;
        if (!fs.mounted()) {
            GTEST_SKIP() << fs.why();
        }
        const std::string old = "the file as it was\r\n" + std::string(3000, 'o');
        const std::string path = fs.dir().write("kept.fpl", old);
        fs.fill();
        std::string error;
        EXPECT_FALSE(saver.save(path, &error));
        EXPECT_EQ(error, "\"" + path + "\" could not be written (No space left on device).");
        EXPECT_EQ(fs.dir().read("kept.fpl"), old);
        EXPECT_EQ(namesIn(fs.dir().path()), (std::vector<std::string>{"filler", "kept.fpl"}));
    }
}

TEST(Saves, ASaveReplacesTheWholeFileAndKeepsItsPermissions) {
    for (const auto& saver : savers()) {
        SCOPED_TRACE(saver.name);
        test::TempDir dir;
        const std::string path = dir.write("kept.fpl", std::string(500000, '\x01'));
        std::filesystem::permissions(path, std::filesystem::perms(0640));
        std::string error;
        ASSERT_TRUE(saver.save(path, &error)) << error;
        const std::string text = dir.read("kept.fpl");
        EXPECT_EQ(text.find('\x01'), std::string::npos);  // nothing of the longer old file is left
        EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"kept.fpl"});

        // Through a link the file it names is replaced and the link stays.
        const std::string link = dir.file("link.fpl");
        std::filesystem::create_symlink(path, link);
        ASSERT_TRUE(saver.save(link, &error)) << error;
        EXPECT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(dir.read("kept.fpl"), text);

        EXPECT_FALSE(saver.save(dir.file("no/such/folder/kept.fpl"), &error));
        EXPECT_EQ(error, "\"" + dir.file("no/such/folder/kept.fpl") +
                             "\" could not be written (No such file or directory).");
    }
}

}  // namespace
