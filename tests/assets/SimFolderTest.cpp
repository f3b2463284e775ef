#include "assets/SimFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string>

#include "assets/Textures.h"
#include "support/TempDir.h"

using namespace zephyra::assets;
using zephyra::test::TempDir;
namespace fs = std::filesystem;

namespace {

// Drawn once per run: textures take a while in unoptimised builds.
const std::string& bytes(TextureKind kind) {
    static std::map<TextureKind, std::string> cache;
    auto it = cache.find(kind);
    if (it == cache.end()) {
        const Texture t = makeTexture(kind);
        it = cache.emplace(kind, std::string(t.begin(), t.end())).first;
    }
    return it->second;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Nine named textures, and an FS98-like folder without the files only a real FS98 has.
TEST(ShippedFiles, TexturesAndASimulatorFolderLaidOutLikeFs98) {
    TempDir dir;
    std::string error;
    ASSERT_TRUE(writeShippedFiles(dir.file("bin"), &error)) << error;  // created on the way
    const char* names[] = {"LIGHT.CL1", "MED.CL2", "DENSE.CL1", "FRONTW.CLD", "OVCB.CLD",
                           "CIRD.CLD",  "CLR.CLD", "storm.cld", "lightn.fsc"};
    ASSERT_EQ(programFolderTextures().size(), std::size(names));
    for (std::size_t i = 0; i < std::size(names); ++i) {
        EXPECT_EQ(textureFileName(programFolderTextures()[i]), names[i]);
        EXPECT_EQ(dir.read(std::string("bin/") + names[i]), bytes(programFolderTextures()[i]))
            << names[i];
    }
    const std::string sim = builtInSimFolder(dir.file("bin"));
    EXPECT_EQ(sim, dir.file("bin/FS98"));
    EXPECT_TRUE(isBuiltInSimFolder(sim));
    EXPECT_TRUE(dir.exists("bin/FS98/fltsim98.exe"));
    EXPECT_TRUE(dir.exists("bin/FS98/fltsim98.cfg"));

    EXPECT_EQ(dir.read("bin/FS98/texture/clouds.r8"), bytes(TextureKind::SimClouds));
    EXPECT_EQ(dir.read("bin/FS98/texture/stormy.r8"), bytes(TextureKind::SimStorm));
    for (const char* folder : {"bin/FS98/modules", "bin/FS98/adv/wav"}) {
        ASSERT_TRUE(fs::is_directory(dir.file(folder))) << folder;
        EXPECT_TRUE(fs::is_empty(dir.file(folder))) << folder;
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        const std::string name = lower(entry.path().filename().string());
        EXPECT_NE(name, "fs6ipc.dll");
        EXPECT_FALSE(name.ends_with(".wav") || name.ends_with(".adv")) << name;
    }
}

// A rebuild keeps swapped-in and edited files and restores missing or damaged ones.
TEST(ShippedFiles, RebuildKeepsUserStateAndRestoresTheRest) {
    TempDir dir;
    ASSERT_TRUE(writeShippedFiles(dir.path()));
    dir.write("FS98/texture/clouds.r8", bytes(TextureKind::Cirrus));
    dir.write("FS98/texture/stormy.r8", "short");
    dir.write("FS98/fltsim98.cfg", "[Aircraft]\nTitle=Mine\n");
    dir.write("LIGHT.CL1", "junk");
    ASSERT_TRUE(writeShippedFiles(dir.path()));
    EXPECT_EQ(dir.read("FS98/texture/clouds.r8"), bytes(TextureKind::Cirrus));
    EXPECT_EQ(dir.read("FS98/texture/stormy.r8"), "short");
    EXPECT_EQ(dir.read("FS98/fltsim98.cfg"), "[Aircraft]\nTitle=Mine\n");
    EXPECT_EQ(dir.read("LIGHT.CL1"), bytes(TextureKind::LightCumulus));
    fs::remove(dir.file("FS98/texture/stormy.r8"));
    ASSERT_TRUE(writeShippedFiles(dir.path()));
    EXPECT_EQ(dir.read("FS98/texture/stormy.r8"), bytes(TextureKind::SimStorm));
}

TEST(ShippedFiles, FailureSaysWhy) {
    TempDir dir;
    dir.write("not-a-folder", "x");
    std::string error;
    EXPECT_FALSE(writeShippedFiles(dir.file("not-a-folder"), &error));
    EXPECT_NE(error.find("not-a-folder"), std::string::npos) << error;

    // A file where the simulator folder should be.
    dir.write("program/FS98", "x");
    error.clear();
    EXPECT_FALSE(writeShippedFiles(dir.file("program"), &error));
    EXPECT_NE(error.find("FS98"), std::string::npos) << error;
}

TEST(SimFolderMarker, OnlyTheExactMarkerCounts) {
    TempDir dir;
    EXPECT_FALSE(isBuiltInSimFolder(dir.path()));
    dir.write("a/zephyra-sim.ini", "[Zephyra]\r\nBuiltInSimulator = 1\r\n");
    EXPECT_TRUE(isBuiltInSimFolder(dir.file("a")));
    dir.write("b/zephyra-sim.ini", "[Zephyra]\nBuiltInSimulator=0\n");
    EXPECT_FALSE(isBuiltInSimFolder(dir.file("b")));
    dir.write("c/zephyra-sim.ini", "[Other]\nBuiltInSimulator=1\n");
    EXPECT_FALSE(isBuiltInSimFolder(dir.file("c")));
}

}  // namespace
