#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace zephyra::assets {

// An 8-bit greyscale PNG of the given pixels (row-major, width * height bytes). The image data
// is kept in stored (uncompressed) deflate blocks: previews are small and this needs no zlib.
std::string encodeGreyPng(std::span<const std::uint8_t> pixels, int width, int height);

// The checksums PNG and zlib use, exposed for the tests.
std::uint32_t crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);
std::uint32_t adler32(std::span<const std::uint8_t> data);

}  // namespace zephyra::assets
