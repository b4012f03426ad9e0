#pragma once

#include "engine/feature_set.h"
#include "engine/geo.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>

// The on-disk layout of a data pack, shared by the writer and the reader. docs/data-pack-format.md
// describes it for people; this header is the one place the numbers live.
namespace tolm::engine::pack {

static_assert(std::endian::native == std::endian::little, "data packs are read in place on little-endian hosts");

inline constexpr std::array<char, 8> k_magic = {'T', 'O', 'L', 'M', 'P', 'A', 'K', '\0'};
inline constexpr std::uint32_t k_version = 2;
inline constexpr std::size_t k_header_size = 64;
inline constexpr std::size_t k_directory_entry_size = 24;
inline constexpr std::size_t k_section_alignment = 8;
inline constexpr std::uint32_t k_max_sections = 4096;
inline constexpr std::uint32_t k_index_node_capacity = 16;

// Coordinates are stored as whole multiples of 1e-7 degree (about a centimetre).
inline constexpr double k_units_per_degree = 1e7;
inline std::int32_t to_units(double degrees) noexcept {
    return static_cast<std::int32_t>(std::lround(degrees * k_units_per_degree));
}
inline constexpr double to_degrees(std::int32_t units) noexcept { return units / k_units_per_degree; }

// Land and water too big for one feature are cut along a grid of this many degrees (10 degrees in
// units), so that a view loads only what it shows. The points where a cut piece meets a cell edge
// are never simplified away or skipped in a paint: pieces of neighbouring cells then meet exactly,
// and a fill of them shows no seam along the cut.
inline constexpr std::int32_t k_cut_cell_units = 100'000'000;
inline constexpr bool on_cut_cell_edge(std::int32_t x, std::int32_t y) noexcept {
    return x % k_cut_cell_units == 0 || y % k_cut_cell_units == 0;
}

// Geometry layers. Each area kind has its own layer (and index) because the renderer paints them in
// separate passes; all roads share one layer so that one query serves the casing and the fill passes.
// Area layers share their numbers with AreaKind.
enum class GeometryLayer : std::uint8_t {
    state = 0,
    county = 1,
    minor_civil_division = 2,
    place = 3,
    water = 4,
    land = 5,
    road = 6
};
inline constexpr std::uint32_t k_geometry_layer_count = 7;
inline constexpr AreaKind k_last_area_kind = AreaKind::land;

inline constexpr GeometryLayer layer_of(AreaKind kind) noexcept { return static_cast<GeometryLayer>(kind); }

// Zoom bands: the geometry of each layer is stored once per band, simplified to half a pixel at the
// most detailed zoom level of the band. Band 3 keeps the full detail.
inline constexpr std::uint32_t k_band_count = 4;
inline constexpr std::array<double, k_band_count> k_band_upper_zoom = {6.5, 9.5, 12.5, 99.0};

inline constexpr std::uint32_t band_for_zoom(double zoom) noexcept {
    for (std::uint32_t band = 0; band + 1 < k_band_count; ++band)
        if (zoom < k_band_upper_zoom[band]) return band;
    return k_band_count - 1;
}

// The least important road class stored (and painted) in each band: whole-country views carry only
// interstates, street views everything.
inline constexpr std::array<RoadClass, k_band_count> k_band_lowest_road_class = {RoadClass::interstate, RoadClass::highway,
                                                                                  RoadClass::major, RoadClass::ramp};

inline constexpr bool band_holds(std::uint32_t band, RoadClass road_class) noexcept {
    return static_cast<std::uint8_t>(road_class) <= static_cast<std::uint8_t>(k_band_lowest_road_class[band]);
}

// Section ids.
enum SectionId : std::uint32_t {
    section_strings = 1,
    section_area_attributes = 2,
    section_road_attributes = 3,
    section_places = 4,
    section_address_ranges = 5,
    section_address_points = 6,
    section_zips = 7,
    section_phone_areas = 8,
};

// Geometry sections: 0x1000 + layer * 0x100 + band * 0x10 + part.
enum GeometryPart : std::uint32_t { part_features = 0, part_rings = 1, part_points = 2, part_nodes = 3, part_levels = 4 };
inline constexpr std::uint32_t geometry_section(GeometryLayer layer, std::uint32_t band, GeometryPart part) noexcept {
    return 0x1000u + static_cast<std::uint32_t>(layer) * 0x100u + band * 0x10u + part;
}

// Record sizes (bytes), fixed by the format.
inline constexpr std::uint32_t k_string_ref_size = 8;       // u32 offset, u32 length into the strings section
inline constexpr std::uint32_t k_area_attribute_size = 28;  // u8 kind, 3 pad, name, code, state_code
inline constexpr std::uint32_t k_road_attribute_size = 20;  // u8 class, u8 flags, u8 kind, 1 pad, name, ref

// The flags byte of a road. Packs written before bridges, tunnels and roundabouts were kept hold 0 or 1.
inline constexpr std::uint8_t k_road_oneway = 0x01, k_road_bridge = 0x02, k_road_tunnel = 0x04, k_road_roundabout = 0x08;
inline constexpr std::uint32_t k_place_size = 40;           // i32 lon, i32 lat, i64 population, name, state, county
inline constexpr std::uint32_t k_address_range_size = 60;   // street, from, to, zip, place, state, u8 right, u8 parity, 2 pad, u32 first point, u32 count
inline constexpr std::uint32_t k_point_size = 8;            // i32 lon, i32 lat
inline constexpr std::uint32_t k_postal_size = 40;          // four string refs, i32 lon, i32 lat (zips and phone areas)
inline constexpr std::uint32_t k_feature_size = 28;         // i32 west, east, south, north, u32 attribute, u32 first ring, u32 ring count
inline constexpr std::uint32_t k_ring_size = 8;             // u32 first point, u32 point count
inline constexpr std::uint32_t k_node_size = 24;            // i32 west, east, south, north, u32 first child, u32 child count
inline constexpr std::uint32_t k_level_size = 8;            // u32 first node, u32 node count

// An extent in stored units.
struct UnitBox {
    std::int32_t west = 0;
    std::int32_t east = 0;
    std::int32_t south = 0;
    std::int32_t north = 0;

    bool intersects(const UnitBox& o) const noexcept {
        return west <= o.east && o.west <= east && south <= o.north && o.south <= north;
    }
};

// CRC-32 (IEEE 802.3), guarding the header and the section directory.
std::uint32_t crc32(const void* data, std::size_t size, std::uint32_t crc = 0) noexcept;

}  // namespace tolm::engine::pack
