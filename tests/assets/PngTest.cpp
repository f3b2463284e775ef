#include "assets/Png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

using namespace zephyra::assets;

namespace {

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 2])) << 8) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3]));
}

struct Chunk {
    std::string type;
    std::string data;
    bool crcOk;
};

std::vector<Chunk> chunks(const std::string& png) {
    std::vector<Chunk> out;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t len = bigEndian(png, at);
        if (at + 12 + len > png.size()) {
            break;
        }
        const std::string typeAndData = png.substr(at + 4, 4 + len);
        out.push_back({typeAndData.substr(0, 4), typeAndData.substr(4),
                       crc32(bytesOf(typeAndData)) == bigEndian(png, at + 8 + len)});
        at += 12 + len;
    }
    return out;
}

std::vector<std::uint8_t> gradient(int w, int h) {
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w * h));
    for (std::size_t i = 0; i < px.size(); ++i) {
        px[i] = static_cast<std::uint8_t>((i * 7 + i / 13) & 0xFF);
    }
    return px;
}

// The stream's Adler sum is checked by zlib below.
TEST(PngChecksums, KnownCheckValues) {
    EXPECT_EQ(crc32(bytesOf("123456789")), 0xCBF43926u);
    EXPECT_EQ(crc32(bytesOf("")), 0u);
}

TEST(PngEncoding, ChunkLayoutAndHeader) {
    const auto px = gradient(256, 256);
    const std::string png = encodeGreyPng(px, 256, 256);
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    const auto cs = chunks(png);
    ASSERT_EQ(cs.size(), 3u);
    EXPECT_EQ(cs[0].type, "IHDR");
    EXPECT_EQ(cs[1].type, "IDAT");
    EXPECT_EQ(cs[2].type, "IEND");
    for (const auto& c : cs) {
        EXPECT_TRUE(c.crcOk) << c.type;
    }
    ASSERT_EQ(cs[0].data.size(), 13u);
    EXPECT_EQ(bigEndian(cs[0].data, 0), 256u);
    EXPECT_EQ(bigEndian(cs[0].data, 4), 256u);
    EXPECT_EQ(cs[0].data[8], 8);  // bit depth
    EXPECT_EQ(cs[0].data[9], 0);  // greyscale
}

TEST(PngEncoding, NothingForAnImpossibleImage) {
    EXPECT_TRUE(encodeGreyPng({}, 0, 0).empty());
    EXPECT_TRUE(encodeGreyPng(gradient(4, 4), 5, 5).empty());
    EXPECT_TRUE(encodeGreyPng(gradient(4, 4), -4, 4).empty());
}

// zlib, an independent decoder, must get back the scanlines: filter byte 0, then the pixels;
// in one stored block, in several (65,535 bytes at most each), and ending on a block boundary.
TEST(PngEncoding, ZlibDecodesTheScanlines) {
    for (const auto& [w, h] : {std::pair{17, 9}, {256, 256}, {65534, 1}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const auto px = gradient(w, h);
        const auto cs = chunks(encodeGreyPng(px, w, h));
        ASSERT_EQ(cs.size(), 3u);
        const std::string& z = cs[1].data;
        std::vector<std::uint8_t> raw(static_cast<std::size_t>((w + 1) * h) + 16);
        uLongf rawLen = static_cast<uLongf>(raw.size());
        ASSERT_EQ(uncompress(raw.data(), &rawLen, reinterpret_cast<const Bytef*>(z.data()),
                             static_cast<uLong>(z.size())),
                  Z_OK);
        ASSERT_EQ(rawLen, static_cast<uLongf>((w + 1) * h));
        for (int y = 0; y < h; ++y) {
            const auto row = static_cast<std::size_t>(y * (w + 1));
            EXPECT_EQ(raw[row], 0) << y;
            EXPECT_TRUE(std::equal(px.begin() + y * w, px.begin() + (y + 1) * w,
                                   raw.begin() + static_cast<std::ptrdiff_t>(row + 1)))
                << y;
        }
    }
}

}  // namespace
