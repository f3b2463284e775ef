#include "map/MapScene.h"

#include <cmath>

#include "flightplan/WaypointStore.h"

namespace zephyra::map {

PointKind kindOfType(std::string_view wpsType) {
    if (wpsType == "C") {
        return PointKind::Station;
    }
    if (wpsType == "V") {
        return PointKind::Vor;
    }
    if (wpsType == "N") {
        return PointKind::Ndb;
    }
    if (wpsType == "A") {
        return PointKind::Airport;
    }
    return PointKind::Fix;
}

double minScaleFor(PointKind kind) {
    switch (kind) {
        case PointKind::Station:
            return 0.0;
        case PointKind::Vor:
            return 12.0;
        case PointKind::Airport:
            return 60.0;
        case PointKind::Ndb:
            return 120.0;
        case PointKind::Fix:
            return 200.0;
    }
    return 0.0;
}

bool shownAt(PointKind kind, double pixelsPerDegree, const MapLayers& layers) {
    const bool on = kind == PointKind::Station   ? layers.stations
                    : kind == PointKind::Vor     ? layers.vors
                    : kind == PointKind::Ndb     ? layers.ndbs
                    : kind == PointKind::Airport ? layers.airports
                                                 : layers.fixes;
    return on && pixelsPerDegree >= minScaleFor(kind);
}

PointSet& StorePoints::of(PointKind kind) {
    switch (kind) {
        case PointKind::Station:
            return stations;
        case PointKind::Vor:
            return vors;
        case PointKind::Ndb:
            return ndbs;
        case PointKind::Airport:
            return airports;
        case PointKind::Fix:
            break;
    }
    return fixes;
}

const PointSet& StorePoints::of(PointKind kind) const {
    return const_cast<StorePoints*>(this)->of(kind);
}

StorePoints splitStore(const flightplan::WaypointStore& store) {
    StorePoints out;
    for (int i = 1; i <= store.WpsCount; ++i) {
        PointSet& set = out.of(kindOfType(store.WpsType[i]));
        set.positions.push_back({store.WpsLat[i], store.WpsLon[i]});
        set.storeIndex.push_back(i);
    }
    return out;
}

std::uint64_t storeFingerprint(const flightplan::WaypointStore& store) {
    std::uint64_t h = 1469598103934665603ull ^ static_cast<std::uint64_t>(store.WpsCount);
    const auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    mix(static_cast<std::uint64_t>(store.loadingFlag));
    for (int i = 1; i <= store.WpsCount; ++i) {
        mix(static_cast<std::uint64_t>(store.WpsWxCat[i] * 64 + store.WpsPrecip[i]));
        mix(static_cast<std::uint64_t>(std::llround(store.WpsLat[i] * 1e4)));
    }
    return h;
}

bool PlanRoute::operator==(const PlanRoute& other) const {
    if (active != other.active || names != other.names || points.size() != other.points.size()) {
        return false;
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (points[i].lat != other.points[i].lat || points[i].lon != other.points[i].lon) {
            return false;
        }
    }
    return true;
}

bool AircraftTrack::add(GeoPoint p) {
    if (!points_.empty()) {
        const GeoPoint& last = points_.back();
        if (std::abs(last.lat - p.lat) < kMinStepDegrees &&
            std::abs(wrapLongitude(last.lon - p.lon)) < kMinStepDegrees) {
            return false;
        }
    }
    points_.push_back(p);
    if (points_.size() > kLength) {
        points_.pop_front();
    }
    return true;
}

}  // namespace zephyra::map
