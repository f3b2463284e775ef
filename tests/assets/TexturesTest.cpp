#include "assets/Textures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

using namespace zephyra::assets;

namespace {

constexpr int N = kTextureSide;

const std::vector<TextureKind>& allKinds() {
    static const std::vector<TextureKind> kinds{
        TextureKind::LightCumulus, TextureKind::MediumCumulus, TextureKind::DenseCumulus,
        TextureKind::Frontal,      TextureKind::Overcast,      TextureKind::Cirrus,
        TextureKind::Clear,        TextureKind::Storm,         TextureKind::Lightning,
        TextureKind::SimClouds,    TextureKind::SimStorm};
    return kinds;
}

// Textures are costly enough to draw that each is made once for the whole run.
const Texture& texture(TextureKind kind) {
    static std::map<TextureKind, Texture> cache;
    auto it = cache.find(kind);
    if (it == cache.end()) {
        it = cache.emplace(kind, makeTexture(kind)).first;
    }
    return it->second;
}

int px(const Texture& t, int x, int y) {
    return t[static_cast<std::size_t>(((y % N + N) % N) * N + (x % N + N) % N)];
}

// Share of pixels showing visible cloud.
double coverage(const Texture& t) {
    return static_cast<double>(std::count_if(t.begin(), t.end(), [](auto v) { return v >= 16; })) /
           static_cast<double>(t.size());
}

// Mean brightness of the pixels that have cloud at all.
double cloudMean(const Texture& t) {
    double sum = 0;
    int n = 0;
    for (auto v : t) {
        if (v > 0) {
            sum += v;
            ++n;
        }
    }
    return n == 0 ? 0.0 : sum / n;
}

// Mean absolute step across the boundary between row (or column) k and the next, wrapping.
double boundaryStep(const Texture& t, bool columns, int k) {
    double sum = 0;
    for (int i = 0; i < N; ++i) {
        sum += columns ? std::abs(px(t, k, i) - px(t, k + 1, i))
                       : std::abs(px(t, i, k) - px(t, i, k + 1));
    }
    return sum / N;
}

// A texture tiles when the step across its edge is no bigger than the steps inside it.
void expectSeamless(const Texture& t, bool columns, const std::string& name) {
    double inside = 0;
    for (int k = 0; k < N - 1; ++k) {
        inside = std::max(inside, boundaryStep(t, columns, k));
    }
    EXPECT_LE(boundaryStep(t, columns, N - 1), inside + 1.0)
        << name << (columns ? " across" : " down");
}

TEST(TextureFormat, EveryKindIsItsOwn256By256Picture) {
    const auto& kinds = allKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        const Texture& a = texture(kinds[i]);
        EXPECT_EQ(a.size(), 65536u) << textureFileName(kinds[i]);
        for (std::size_t j = i + 1; j < kinds.size(); ++j) {
            const Texture& b = texture(kinds[j]);
            // Shared empty sky does not count: of the pixels where either has cloud, most differ.
            int cloudy = 0;
            int same = 0;
            for (std::size_t p = 0; p < a.size(); ++p) {
                if (a[p] != 0 || b[p] != 0) {
                    ++cloudy;
                    same += a[p] == b[p] ? 1 : 0;
                }
            }
            EXPECT_LT(same, cloudy / 4)
                << textureFileName(kinds[i]) << " vs " << textureFileName(kinds[j]);
        }
    }
}

// Cumulus matches its eighths, clear is faint, overcast a full sheet, storms dark.
TEST(TextureCoverage, EachLayerCoversItsShareAtItsBrightness) {
    const struct {
        TextureKind kind;
        double least, most, darkest, brightest;  // cover, and mean brightness of the cloud
    } cases[] = {
        {TextureKind::LightCumulus, 1.0 / 8, 2.0 / 8, 0, 255},
        {TextureKind::MediumCumulus, 3.0 / 8, 4.0 / 8, 0, 255},
        {TextureKind::DenseCumulus, 5.0 / 8, 7.0 / 8, 0, 255},
        {TextureKind::SimClouds, 0.25, 0.75, 140, 255},
        {TextureKind::Clear, 0, 0.02, 0, 40},
        {TextureKind::Overcast, 1, 1, 100, 220},
        {TextureKind::SimStorm, 0.99, 1, 0, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(textureFileName(c.kind));
        const Texture& t = texture(c.kind);
        EXPECT_GE(coverage(t), c.least);
        EXPECT_LE(coverage(t), c.most);
        EXPECT_GE(cloudMean(t), c.darkest);
        EXPECT_LE(cloudMean(t), c.brightest);
    }
}

// Layers repeat both ways, the storm pictures across only.
TEST(TextureTiling, TexturesRepeatWithoutSeams) {
    for (TextureKind kind : allKinds()) {
        const bool storm = kind == TextureKind::Storm || kind == TextureKind::Lightning;
        expectSeamless(texture(kind), true, std::string(textureFileName(kind)));
        if (!storm) {
            expectSeamless(texture(kind), false, std::string(textureFileName(kind)));
        }
    }
}

}  // namespace
