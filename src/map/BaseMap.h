#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zephyra::map {

// The layers of the world base map, in drawing order.
enum class BaseLayer : std::uint8_t { Land, Lakes, Coastline, Borders, States };
inline constexpr std::size_t kBaseLayerCount = 5;

// One line or polygon ring in degrees, with its bounds for culling. Longitudes stay within
// -180..180: the data is cut at the 180th meridian.
struct Ring {
    std::vector<float> lon;
    std::vector<float> lat;
    float west = 0.0f, east = 0.0f, south = 0.0f, north = 0.0f;
};

// The rings of every layer at one level of detail.
struct BaseMap {
    std::array<std::vector<Ring>, kBaseLayerCount> layers;
    const std::vector<Ring>& layer(BaseLayer l) const {
        return layers[static_cast<std::size_t>(l)];
    }
    std::size_t vertexCount() const;
};

// Natural Earth at 1:110 million when zoomed out, 1:50 million when zoomed in.
enum class Detail { Coarse110m, Fine50m };
// Scale (pixels per degree) from which the 50m data is drawn.
inline constexpr double kFineDetailScale = 6.0;
Detail detailFor(double pixelsPerDegree);
// File name of a level's base map in the data folder: "world-110m.zmap", "world-50m.zmap".
const char* baseMapFileName(Detail detail);

// Reads a base-map file (see data/map/import.py). A missing, short or damaged file gives an
// empty map and the reason in error; it never throws.
BaseMap loadBaseMap(const std::string& path, std::string* error = nullptr);
BaseMap decodeBaseMap(const std::string& bytes, std::string* error = nullptr);

}  // namespace zephyra::map
