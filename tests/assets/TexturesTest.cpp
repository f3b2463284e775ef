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

// Mean absolute step between pixels (x, y) and (x + dx, y + dy).
double meanStep(const Texture& t, int dx, int dy) {
    double sum = 0;
    int n = 0;
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            sum += std::abs(px(t, x, y) - px(t, x + dx, y + dy));
            ++n;
        }
    }
    return sum / n;
}

// Mean absolute step across the boundary between row (or column) k and the next, wrapping.
double boundaryStep(const Texture& t, bool columns, int k, int from = 0, int to = N) {
    double sum = 0;
    for (int i = from; i < to; ++i) {
        sum += columns ? std::abs(px(t, k, i) - px(t, k + 1, i))
                       : std::abs(px(t, i, k) - px(t, i, k + 1));
    }
    return sum / (to - from);
}

// A texture tiles when the step across its edge is no bigger than the steps between neighbouring
// rows (columns) inside it; a picture that does not tile puts unrelated pixels side by side
// there, a step several times larger.
void expectSeamless(const Texture& t, bool columns, const std::string& name, int from = 0,
                    int to = N) {
    double inside = 0;
    for (int k = 0; k < N - 1; ++k) {
        inside = std::max(inside, boundaryStep(t, columns, k, from, to));
    }
    EXPECT_LE(boundaryStep(t, columns, N - 1, from, to), inside + 1.0)
        << name << (columns ? " across" : " down");
}

// ---- Format ---------------------------------------------------------------------------------

TEST(TextureFormat, EveryTextureIsA256By256ByteImageWithTheSameBytesOnEveryRun) {
    for (TextureKind kind : allKinds()) {
        EXPECT_EQ(texture(kind).size(), 65536u) << textureFileName(kind);
        EXPECT_EQ(makeTexture(kind), texture(kind)) << textureFileName(kind);
    }
}

TEST(TextureFormat, ProgramFolderCarriesTheNineNamedTextures) {
    std::vector<std::string> names;
    for (TextureKind kind : programFolderTextures()) {
        names.emplace_back(textureFileName(kind));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"LIGHT.CL1", "MED.CL2", "DENSE.CL1", "FRONTW.CLD",
                                               "OVCB.CLD", "CIRD.CLD", "CLR.CLD", "storm.cld",
                                               "lightn.fsc"}));
    EXPECT_EQ(textureFileName(TextureKind::SimClouds), "clouds.r8");
    EXPECT_EQ(textureFileName(TextureKind::SimStorm), "stormy.r8");
}

TEST(TextureFormat, EveryKindIsItsOwnPicture) {
    const auto& kinds = allKinds();
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        for (std::size_t j = i + 1; j < kinds.size(); ++j) {
            const Texture& a = texture(kinds[i]);
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

// ---- Cloud amounts --------------------------------------------------------------------------

// Cumulus matches its eighths, and the cover grows from clear to overcast.
TEST(TextureCoverage, EachLayerCoversItsShare) {
    const struct {
        TextureKind kind;
        double least, most;
    } cases[] = {
        {TextureKind::LightCumulus, 1.0 / 8, 2.0 / 8},
        {TextureKind::MediumCumulus, 3.0 / 8, 4.0 / 8},
        {TextureKind::DenseCumulus, 5.0 / 8, 7.0 / 8},
        {TextureKind::SimClouds, 0.25, 0.75},
    };
    for (const auto& c : cases) {
        const double cover = coverage(texture(c.kind));
        EXPECT_GE(cover, c.least) << textureFileName(c.kind);
        EXPECT_LE(cover, c.most) << textureFileName(c.kind);
    }
    EXPECT_LT(coverage(texture(TextureKind::Clear)), coverage(texture(TextureKind::LightCumulus)));
    EXPECT_LT(coverage(texture(TextureKind::DenseCumulus)),
              coverage(texture(TextureKind::Overcast)));
    EXPECT_GT(cloudMean(texture(TextureKind::SimClouds)), 140.0);  // the simulator's: bright
}

TEST(TextureCoverage, ClearIsAlmostEmptyAndOnlyFaint) {
    const Texture& t = texture(TextureKind::Clear);
    EXPECT_LT(coverage(t), 0.02);
    EXPECT_LE(*std::max_element(t.begin(), t.end()), 40);
    // Faint, but not an empty file.
    EXPECT_GT(std::count_if(t.begin(), t.end(), [](auto v) { return v > 0; }), 500);
}

TEST(TextureCoverage, OvercastIsAnEvenGreySheet) {
    const Texture& t = texture(TextureKind::Overcast);
    EXPECT_EQ(std::count(t.begin(), t.end(), 0), 0);
    const double mean = cloudMean(t);
    double var = 0;
    for (auto v : t) {
        var += (v - mean) * (v - mean);
    }
    const double sd = std::sqrt(var / static_cast<double>(t.size()));
    EXPECT_GT(mean, 100.0);
    EXPECT_LT(mean, 220.0);
    EXPECT_GT(sd, 2.0);  // softly textured, not flat
    EXPECT_LT(sd, 20.0);
}

// ---- Shapes ---------------------------------------------------------------------------------

TEST(TextureShape, CirrusStreaksRunAlongTheWind) {
    const Texture& t = texture(TextureKind::Cirrus);
    // The streaks slant about 2 across for 1 up; along them brightness changes far more slowly
    // than across them.
    const double along = meanStep(t, 2, -1);
    const double across = meanStep(t, 1, 2);
    EXPECT_GT(across, 1.5 * along);
    EXPECT_LT(cloudMean(t), cloudMean(texture(TextureKind::MediumCumulus)));
}

TEST(TextureShape, FrontalHasADarkBandBetweenLighterLayers) {
    const Texture& t = texture(TextureKind::Frontal);
    auto rows = [&](int y0, int y1) {
        Texture band(t.begin() + y0 * N, t.begin() + y1 * N);
        return std::pair{coverage(band), cloudMean(band)};
    };
    const auto [middleCover, middleMean] = rows(120, 145);
    const auto [upperCover, upperMean] = rows(62, 75);
    EXPECT_GT(middleCover, 0.95);
    EXPECT_LT(middleMean, 100.0);
    EXPECT_GT(upperMean, middleMean + 40.0);
}

TEST(TextureShape, StormsAreDarkAndSolid) {
    const double cumulus = cloudMean(texture(TextureKind::MediumCumulus));
    for (TextureKind kind : {TextureKind::Storm, TextureKind::SimStorm}) {
        const Texture& t = texture(kind);
        EXPECT_LT(cloudMean(t), cumulus - 60.0) << textureFileName(kind);
        EXPECT_LT(*std::max_element(t.begin(), t.end()), 200) << textureFileName(kind);
    }
    EXPECT_GT(coverage(texture(TextureKind::SimStorm)), 0.99);
    // The storm picture: sky above the towers, solid cloud at the bottom.
    const Texture& storm = texture(TextureKind::Storm);
    EXPECT_LT(coverage(Texture(storm.begin(), storm.begin() + 10 * N)), 0.2);
    EXPECT_GT(coverage(Texture(storm.end() - 60 * N, storm.end())), 0.97);
}

TEST(TextureShape, LightningBoltsAreLongBrightLines) {
    const Texture& storm = texture(TextureKind::Storm);
    const Texture& lightning = texture(TextureKind::Lightning);
    EXPECT_EQ(std::count_if(storm.begin(), storm.end(), [](auto v) { return v >= 250; }), 0);
    int brightest = 0;
    int firstRow = N;
    int lastRow = -1;
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            if (px(lightning, x, y) >= 250) {
                ++brightest;
                firstRow = std::min(firstRow, y);
                lastRow = std::max(lastRow, y);
            }
        }
    }
    // Thin lines, not a flash over the whole picture, and reaching well down.
    EXPECT_GT(brightest, 300);
    EXPECT_LT(brightest, 65536 / 20);
    EXPECT_GT(lastRow - firstRow, 80);
    // Besides the bolts it is still a dark storm.
    EXPECT_LT(cloudMean(lightning), cloudMean(texture(TextureKind::MediumCumulus)));
}

// ---- Tiling ---------------------------------------------------------------------------------

TEST(TextureTiling, LayerTexturesRepeatWithoutSeams) {
    for (TextureKind kind :
         {TextureKind::LightCumulus, TextureKind::MediumCumulus, TextureKind::DenseCumulus,
          TextureKind::Frontal, TextureKind::Overcast, TextureKind::Cirrus, TextureKind::Clear,
          TextureKind::SimClouds, TextureKind::SimStorm}) {
        const std::string name(textureFileName(kind));
        expectSeamless(texture(kind), true, name);
        expectSeamless(texture(kind), false, name);
    }
}

TEST(TextureTiling, StormPicturesRepeatAcross) {
    for (TextureKind kind : {TextureKind::Storm, TextureKind::Lightning}) {
        expectSeamless(texture(kind), true, std::string(textureFileName(kind)));
    }
}

}  // namespace
