#include "assets/Textures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace zephyra::assets {

namespace {

constexpr int N = kTextureSide;
constexpr double kPi = std::numbers::pi;

// ---- Randomness -----------------------------------------------------------------------------
// Own generator and hashing rather than <random> distributions, whose output differs between
// standard libraries: the shipped bytes must not depend on the toolchain's library.

std::uint64_t mix64(std::uint64_t z) {
    z += 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double toUnit(std::uint64_t bits) {
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

class Rng {
  public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    double next() {
        state_ += 0x9E3779B97F4A7C15ull;
        return toUnit(mix64(state_));
    }
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }

  private:
    std::uint64_t state_;
};

double latticeValue(int ix, int iy, std::uint64_t seed) {
    const auto key = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(ix)) << 32) |
                     static_cast<std::uint32_t>(iy);
    return toUnit(mix64(key ^ mix64(seed)));
}

int wrap(int i, int period) {
    const int m = i % period;
    return m < 0 ? m + period : m;
}

double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}

// Value noise on a lattice that repeats every periodU x periodV cells, so anything sampled over
// whole periods tiles.
double valueNoise(double u, double v, int periodU, int periodV, std::uint64_t seed) {
    const double fu = std::floor(u);
    const double fv = std::floor(v);
    const int iu = static_cast<int>(fu);
    const int iv = static_cast<int>(fv);
    const double tu = fade(u - fu);
    const double tv = fade(v - fv);
    const int u0 = wrap(iu, periodU);
    const int u1 = wrap(iu + 1, periodU);
    const int v0 = wrap(iv, periodV);
    const int v1 = wrap(iv + 1, periodV);
    const double a = latticeValue(u0, v0, seed);
    const double b = latticeValue(u1, v0, seed);
    const double c = latticeValue(u0, v1, seed);
    const double d = latticeValue(u1, v1, seed);
    const double top = a + (b - a) * tu;
    const double bottom = c + (d - c) * tu;
    return top + (bottom - top) * tv;
}

// Fractal sum of octaves in tile units: (u, v) of (1, 0) or (0, 1) is one whole repeat, so the
// result tiles whenever u and v move by integers across the texture.
struct Fbm {
    std::uint64_t seed = 1;
    int cellsU = 4;  // lattice cells per tile unit in the first octave
    int cellsV = 4;
    int octaves = 5;
    double gain = 0.5;

    double operator()(double u, double v) const {
        double sum = 0.0;
        double norm = 0.0;
        double amp = 1.0;
        int cu = cellsU;
        int cv = cellsV;
        for (int o = 0; o < octaves; ++o) {
            const std::uint64_t octaveSeed = seed + static_cast<std::uint64_t>(o);
            // Each octave is shifted by a fraction of a cell: value noise is flat at lattice
            // lines, and unshifted octaves would all line up there into a faint grid.
            const double shiftU = latticeValue(-1, o, octaveSeed);
            const double shiftV = latticeValue(o, -1, octaveSeed);
            sum += amp * valueNoise(u * cu + shiftU, v * cv + shiftV, cu, cv, octaveSeed);
            norm += amp;
            amp *= gain;
            cu *= 2;
            cv *= 2;
        }
        return sum / norm;
    }
};

// ---- Fields ---------------------------------------------------------------------------------

using Field = std::vector<double>;

Field makeField(double value = 0.0) {
    return Field(kTextureBytes, value);
}

std::size_t index(int x, int y) {
    return static_cast<std::size_t>(wrap(y, N) * N + wrap(x, N));
}

double at(const Field& f, int x, int y) {
    return f[index(x, y)];
}

template <typename F>
Field generate(F&& fn) {
    Field f = makeField();
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            f[index(x, y)] = fn(x, y);
        }
    }
    return f;
}

// Pixel centre in tile units.
double unit(int p) {
    return (p + 0.5) / N;
}

// a - b across a wrapping unit width, in -0.5..0.5.
double wrappedOffset(double a, double b) {
    return a - b - std::round(a - b);
}

double clamp01(double v) {
    return std::clamp(v, 0.0, 1.0);
}

double smoothstep(double e0, double e1, double v) {
    const double t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0 - 2.0 * t);
}

// The value below which the given fraction of the field lies.
double quantile(const Field& f, double q) {
    Field copy = f;
    const auto k = static_cast<std::size_t>(clamp01(q) * static_cast<double>(copy.size() - 1));
    std::nth_element(copy.begin(), copy.begin() + static_cast<std::ptrdiff_t>(k), copy.end());
    return copy[k];
}

// Light from the upper left: the slope of the field along that direction, for a relief look.
double relief(const Field& f, int x, int y, int step) {
    return at(f, x - step, y - step) - at(f, x + step, y + step);
}

Texture toTexture(const Field& f) {
    Texture t(kTextureBytes);
    for (std::size_t i = 0; i < kTextureBytes; ++i) {
        t[i] = static_cast<std::uint8_t>(std::lround(std::clamp(f[i], 0.0, 255.0)));
    }
    return t;
}

// Cumulus are heaps of rounded turrets. Each puff is a dome; overlapping domes merge through a
// smooth maximum (a few pixels of blending, like real turrets running into each other), and
// the slope of the merged surface against the light gives the shading.
struct Domes {
    Field sum = makeField();  // sum of exp(k * dome height) over the domes covering a pixel
    static constexpr double kBlend = 0.3;

    void add(double cx, double cy, double r, double base, bool wrapRows) {
        const int x0 = static_cast<int>(std::floor(cx - r));
        const int x1 = static_cast<int>(std::ceil(cx + r));
        int y0 = static_cast<int>(std::floor(cy - r));
        int y1 = static_cast<int>(std::ceil(cy + r));
        if (!wrapRows) {
            y0 = std::max(y0, 0);
            y1 = std::min(y1, N - 1);
        }
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double dx = (x + 0.5 - cx) / r;
                const double dy = (y + 0.5 - cy) / r;
                const double d2 = dx * dx + dy * dy;
                if (d2 < 1.0) {
                    // Heights are kept small enough (< 100 px) for exp() to stay finite.
                    sum[index(x, y)] += std::exp(kBlend * (base + r * std::sqrt(1.0 - d2)));
                }
            }
        }
    }

    // The merged surface, 0 where no dome reaches; bumps adds surface detail of that height.
    Field surface(const Fbm& bumps, double bumpHeight) const {
        return generate([&](int x, int y) {
            const double s = at(sum, x, y);
            if (s <= 0.0) {
                return 0.0;
            }
            const double h = std::max(0.0, std::log(s) / kBlend);
            return h + bumpHeight * bumps(unit(x), unit(y)) * smoothstep(0.0, 4.0, h);
        });
    }
};

// Lit fraction of a height field's surface, light from the upper left and somewhat in front.
double lighting(const Field& h, int x, int y) {
    const double gx = (at(h, x + 1, y) - at(h, x - 1, y)) / 2.0;
    const double gy = (at(h, x, y + 1) - at(h, x, y - 1)) / 2.0;
    const double len = std::sqrt(gx * gx + gy * gy + 1.0);
    constexpr double lx = -0.52;
    constexpr double ly = -0.62;
    constexpr double lz = 0.59;
    return clamp01((-gx * lx - gy * ly + lz) / len);
}

// Clusters of domes scattered over the tile: each cloud a main turret with smaller ones heaped
// around and below it.
Domes cumulusDomes(std::uint64_t seed, int clouds, double minRadius, double maxRadius) {
    Domes d;
    Rng rng(seed);
    for (int c = 0; c < clouds; ++c) {
        const double cx = rng.range(0, N);
        const double cy = rng.range(0, N);
        const double r = rng.range(minRadius, maxRadius);
        d.add(cx, cy, r, r * 0.3, true);
        const int satellites = 4 + static_cast<int>(rng.next() * 6);
        for (int s = 0; s < satellites; ++s) {
            const double angle = rng.range(0, 2 * kPi);
            const double dist = r * rng.range(0.5, 1.0);
            const double sr = r * rng.range(0.4, 0.75);
            d.add(cx + std::cos(angle) * dist, cy + std::sin(angle) * dist * 0.85, sr,
                  rng.range(0.0, 0.3) * r, true);
        }
    }
    return d;
}

// Draws a soft line into f, keeping the brighter of what is there and the line. Coordinates
// outside the tile wrap, so strokes across an edge continue on the other side.
void stroke(Field& f, double x0, double y0, double x1, double y1, double width, double strength,
            bool wrapRows) {
    const double reach = 3.0 * width + 1.0;
    const int xa = static_cast<int>(std::floor(std::min(x0, x1) - reach));
    const int xb = static_cast<int>(std::ceil(std::max(x0, x1) + reach));
    int ya = static_cast<int>(std::floor(std::min(y0, y1) - reach));
    int yb = static_cast<int>(std::ceil(std::max(y0, y1) + reach));
    if (!wrapRows) {
        ya = std::max(ya, 0);
        yb = std::min(yb, N - 1);
    }
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double l2 = dx * dx + dy * dy;
    for (int y = ya; y <= yb; ++y) {
        for (int x = xa; x <= xb; ++x) {
            const double px = x + 0.5;
            const double py = y + 0.5;
            const double t = l2 > 0 ? clamp01(((px - x0) * dx + (py - y0) * dy) / l2) : 0.0;
            const double ex = px - (x0 + t * dx);
            const double ey = py - (y0 + t * dy);
            const double a = strength * std::exp(-(ex * ex + ey * ey) / (2.0 * width * width));
            double& cell = f[index(x, y)];
            cell = std::max(cell, a);
        }
    }
}

// ---- Cumulus family -------------------------------------------------------------------------

struct CumulusStyle {
    std::uint64_t seed;
    double coverage;   // fraction of the tile under cloud
    int clouds;        // cumulus clusters
    double minRadius;  // of a cluster's main turret, in pixels
    double maxRadius;
    double brightness;  // of the sunlit sides, 0..1
};

Texture cumulus(const CumulusStyle& s) {
    const Domes domes = cumulusDomes(s.seed, s.clouds, s.minRadius, s.maxRadius);
    const Fbm bumps{s.seed + 200, 16, 16, 4, 0.5};
    const Fbm warpU{s.seed + 300, 8, 8, 3, 0.5};
    const Fbm warpV{s.seed + 400, 8, 8, 3, 0.5};
    const Fbm tint{s.seed + 500, 4, 4, 3, 0.5};
    const Field surface = domes.surface(bumps, 5.0);
    // Warping the lookup roughens the perfect circles into ragged turrets.
    const Field height = generate([&](int x, int y) {
        const double u = unit(x);
        const double v = unit(y);
        const int px = x + static_cast<int>(std::lround(10.0 * (warpU(u, v) - 0.5)));
        const int py = y + static_cast<int>(std::lround(10.0 * (warpV(u, v) - 0.5)));
        return at(surface, px, py);
    });
    // The lowest turrets drop out first until the wanted share of the tile is covered.
    const double threshold = std::max(1e-6, quantile(height, 1.0 - s.coverage));
    Field out = makeField();
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            const double h = at(height, x, y);
            if (h <= threshold) {
                continue;
            }
            const double edge = smoothstep(threshold, threshold + 2.5, h);
            const double lit = 0.4 + 0.6 * lighting(height, x, y);
            const double variation = 0.93 + 0.14 * (tint(unit(x), unit(y)) - 0.5);
            out[index(x, y)] = 255.0 * s.brightness * edge * lit * variation;
        }
    }
    return toTexture(out);
}

// ---- Layered and stratiform -----------------------------------------------------------------

Texture overcast() {
    const Fbm broad{7001, 3, 3, 5, 0.55};
    const Fbm fine{7002, 12, 12, 4, 0.5};
    return toTexture(generate([&](int x, int y) {
        const double u = unit(x);
        const double v = unit(y);
        return 168.0 + 46.0 * (broad(u, v) - 0.5) + 16.0 * (fine(u, v) - 0.5);
    }));
}

// A frontal cloud system seen edge-on in layers: light, broken sheets high up, a thick dark
// band of rain cloud through the middle, ragged scraps beneath. Each layer has wavy edges and
// streaky shading; layers are blended over one another with sky showing between them.
Texture frontal() {
    struct Layer {
        double centre, halfThickness, tone, breaks;
    };
    constexpr std::array<Layer, 5> kLayers{{{0.11, 0.065, 195.0, 0.42},
                                            {0.27, 0.06, 170.0, 0.3},
                                            {0.52, 0.17, 72.0, 0.0},
                                            {0.77, 0.06, 120.0, 0.38},
                                            {0.92, 0.045, 140.0, 0.5}}};
    const Fbm streaks{8001, 3, 14, 5, 0.55};
    const Fbm edges{8002, 4, 1, 5, 0.55};
    const Fbm gaps{8003, 4, 10, 4, 0.5};
    const Fbm warp{8004, 3, 2, 4, 0.5};
    const Field grain = generate([&](int x, int y) { return streaks(unit(x), unit(y)); });
    return toTexture(generate([&](int x, int y) {
        const double u = unit(x);
        const double v = unit(y) + 0.05 * (warp(u, unit(y)) - 0.5);
        const double light = clamp01(0.5 + 4.0 * relief(grain, x, y, 2));
        double out = 0.0;
        for (std::size_t i = 0; i < kLayers.size(); ++i) {
            const Layer& l = kLayers[i];
            const double seedV = 0.17 * static_cast<double>(i);
            const double top = l.halfThickness * (1.0 + 1.2 * (edges(u, seedV) - 0.5));
            const double bottom = l.halfThickness * (1.0 + 1.4 * (edges(u, seedV + 0.5) - 0.5));
            const double d = wrappedOffset(v, l.centre);
            const double extent = d < 0 ? top : bottom;
            double a = smoothstep(extent, extent * 0.6, std::abs(d));
            if (l.breaks > 0.0) {
                a *= smoothstep(l.breaks - 0.05, l.breaks + 0.05, gaps(u, v + seedV));
            }
            if (a <= 0.0) {
                continue;
            }
            // Lighter at a layer's top than at its base.
            const double shade = 1.0 - 0.25 * clamp01(0.5 + d / (2.0 * extent));
            const double tone =
                l.tone * shade * (0.8 + 0.4 * light) * (0.85 + 0.3 * (at(grain, x, y) - 0.5));
            out = out * (1.0 - a) + tone * a;
        }
        return out;
    }));
}

// A long thin fibre along direction `angle` through (cx, cy), from s0 to s1 along it, `offset`
// to the side; it curves by `bend`, hooks up at its far end by `hook` (mare's tails), wobbles
// with `wobble`, and fades in and out along its length.
struct Fibre {
    double cx, cy, angle;
    double s0, s1, offset;
    double bend, hook;
    double width, strength;
};

void drawFibre(Field& f, const Fibre& fibre, const Fbm& wobble) {
    const double ax = std::cos(fibre.angle);
    const double ay = std::sin(fibre.angle);
    constexpr int kSteps = 32;
    auto point = [&](int k) {
        const double along = fibre.s0 + (fibre.s1 - fibre.s0) * k / kSteps;
        const double past = std::max(0.0, along - 0.6 * fibre.s1);
        const double bx = fibre.cx + ax * along;
        const double by = fibre.cy + ay * along;
        const double w = 6.0 * (wobble(bx / N, by / N) - 0.5);
        const double side =
            fibre.offset + fibre.bend * along * along + fibre.hook * past * past + w;
        return std::pair{bx - ay * side, by + ax * side};
    };
    for (int k = 0; k < kSteps; ++k) {
        const auto [x0, y0] = point(k);
        const auto [x1, y1] = point(k + 1);
        const double t = (k + 0.5) / kSteps;
        // Thicker and brighter at the head, streaming out thin behind.
        const double fade = std::pow(std::sin(kPi * t), 0.7) * (0.55 + 0.45 * t);
        stroke(f, x0, y0, x1, y1, fibre.width * (0.6 + 0.6 * t), fibre.strength * fade, true);
    }
}

// Cirrus: clumps of long thin fibres drawn out along the upper wind, hooked at their heads.
Texture cirrus() {
    Rng rng(9001);
    const Fbm wobble{9002, 3, 3, 3, 0.5};
    const Fbm thin{9003, 4, 4, 4, 0.5};
    Field fibres = makeField();
    const double wind = -0.42;
    for (int c = 0; c < 10; ++c) {
        const double cx = rng.range(0, N);
        const double cy = rng.range(0, N);
        const double angle = wind + rng.range(-0.2, 0.2);
        const double length = rng.range(80, 170);
        const double spread = rng.range(8, 26);
        const double hook = rng.range(-1.0, 1.0) * 0.012;
        const double bend = rng.range(-1.0, 1.0) * 0.0012;
        // A faint veil under the strands.
        drawFibre(
            fibres,
            {cx, cy, angle, -0.45 * length, 0.45 * length, 0.0, bend, hook, spread * 0.45, 0.22},
            wobble);
        const int count = 8 + static_cast<int>(rng.next() * 12);
        for (int i = 0; i < count; ++i) {
            drawFibre(fibres,
                      {cx, cy, angle + rng.range(-0.06, 0.06), -rng.range(0.25, 0.5) * length,
                       rng.range(0.25, 0.5) * length, rng.range(-0.5, 0.5) * spread,
                       bend + rng.range(-0.0004, 0.0004), hook * rng.range(0.7, 1.3),
                       rng.range(0.6, 2.2), rng.range(0.3, 1.0)},
                      wobble);
        }
    }
    return toTexture(generate([&](int x, int y) {
        // Patchy thinning so the strands are not all equally bright.
        return 250.0 * at(fibres, x, y) * (0.75 + 0.6 * (thin(unit(x), unit(y)) - 0.5));
    }));
}

// Clear sky: nothing but a few barely visible haze wisps.
Texture clear() {
    Rng rng(10001);
    const Fbm wobble{10002, 3, 3, 3, 0.5};
    Field haze = makeField();
    for (int i = 0; i < 6; ++i) {
        const double half = rng.range(25, 50);
        drawFibre(haze,
                  {rng.range(0, N), rng.range(0, N), rng.range(-0.6, -0.2), -half, half, 0.0,
                   rng.range(-0.001, 0.001), 0.0, rng.range(2.0, 4.0), rng.range(0.5, 1.0)},
                  wobble);
    }
    return toTexture(generate([&](int x, int y) { return 28.0 * at(haze, x, y); }));
}

// ---- Storms ---------------------------------------------------------------------------------

// A cumulonimbus seen from the side: a broad tower of turrets rising from a dark, rain-soaked
// base and spreading into a flat anvil, lesser towers around it, sky above. Wraps across the
// width only.
Field stormPicture(std::uint64_t seed, double mainTower) {
    Rng rng(seed);
    Domes domes;
    const double mainX = mainTower * N;
    // The main mass, its turrets reaching up to an uneven skyline.
    for (int i = 0; i < 110; ++i) {
        domes.add(rng.range(0, N), rng.range(165, 300), rng.range(16, 30), 0.0, false);
    }
    for (int i = 0; i < 26; ++i) {
        domes.add(rng.range(0, N), rng.range(128, 170), rng.range(10, 20), 0.0, false);
    }
    // The main tower: turrets stacked up a broad column that narrows a little, then widens
    // again under the anvil.
    for (double y = 180; y > 50; y -= 4) {
        const double t = (180 - y) / 130;
        const double halfWidth = 44.0 - 16.0 * t + 26.0 * std::pow(t, 5.0);
        for (int k = 0; k < 2; ++k) {
            const double cx = mainX + 8.0 * t + rng.range(-0.6, 0.6) * halfWidth;
            domes.add(cx, y + rng.range(-4, 4), rng.range(0.4, 0.65) * halfWidth, 0.0, false);
        }
    }
    const Fbm bumps{seed + 10, 12, 12, 4, 0.5};
    const Field height = domes.surface(bumps, 6.0);
    const Fbm grain{seed + 11, 2, 14, 4, 0.55};
    const Fbm edge{seed + 12, 6, 6, 3, 0.5};
    const Fbm rain{seed + 13, 24, 2, 3, 0.5};
    const Fbm detail{seed + 14, 16, 16, 4, 0.55};
    const double anvilX = mainTower + 0.05;
    return generate([&](int x, int y) {
        const double u = unit(x);
        const double v = unit(y);
        const double g = grain(u, v);
        // The anvil: flat on top, widening upwards, its ends drawn out into fibres downwind.
        const double across = wrappedOffset(u, anvilX);
        const double side = std::abs(across) * (across > 0 ? 0.75 : 1.15);
        const double anvilTop = 0.075 + 0.02 * (edge(u, 0.0) - 0.5);
        const double anvilBottom = 0.19 + 0.05 * (edge(u, 0.5) - 0.5) + 0.1 * side;
        const double reach = 0.2 + 1.2 * (anvilBottom - v) + 0.1 * (g - 0.5);
        const double anvil = smoothstep(anvilTop - 0.005, anvilTop + 0.01, v) *
                             smoothstep(anvilBottom + 0.015, anvilBottom - 0.015, v) *
                             smoothstep(reach, reach - 0.1, side) *
                             smoothstep(0.3, 0.5, g + 0.5 * (1.0 - side / 0.45));
        const double h = at(height, x, y);
        const double tower = smoothstep(0.0, 2.0, h);
        const double cover = std::max(tower, anvil);
        if (cover < 0.03) {
            return 0.0;
        }
        const double texture = 0.9 + 0.2 * (detail(u, v) - 0.5);
        // Turrets lit from the upper left; the body darkens downwards into the rain.
        const double lit = 0.3 + 0.7 * lighting(height, x, y);
        const double gloom = 1.0 - 0.68 * smoothstep(0.2, 1.0, v);
        const double shafts = smoothstep(0.78, 0.98, v) * clamp01(0.5 + 1.6 * (rain(u, v) - 0.5));
        // Never darker than 24: however dark, this is thick cloud, not thin.
        const double towerTone = 24.0 + 140.0 * lit * gloom * texture * (1.0 - 0.45 * shafts);
        const double anvilTone = (105.0 + 50.0 * g) * texture;
        // The anvil sits over the tower top, blending where they meet.
        const double tone = towerTone * (1.0 - anvil) + anvilTone * anvil;
        return std::max(1.0, cover * tone);
    });
}

// The built-in simulator's storm layer: dark, crowded turrets over the whole tile.
Field stormLayer(std::uint64_t seed) {
    Rng rng(seed);
    Domes domes;
    for (int i = 0; i < 340; ++i) {
        domes.add(rng.range(0, N), rng.range(0, N), rng.range(10, 24), rng.range(0, 12), true);
    }
    const Fbm bumps{seed + 19, 12, 12, 4, 0.5};
    const Field height = domes.surface(bumps, 6.0);
    const Fbm shade{seed + 20, 3, 3, 4, 0.5};
    const Fbm detail{seed + 21, 16, 16, 4, 0.55};
    return generate([&](int x, int y) {
        const double lit = 0.35 + 0.65 * lighting(height, x, y);
        const double u = unit(x);
        const double v = unit(y);
        const double dark = 0.75 + 0.5 * (shade(u, v) - 0.5);
        const double texture = 0.9 + 0.2 * (detail(u, v) - 0.5);
        return std::max(1.0, 125.0 * lit * dark * texture);
    });
}

// A jagged bolt from (x0, y0) downwards, made by midpoint displacement, with forks.
struct Segment {
    double x0, y0, x1, y1;
    double width;
};

void bolt(Rng& rng, double x0, double y0, double x1, double y1, double width, int depth,
          std::vector<Segment>& out) {
    const double len = std::hypot(x1 - x0, y1 - y0);
    if (depth == 0 || len < 4.0) {
        out.push_back({x0, y0, x1, y1, width});
        return;
    }
    const double mx = (x0 + x1) / 2 + rng.range(-0.25, 0.25) * len;
    const double my = (y0 + y1) / 2 + rng.range(-0.08, 0.08) * len;
    bolt(rng, x0, y0, mx, my, width, depth - 1, out);
    bolt(rng, mx, my, x1, y1, width, depth - 1, out);
    if (depth >= 4 && width > 0.8 && rng.next() < 0.4) {
        const double dir = rng.next() < 0.5 ? -1.0 : 1.0;
        const double bx = mx + dir * rng.range(0.3, 0.7) * len;
        const double by = my + rng.range(0.4, 0.8) * len;
        bolt(rng, mx, my, bx, by, width * 0.5, depth - 2, out);
    }
}

// Draws the bolts into the storm: a white core, a glow around it, and the cloud lit from within
// where the bolts leave it.
void drawLightning(Field& f, std::uint64_t seed) {
    Rng rng(seed);
    struct Strike {
        double x, y, endX, endY, width;
    };
    constexpr std::array<Strike, 3> kStrikes{
        {{118, 150, 96, 256, 2.0}, {196, 176, 222, 256, 1.5}, {52, 168, 40, 236, 1.1}}};
    std::vector<Segment> segments;
    for (const Strike& s : kStrikes) {
        bolt(rng, s.x, s.y, s.endX + rng.range(-8, 8), s.endY, s.width, 7, segments);
    }
    Field core = makeField();
    Field glow = makeField();
    for (const Segment& s : segments) {
        stroke(core, s.x0, s.y0, s.x1, s.y1, 0.45 * s.width, 1.0, false);
        stroke(glow, s.x0, s.y0, s.x1, s.y1, 5.0, 0.35 * s.width, false);
    }
    for (int y = 0; y < N; ++y) {
        for (int x = 0; x < N; ++x) {
            double flash = 0.0;
            for (const Strike& s : kStrikes) {
                const double dx = (x - s.x) / 34.0;
                const double dy = (y - s.y) / 24.0;
                flash = std::max(flash, s.width * 0.5 * std::exp(-(dx * dx + dy * dy) / 2.0));
            }
            double& cell = f[index(x, y)];
            if (cell > 0.0) {
                cell += 90.0 * flash;  // cloud lit from inside
            }
            const double l = std::max(clamp01(at(core, x, y) * 1.6), at(glow, x, y));
            cell += (255.0 - cell) * l;
        }
    }
}

}  // namespace

Texture makeTexture(TextureKind kind) {
    switch (kind) {
        case TextureKind::LightCumulus:
            return cumulus({1101, 0.17, 28, 7.0, 12.0, 1.0});
        case TextureKind::MediumCumulus:
            return cumulus({2202, 0.44, 48, 10.0, 17.0, 0.97});
        case TextureKind::DenseCumulus:
            return cumulus({3303, 0.78, 72, 13.0, 22.0, 0.92});
        case TextureKind::Frontal:
            return frontal();
        case TextureKind::Overcast:
            return overcast();
        case TextureKind::Cirrus:
            return cirrus();
        case TextureKind::Clear:
            return clear();
        case TextureKind::Storm:
            return toTexture(stormPicture(4404, 0.45));
        case TextureKind::Lightning: {
            Field f = stormPicture(5505, 0.45);
            drawLightning(f, 5506);
            return toTexture(f);
        }
        case TextureKind::SimClouds:
            return cumulus({6606, 0.55, 14, 18.0, 28.0, 1.0});
        case TextureKind::SimStorm:
            return toTexture(stormLayer(6707));
    }
    return Texture(kTextureBytes, 0);
}

std::string_view textureFileName(TextureKind kind) {
    switch (kind) {
        case TextureKind::LightCumulus:
            return "LIGHT.CL1";
        case TextureKind::MediumCumulus:
            return "MED.CL2";
        case TextureKind::DenseCumulus:
            return "DENSE.CL1";
        case TextureKind::Frontal:
            return "FRONTW.CLD";
        case TextureKind::Overcast:
            return "OVCB.CLD";
        case TextureKind::Cirrus:
            return "CIRD.CLD";
        case TextureKind::Clear:
            return "CLR.CLD";
        case TextureKind::Storm:
            return "storm.cld";
        case TextureKind::Lightning:
            return "lightn.fsc";
        case TextureKind::SimClouds:
            return "clouds.r8";
        case TextureKind::SimStorm:
            return "stormy.r8";
    }
    return {};
}

std::span<const TextureKind> programFolderTextures() {
    static constexpr std::array kinds{
        TextureKind::LightCumulus, TextureKind::MediumCumulus, TextureKind::DenseCumulus,
        TextureKind::Frontal,      TextureKind::Overcast,      TextureKind::Cirrus,
        TextureKind::Clear,        TextureKind::Storm,         TextureKind::Lightning,
    };
    return kinds;
}

}  // namespace zephyra::assets
