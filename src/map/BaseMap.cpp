#include "map/BaseMap.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace zephyra::map {

std::size_t BaseMap::vertexCount() const {
    std::size_t n = 0;
    for (const auto& rings : layers) {
        for (const Ring& r : rings) {
            n += r.lon.size();
        }
    }
    return n;
}

Detail detailFor(double pixelsPerDegree) {
    return pixelsPerDegree >= kFineDetailScale ? Detail::Fine50m : Detail::Coarse110m;
}

const char* baseMapFileName(Detail detail) {
    return detail == Detail::Fine50m ? "world-50m.zmap" : "world-110m.zmap";
}

namespace {

// Reads the file's zigzag varints; any read past the end marks the reader failed.
struct Reader {
    const std::string& bytes;
    std::size_t pos = 0;
    bool failed = false;

    std::uint8_t byte() {
        if (pos >= bytes.size()) {
            failed = true;
            return 0;
        }
        return static_cast<std::uint8_t>(bytes[pos++]);
    }
    std::uint64_t unsignedVarint() {
        std::uint64_t v = 0;
        for (int shift = 0; shift < 64 && !failed; shift += 7) {
            const std::uint8_t b = byte();
            v |= static_cast<std::uint64_t>(b & 0x7F) << shift;
            if ((b & 0x80) == 0) {
                return v;
            }
        }
        failed = true;
        return 0;
    }
    std::int64_t signedVarint() {
        const std::uint64_t v = unsignedVarint();
        return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
    }
};

BaseMap fail(std::string* error, const std::string& why) {
    if (error != nullptr) {
        *error = why;
    }
    return {};
}

}  // namespace

BaseMap decodeBaseMap(const std::string& bytes, std::string* error) {
    if (bytes.size() < 6 || bytes.compare(0, 5, std::string("ZMAP\x01", 5)) != 0) {
        return fail(error, "not a base-map file");
    }
    Reader in{bytes, 5};
    BaseMap map;
    const int layerCount = in.byte();
    for (int l = 0; l < layerCount && !in.failed; ++l) {
        const std::uint8_t kind = in.byte();
        const std::uint64_t rings = in.unsignedVarint();
        // Every ring takes at least five bytes: a count and two points.
        if (kind >= kBaseLayerCount || rings > bytes.size() / 5) {
            return fail(error, "damaged base-map file");
        }
        auto& out = map.layers[kind];
        out.reserve(out.size() + rings);
        for (std::uint64_t r = 0; r < rings && !in.failed; ++r) {
            const std::uint64_t n = in.unsignedVarint();
            if (n > bytes.size() - in.pos) {
                return fail(error, "damaged base-map file");
            }
            Ring ring;
            ring.lon.reserve(n);
            ring.lat.reserve(n);
            std::int64_t x = 0, y = 0;
            for (std::uint64_t i = 0; i < n && !in.failed; ++i) {
                x += in.signedVarint();
                y += in.signedVarint();
                ring.lon.push_back(static_cast<float>(x) / 1000.0f);
                ring.lat.push_back(static_cast<float>(y) / 1000.0f);
            }
            if (!ring.lon.empty()) {
                const auto [w, e] = std::minmax_element(ring.lon.begin(), ring.lon.end());
                const auto [s, nn] = std::minmax_element(ring.lat.begin(), ring.lat.end());
                ring.west = *w;
                ring.east = *e;
                ring.south = *s;
                ring.north = *nn;
                out.push_back(std::move(ring));
            }
        }
    }
    if (in.failed) {
        return fail(error, "damaged base-map file");
    }
    return map;
}

BaseMap loadBaseMap(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return fail(error, "cannot open " + path);
    }
    std::ostringstream all;
    all << file.rdbuf();
    return decodeBaseMap(all.str(), error);
}

}  // namespace zephyra::map
