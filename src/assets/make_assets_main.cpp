// zephyra-assets: writes the shipped cloud textures and the built-in simulator's folder into a
// program folder; the build runs it on its own bin folder. --png also writes greyscale previews
// of every texture, for a person to look at.

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "assets/Png.h"
#include "assets/SimFolder.h"
#include "assets/Textures.h"
#include "platform/Files.h"

namespace {

using namespace zephyra;

int usage() {
    std::fprintf(stderr, "usage: zephyra-assets PROGRAM_FOLDER [--png DIR]\n");
    return 2;
}

bool writePreviews(const std::string& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    for (int k = 0; k <= static_cast<int>(assets::TextureKind::SimStorm); ++k) {
        const auto kind = static_cast<assets::TextureKind>(k);
        const auto pixels = assets::makeTexture(kind);
        const std::string png =
            assets::encodeGreyPng(pixels, assets::kTextureSide, assets::kTextureSide);
        const std::string name = std::string(assets::textureFileName(kind)) + ".png";
        std::string error;
        if (!platform::writeFile(platform::joinPath(folder, name), png, &error)) {
            std::fprintf(stderr, "zephyra-assets: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    std::string programFolder;
    std::string pngFolder;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--png" && i + 1 < argc) {
            pngFolder = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            usage();
            return 0;
        } else if (!arg.empty() && arg.front() != '-' && programFolder.empty()) {
            programFolder = arg;
        } else {
            return usage();
        }
    }
    if (programFolder.empty()) {
        return usage();
    }
    std::string error;
    if (!assets::writeShippedFiles(programFolder, &error)) {
        std::fprintf(stderr, "zephyra-assets: %s\n", error.c_str());
        return 1;
    }
    if (!pngFolder.empty() && !writePreviews(pngFolder)) {
        return 1;
    }
    return 0;
}
