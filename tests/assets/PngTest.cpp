#include "assets/Png.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include <zlib.h>

using zephyra::assets::encodeGreyPng;

namespace {

std::uint32_t bigEndian(const std::string& s, std::size_t at) {
    return (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at])) << 24) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 2])) << 8) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[at + 3]));
}

struct Chunk {
    std::string type;
    std::string data;
    bool crcOk;  // by zlib's CRC, independent of ours
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
        const auto crc = ::crc32(0, reinterpret_cast<const Bytef*>(typeAndData.data()),
                                 static_cast<uInt>(typeAndData.size()));
        out.push_back(
            {typeAndData.substr(0, 4), typeAndData.substr(4), crc == bigEndian(png, at + 8 + len)});
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

// zlib must get back the scanlines from one stored block, several, and one ending on a boundary.
TEST(PngEncoding, ChunksAndScanlinesDecodeWithZlib) {
    for (const auto& [w, h] : {std::pair{17, 9}, {256, 256}, {65534, 1}}) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const auto px = gradient(w, h);
        const std::string png = encodeGreyPng(px, w, h);
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
        const auto cs = chunks(png);
        ASSERT_EQ(cs.size(), 3u);
        EXPECT_EQ(cs[0].type + cs[1].type + cs[2].type, "IHDRIDATIEND");
        for (const auto& c : cs) {
            EXPECT_TRUE(c.crcOk) << c.type;
        }
        ASSERT_EQ(cs[0].data.size(), 13u);
        EXPECT_EQ(bigEndian(cs[0].data, 0), static_cast<std::uint32_t>(w));
        EXPECT_EQ(bigEndian(cs[0].data, 4), static_cast<std::uint32_t>(h));
        EXPECT_EQ(cs[0].data[8], 8);  // bit depth
        EXPECT_EQ(cs[0].data[9], 0);  // greyscale
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

TEST(PngEncoding, NothingForAnImpossibleImage) {
    EXPECT_TRUE(encodeGreyPng({}, 0, 0).empty());
    EXPECT_TRUE(encodeGreyPng(gradient(4, 4), 5, 5).empty());
    EXPECT_TRUE(encodeGreyPng(gradient(4, 4), -4, 4).empty());
}

}  // namespace
