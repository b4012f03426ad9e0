#pragma once

// Geographic basics shared by the engine, the importer and the server: positions in decimal degrees,
// longitude first (east positive), latitude north positive.
namespace tolm::engine {

struct LonLat {
    double lon = 0;
    double lat = 0;
    bool operator==(const LonLat&) const = default;
};

// An area on the map: west and east longitudes, south and north latitudes.
struct Extent {
    double west = 0;
    double east = 0;
    double south = 0;
    double north = 0;

    bool operator==(const Extent&) const = default;
    double width() const noexcept { return east - west; }
    double height() const noexcept { return north - south; }
    LonLat centre() const noexcept { return {(west + east) / 2, (south + north) / 2}; }
    bool contains(const LonLat& p) const noexcept {
        return p.lon >= west && p.lon <= east && p.lat >= south && p.lat <= north;
    }
    bool intersects(const Extent& o) const noexcept {
        return west <= o.east && o.west <= east && south <= o.north && o.south <= north;
    }
};

// Great-circle distance in metres on the mean Earth sphere.
double distance_metres(const LonLat& a, const LonLat& b) noexcept;

}  // namespace tolm::engine
