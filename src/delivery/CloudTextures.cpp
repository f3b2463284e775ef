#include "delivery/CloudTextures.h"

#include <filesystem>
#include <system_error>

namespace zephyra::delivery {

namespace {

bool between(double value, double low, double high) {
    return value >= low && value <= high;
}

}  // namespace

const char* cloudTextureFor(double base, double cover) {
    if (cover == 0) {
        return "CLR.CLD";
    }
    if (base == 0) {
        return nullptr;
    }
    if (cover >= 8) {
        return "OVCB.CLD";
    }
    if (base >= 18000) {
        if (between(cover, 1, 5)) {
            return "CIRD.CLD";
        }
        return between(cover, 6, 7) ? "DENSE.CL1" : nullptr;
    }
    if (between(cover, 1, 2)) {
        return "LIGHT.CL1";
    }
    if (between(cover, 3, 4)) {
        return "MED.CL2";
    }
    if (base < 10000) {
        return between(cover, 5, 7) ? "DENSE.CL1" : nullptr;
    }
    // 10000 to 17999 ft: fronts from 6 eighths.
    if (cover == 5) {
        return "DENSE.CL1";
    }
    return between(cover, 6, 7) ? "FRONTW.CLD" : nullptr;
}

bool installCloudTexture(const std::string& programFolder, const std::string& simulatorFolder,
                         double baseFeet, double coverEighths) {
    const char* name = cloudTextureFor(baseFeet, coverEighths);
    if (name == nullptr) {
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path destination = fs::path(simulatorFolder) / "texture" / "clouds.r8";
    fs::copy_file(fs::path(programFolder) / name, destination, fs::copy_options::overwrite_existing,
                  ec);
    return !ec;
}

}  // namespace zephyra::delivery
