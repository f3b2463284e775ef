#pragma once

#include <string>

namespace zephyra::delivery {

// The simulator draws every cloud with one texture, "clouds.r8". With new clouds on, the
// program copies one of its own pictures over it, chosen by the height band of the layer's
// base (below 10000 ft, 10000 to 17999 ft, 18000 ft and up) and its cover in eighths.

// The picture for a layer, or null when none is copied (a base of 0 with some cover, or a
// cover out of range).
const char* cloudTextureFor(double baseFeet, double coverEighths);

// Copies the chosen picture from the program folder over the simulator's
// texture/clouds.r8. Any failure is quiet: the previous texture stays. True when a file was
// copied.
bool installCloudTexture(const std::string& programFolder, const std::string& simulatorFolder,
                         double baseFeet, double coverEighths);

}  // namespace zephyra::delivery
