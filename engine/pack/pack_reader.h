#pragma once

#include "engine/geo.h"
#include "engine/feature_set.h"
#include "engine/pack/pack_format.h"
#include "engine/pack/shared_edges.h"
#include "platform/mapped_file.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tolm::engine {

namespace detail {
template <typename T>
T load(const std::byte* p) noexcept {
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}
}  // namespace detail

// A stored point in 1e-7 degree units.
struct UnitPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// The points of one ring or line, read in place from the pack.
class PointRun {
public:
    PointRun() = default;
    PointRun(const std::byte* data, std::uint32_t count) : m_data(data), m_count(count) {}
    std::uint32_t size() const noexcept { return m_count; }
    UnitPoint operator[](std::uint32_t i) const noexcept {
        return {detail::load<std::int32_t>(m_data + std::size_t(i) * 8), detail::load<std::int32_t>(m_data + std::size_t(i) * 8 + 4)};
    }
    LonLat lon_lat(std::uint32_t i) const noexcept {
        const auto p = (*this)[i];
        return {pack::to_degrees(p.x), pack::to_degrees(p.y)};
    }

private:
    const std::byte* m_data = nullptr;
    std::uint32_t m_count = 0;
};

// The geometry of one layer at one zoom band: features, their rings, and an R-tree over them.
class GeometryTable {
public:
    std::uint32_t size() const noexcept { return m_feature_count; }
    pack::UnitBox box(std::uint32_t feature) const noexcept;
    std::uint32_t attribute(std::uint32_t feature) const noexcept;
    std::uint32_t ring_count(std::uint32_t feature) const noexcept;
    PointRun ring(std::uint32_t feature, std::uint32_t ring) const noexcept;
    // Where the ring's points begin in the table's point array.
    std::uint32_t first_point(std::uint32_t feature, std::uint32_t ring) const noexcept;

    // Appends to `out` every feature whose box meets `area` (not cleared first). Allocates only
    // when `out` must grow.
    void query(const pack::UnitBox& area, std::vector<std::uint32_t>& out) const;

private:
    friend class PackView;
    const std::byte* m_features = nullptr;
    const std::byte* m_rings = nullptr;
    const std::byte* m_points = nullptr;
    const std::byte* m_nodes = nullptr;
    const std::byte* m_levels = nullptr;
    std::uint32_t m_feature_count = 0;
    std::uint32_t m_level_count = 0;
};

struct AreaAttributes {
    AreaKind kind;
    std::string_view name;
    std::string_view code;
    std::string_view state_code;
};

struct RoadAttributes {
    RoadClass road_class;
    bool oneway;
    RoadKind kind;
    RoadLevel level;
    bool roundabout;
    std::string_view name;
    std::string_view ref;
};

struct PlaceRecord {
    LonLat position;
    std::int64_t population;
    std::string_view name;
    std::string_view state_code;
    std::string_view county;
};

struct AddressRangeRecord {
    std::string_view street;
    std::string_view from_number;
    std::string_view to_number;
    std::string_view zip;
    std::string_view place;
    std::string_view state_code;
    bool right_side;
    char parity;
    PointRun points;
};

// A zip record (zip, place, state, county) or a phone-area record (npa_nxx, place, county, state).
struct PostalRecord {
    std::string_view key;
    std::string_view place;
    std::string_view third;
    std::string_view fourth;
    LonLat position;
};

// A validated view of pack bytes. The constructor checks the header, the directory and every
// reference between records (offsets, counts, string ranges, index children); damaged bytes raise
// RuntimeError with a text naming what is wrong, so that later reads need no checks of their own.
class PackView {
public:
    PackView() = default;
    PackView(std::span<const std::byte> bytes, const std::string& name);

    Extent extent() const noexcept { return m_extent; }
    const GeometryTable& geometry(pack::GeometryLayer layer, std::uint32_t band) const noexcept {
        return m_geometry[static_cast<std::size_t>(layer)][band];
    }
    // The edges that features of a layer share, worked out on first use (a few milliseconds for
    // the counties of a country) and kept for the life of the view and its copies.
    const SharedEdges& shared_edges(pack::GeometryLayer layer, std::uint32_t band) const;

    std::uint32_t area_count() const noexcept { return m_area_count; }
    AreaAttributes area(std::uint32_t index) const noexcept;
    std::uint32_t road_count() const noexcept { return m_road_count; }
    RoadAttributes road(std::uint32_t index) const noexcept;
    std::uint32_t place_count() const noexcept { return m_place_count; }
    PlaceRecord place(std::uint32_t index) const noexcept;  // by population, largest first
    std::uint32_t address_range_count() const noexcept { return m_range_count; }
    AddressRangeRecord address_range(std::uint32_t index) const noexcept;
    std::uint32_t zip_count() const noexcept { return m_zip_count; }
    PostalRecord zip(std::uint32_t index) const noexcept;
    std::uint32_t phone_area_count() const noexcept { return m_phone_count; }
    PostalRecord phone_area(std::uint32_t index) const noexcept;

private:
    std::string_view string_at(const std::byte* ref) const noexcept;

    Extent m_extent;
    std::array<std::array<GeometryTable, pack::k_band_count>, pack::k_geometry_layer_count> m_geometry{};
    std::string_view m_strings;
    const std::byte* m_areas = nullptr;
    const std::byte* m_roads = nullptr;
    const std::byte* m_places = nullptr;
    const std::byte* m_ranges = nullptr;
    const std::byte* m_range_points = nullptr;
    const std::byte* m_zips = nullptr;
    const std::byte* m_phones = nullptr;
    std::uint32_t m_area_count = 0, m_road_count = 0, m_place_count = 0, m_range_count = 0, m_zip_count = 0,
                  m_phone_count = 0;

    struct SharedEdgeCache {
        static constexpr std::size_t k_tables = pack::k_geometry_layer_count * pack::k_band_count;
        std::array<std::once_flag, k_tables> found;
        std::array<SharedEdges, k_tables> edges;
    };
    std::shared_ptr<SharedEdgeCache> m_shared_edges = std::make_shared<SharedEdgeCache>();
};

// Every feature of the pack with its full-detail geometry, as the writer was given it in stored form
// (to_stored_form): areas and roads in the order of their attributes, the rest in pack order.
// Writing the result again gives the same pack.
FeatureSet read_features(const PackView& view);

// A data pack file, memory-mapped and validated when opened.
class Pack {
public:
    explicit Pack(const std::string& path);
    const PackView& view() const noexcept { return m_view; }
    const std::string& path() const noexcept { return m_file.path(); }

private:
    platform::MappedFile m_file;
    PackView m_view;
};

}  // namespace tolm::engine
