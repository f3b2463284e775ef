#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zephyra::assets {

// FS98 cloud textures (".r8" and the program's own names for them) are raw 256x256 images:
// exactly 65,536 bytes, one byte per pixel, rows top to bottom, no header.
//
// Each byte is a brightness/density index: 0 is empty sky (nothing drawn), higher values are
// thicker, brighter cloud up to 255. Dark clouds (frontal, storm) keep most pixels non-zero but
// low, so they read as solid and dark; lightning is the brightest thing in its texture.
//
// Everything is drawn procedurally from fixed seeds, so a build always ships the same bytes (with
// another maths library a few pixels may differ by one).
// The layer textures tile seamlessly in both directions; the two storm pictures tile across.
inline constexpr int kTextureSide = 256;
inline constexpr std::size_t kTextureBytes = 65536;

enum class TextureKind {
    LightCumulus,   // LIGHT.CL1: 1-2 eighths of small, sparse cumulus
    MediumCumulus,  // MED.CL2: 3-4 eighths
    DenseCumulus,   // DENSE.CL1: 5-7 eighths
    Frontal,        // FRONTW.CLD: layered cloud with a dark band
    Overcast,       // OVCB.CLD: nearly uniform grey, softly textured
    Cirrus,         // CIRD.CLD: thin wispy streaks
    Clear,          // CLR.CLD: almost nothing, very faint
    Storm,          // storm.cld: dark towering storm cloud
    Lightning,      // lightn.fsc: storm cloud with lightning bolts
    SimClouds,      // the built-in simulator's default texture/clouds.r8: plain puffy cloud
    SimStorm,       // the built-in simulator's default texture/stormy.r8
};

using Texture = std::vector<std::uint8_t>;

// The 65,536-byte image for a kind.
Texture makeTexture(TextureKind kind);

// The file name a kind ships under ("LIGHT.CL1", ..., "clouds.r8", "stormy.r8").
std::string_view textureFileName(TextureKind kind);

// The nine textures the program folder carries, in a fixed order.
std::span<const TextureKind> programFolderTextures();

}  // namespace zephyra::assets
