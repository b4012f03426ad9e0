#include "engine/pack/pack_writer.h"

#include "engine/pack/border_pins.h"
#include "engine/pack/pack_format.h"
#include "engine/pack/simplify.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_map>

namespace tolm::engine {

namespace {

using pack::GeometryLayer;
using pack::UnitBox;

// A growing little-endian byte buffer.
class ByteBuffer {
public:
    template <typename T>
    void put(T value) {
        static_assert(std::is_trivially_copyable_v<T>);
        const auto offset = m_bytes.size();
        m_bytes.resize(offset + sizeof(T));
        std::memcpy(m_bytes.data() + offset, &value, sizeof(T));
    }
    void put_u8(std::uint8_t v) { put(v); }
    void put_u32(std::uint32_t v) { put(v); }
    void put_i32(std::int32_t v) { put(v); }
    void put_box(const UnitBox& b) {
        put_i32(b.west);
        put_i32(b.east);
        put_i32(b.south);
        put_i32(b.north);
    }
    void pad(std::size_t count) { m_bytes.append(count, '\0'); }
    void append(const std::string& bytes) { m_bytes += bytes; }
    std::size_t size() const noexcept { return m_bytes.size(); }
    const std::string& bytes() const noexcept { return m_bytes; }
    std::string& bytes() noexcept { return m_bytes; }

private:
    std::string m_bytes;
};

std::uint32_t checked_count(std::size_t count) {
    if (count > std::numeric_limits<std::uint32_t>::max())
        throw RuntimeError(runtime_errors::overflow, "write_pack", "Too many features for one data pack.");
    return static_cast<std::uint32_t>(count);
}

// Strings are stored once each; records refer to them by offset and length.
class StringTable {
public:
    void put_ref(ByteBuffer& out, const std::string& text) {
        if (text.empty()) {
            out.put_u32(0);
            out.put_u32(0);
            return;
        }
        auto [it, inserted] = m_offsets.try_emplace(text, checked_count(m_bytes.size()));
        if (inserted) m_bytes.append(text);
        out.put_u32(it->second);
        out.put_u32(checked_count(text.size()));
    }
    std::string take() { return std::move(m_bytes); }

private:
    std::unordered_map<std::string, std::uint32_t> m_offsets;
    std::string m_bytes;
};

UnitBox box_of_points(const std::vector<LonLat>& points) {
    UnitBox box{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
                std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    for (const auto& p : points) {
        const auto x = pack::to_units(p.lon);
        const auto y = pack::to_units(p.lat);
        box.west = std::min(box.west, x);
        box.east = std::max(box.east, x);
        box.south = std::min(box.south, y);
        box.north = std::max(box.north, y);
    }
    return box;
}

UnitBox merge(const UnitBox& a, const UnitBox& b) {
    return {std::min(a.west, b.west), std::max(a.east, b.east), std::min(a.south, b.south), std::max(a.north, b.north)};
}

// Position along a Hilbert curve of order 16 over the pack's extent: features that lie close on the
// map lie close in the file, so a query touches few pages and the R-tree nodes stay tight.
std::uint32_t hilbert_index(std::uint32_t x, std::uint32_t y) {
    std::uint32_t d = 0;
    for (std::uint32_t s = 1u << 15; s > 0; s >>= 1) {
        const std::uint32_t rx = (x & s) ? 1 : 0;
        const std::uint32_t ry = (y & s) ? 1 : 0;
        d += s * s * ((3 * rx) ^ ry);
        if (ry == 0) {
            if (rx == 1) {
                x = s - 1 - x;
                y = s - 1 - y;
            }
            std::swap(x, y);
        }
    }
    return d;
}

// One feature's geometry at one band, ready to be written.
struct BandFeature {
    UnitBox box;
    std::uint32_t attribute = 0;
    std::vector<std::vector<LonLat>> rings;
    std::uint32_t order = 0;
};

struct Section {
    std::uint32_t id;
    std::uint32_t record_size;
    std::string bytes;
};

double band_tolerance(std::uint32_t band) {
    if (band + 1 >= pack::k_band_count) return 0;
    // Half a pixel (in degrees of latitude) at the most detailed zoom of the band.
    return 0.5 * 360.0 / (256.0 * std::exp2(pack::k_band_upper_zoom[band]));
}

// `cut` marks the land and water pieces that the importer cuts along the grid of k_cut_cell_units;
// `pins`, when given, the points each ring keeps (see border_pins).
std::vector<std::vector<LonLat>> simplified_rings(const std::vector<std::vector<LonLat>>& rings, double tolerance,
                                                  bool closed, bool cut = false, const std::vector<std::vector<bool>>* pins = nullptr) {
    std::vector<std::vector<LonLat>> result;
    for (std::size_t r = 0; r < rings.size(); ++r) {
        const auto& ring = rings[r];
        std::vector<bool> pinned = pins && r < pins->size() && (*pins)[r].size() == ring.size() ? (*pins)[r] : std::vector<bool>(ring.size());
        if (cut)
            for (std::size_t i = 0; i < ring.size(); ++i)
                pinned[i] = pinned[i] || pack::on_cut_cell_edge(pack::to_units(ring[i].lon), pack::to_units(ring[i].lat));
        auto points = detail::simplify_line(ring, tolerance, pinned);
        // Consecutive duplicates add nothing to a drawing.
        points.erase(std::unique(points.begin(), points.end(),
                                 [](const LonLat& a, const LonLat& b) {
                                     return pack::to_units(a.lon) == pack::to_units(b.lon) &&
                                            pack::to_units(a.lat) == pack::to_units(b.lat);
                                 }),
                     points.end());
        if (closed && points.size() < 4) continue;  // a ring that collapsed to a line or a point
        if (!closed && points.size() < 2) continue;
        result.push_back(std::move(points));
    }
    return result;
}

bool is_valid_position(const LonLat& p) {
    return std::isfinite(p.lon) && std::isfinite(p.lat) && std::abs(p.lon) <= 180.0 && std::abs(p.lat) <= 90.0;
}

std::vector<std::vector<LonLat>> clean_rings(const std::vector<std::vector<LonLat>>& rings, bool closed) {
    std::vector<std::vector<LonLat>> result;
    for (const auto& ring : rings) {
        std::vector<LonLat> points;
        for (const auto& p : ring)
            if (is_valid_position(p)) points.push_back(p);
        if (closed && !points.empty() && !(points.front() == points.back())) points.push_back(points.front());
        if (closed ? points.size() >= 4 : points.size() >= 2) result.push_back(std::move(points));
    }
    return result;
}

void add_geometry_sections(std::vector<Section>& sections, GeometryLayer layer, std::uint32_t band,
                           std::vector<BandFeature> features, const UnitBox& extent) {
    const double span_x = std::max(1.0, double(extent.east) - extent.west);
    const double span_y = std::max(1.0, double(extent.north) - extent.south);
    for (auto& f : features) {
        const double cx = (double(f.box.west) + f.box.east) / 2 - extent.west;
        const double cy = (double(f.box.south) + f.box.north) / 2 - extent.south;
        f.order = hilbert_index(static_cast<std::uint32_t>(std::clamp(cx / span_x, 0.0, 1.0) * 65535),
                                static_cast<std::uint32_t>(std::clamp(cy / span_y, 0.0, 1.0) * 65535));
    }
    std::stable_sort(features.begin(), features.end(),
                     [](const BandFeature& a, const BandFeature& b) { return a.order < b.order; });

    ByteBuffer feature_bytes, ring_bytes, point_bytes;
    std::uint32_t ring_count = 0, point_count = 0;
    for (const auto& f : features) {
        feature_bytes.put_box(f.box);
        feature_bytes.put_u32(f.attribute);
        feature_bytes.put_u32(ring_count);
        feature_bytes.put_u32(checked_count(f.rings.size()));
        for (const auto& ring : f.rings) {
            ring_bytes.put_u32(point_count);
            ring_bytes.put_u32(checked_count(ring.size()));
            for (const auto& p : ring) {
                point_bytes.put_i32(pack::to_units(p.lon));
                point_bytes.put_i32(pack::to_units(p.lat));
            }
            point_count = checked_count(std::size_t(point_count) + ring.size());
            ring_count = checked_count(std::size_t(ring_count) + 1);
        }
    }

    // Packed R-tree, built bottom-up; levels are stored root first.
    std::vector<std::vector<std::pair<UnitBox, std::pair<std::uint32_t, std::uint32_t>>>> levels;
    std::vector<UnitBox> below;
    for (const auto& f : features) below.push_back(f.box);
    while (below.size() > 1 || levels.empty()) {
        std::vector<std::pair<UnitBox, std::pair<std::uint32_t, std::uint32_t>>> level;
        for (std::size_t first = 0; first < below.size(); first += pack::k_index_node_capacity) {
            const std::size_t count = std::min<std::size_t>(pack::k_index_node_capacity, below.size() - first);
            UnitBox box = below[first];
            for (std::size_t i = first + 1; i < first + count; ++i) box = merge(box, below[i]);
            level.push_back({box, {checked_count(first), checked_count(count)}});
        }
        below.clear();
        for (const auto& node : level) below.push_back(node.first);
        levels.push_back(std::move(level));
        if (below.empty()) break;
    }
    std::reverse(levels.begin(), levels.end());
    ByteBuffer node_bytes, level_bytes;
    std::uint32_t node_count = 0;
    for (const auto& level : levels) {
        level_bytes.put_u32(node_count);
        level_bytes.put_u32(checked_count(level.size()));
        for (const auto& [box, children] : level) {
            node_bytes.put_box(box);
            node_bytes.put_u32(children.first);
            node_bytes.put_u32(children.second);
        }
        node_count = checked_count(std::size_t(node_count) + level.size());
    }

    sections.push_back({pack::geometry_section(layer, band, pack::part_features), pack::k_feature_size,
                        std::move(feature_bytes.bytes())});
    sections.push_back({pack::geometry_section(layer, band, pack::part_rings), pack::k_ring_size, std::move(ring_bytes.bytes())});
    sections.push_back({pack::geometry_section(layer, band, pack::part_points), pack::k_point_size,
                        std::move(point_bytes.bytes())});
    sections.push_back({pack::geometry_section(layer, band, pack::part_nodes), pack::k_node_size, std::move(node_bytes.bytes())});
    sections.push_back({pack::geometry_section(layer, band, pack::part_levels), pack::k_level_size,
                        std::move(level_bytes.bytes())});
}

// Outer rings counter-clockwise, holes clockwise: the renderer fills with the even-odd rule either
// way, but a GDI+ painter and other readers may use non-zero winding.
std::vector<std::vector<LonLat>> normalise_winding(std::vector<std::vector<LonLat>> rings) {
    for (std::size_t i = 0; i < rings.size(); ++i) {
        double area2 = 0;
        const auto& r = rings[i];
        for (std::size_t k = 0; k + 1 < r.size(); ++k) area2 += r[k].lon * r[k + 1].lat - r[k + 1].lon * r[k].lat;
        // The first ring of a feature is taken as outer; the writer's input puts holes after it.
        const bool outer = (i == 0) || area2 > 0;
        if ((outer && area2 < 0) || (!outer && area2 > 0)) std::reverse(rings[i].begin(), rings[i].end());
    }
    return rings;
}

LonLat stored_position(const LonLat& p) {
    return {pack::to_degrees(pack::to_units(p.lon)), pack::to_degrees(pack::to_units(p.lat))};
}

// The full-detail geometry as the pack keeps it: positions rounded to the stored unit, points off
// the globe left out, rings closed and wound, repeated points and collapsed rings removed.
std::vector<std::vector<LonLat>> stored_rings(const std::vector<std::vector<LonLat>>& rings, bool closed) {
    std::vector<std::vector<LonLat>> rounded;
    rounded.reserve(rings.size());
    for (const auto& ring : rings) {
        std::vector<LonLat> points;
        points.reserve(ring.size());
        for (const auto& p : ring)
            if (is_valid_position(p)) points.push_back(stored_position(p));
        rounded.push_back(std::move(points));
    }
    auto cleaned = clean_rings(rounded, closed);
    if (!closed) return simplified_rings(cleaned, 0, false);
    // Wound again after the removal: a collapsed outer ring leaves a hole first.
    return normalise_winding(simplified_rings(normalise_winding(std::move(cleaned)), 0, true));
}

}  // namespace

void to_stored_form(FeatureSet& features) {
    for (auto& area : features.areas) area.rings = stored_rings(area.rings, true);
    for (auto& road : features.roads) {
        auto rings = stored_rings({road.points}, false);
        road.points = rings.empty() ? Polyline{} : std::move(rings.front());
    }
    auto drop_invalid = [](auto& records) {
        std::erase_if(records, [](const auto& record) { return !is_valid_position(record.position); });
        for (auto& record : records) record.position = stored_position(record.position);
    };
    drop_invalid(features.places);
    std::stable_sort(features.places.begin(), features.places.end(),
                     [](const PlaceFeature& a, const PlaceFeature& b) { return a.population > b.population; });
    drop_invalid(features.zips);
    drop_invalid(features.phone_areas);
    for (auto& range : features.address_ranges) {
        std::erase_if(range.points, [](const LonLat& p) { return !is_valid_position(p); });
        for (auto& p : range.points) p = stored_position(p);
    }
}

std::uint32_t pack::crc32(const void* data, std::size_t size, std::uint32_t crc) noexcept {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    const auto* bytes = static_cast<const unsigned char*>(data);
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

std::string build_pack(const FeatureSet& features) {
    StringTable strings;
    std::vector<Section> sections;

    // Attributes, in input order; geometry refers to them by index.
    ByteBuffer area_attributes;
    for (const auto& area : features.areas) {
        area_attributes.put_u8(static_cast<std::uint8_t>(area.kind));
        area_attributes.pad(3);
        strings.put_ref(area_attributes, area.name);
        strings.put_ref(area_attributes, area.code);
        strings.put_ref(area_attributes, area.state_code);
    }
    ByteBuffer road_attributes;
    for (const auto& road : features.roads) {
        road_attributes.put_u8(static_cast<std::uint8_t>(road.road_class));
        std::uint8_t flags = road.oneway ? pack::k_road_oneway : 0;
        if (road.level == RoadLevel::bridge) flags |= pack::k_road_bridge;
        if (road.level == RoadLevel::tunnel) flags |= pack::k_road_tunnel;
        if (road.roundabout) flags |= pack::k_road_roundabout;
        road_attributes.put_u8(flags);
        road_attributes.put_u8(static_cast<std::uint8_t>(road.kind));
        road_attributes.pad(1);
        strings.put_ref(road_attributes, road.name);
        strings.put_ref(road_attributes, road.ref);
    }

    // Places by importance, so that labelling can stop early and the biggest names win collisions.
    std::vector<const PlaceFeature*> places;
    for (const auto& place : features.places)
        if (is_valid_position(place.position)) places.push_back(&place);
    std::stable_sort(places.begin(), places.end(),
                     [](const PlaceFeature* a, const PlaceFeature* b) { return a->population > b->population; });
    ByteBuffer place_bytes;
    for (const auto* place : places) {
        place_bytes.put_i32(pack::to_units(place->position.lon));
        place_bytes.put_i32(pack::to_units(place->position.lat));
        place_bytes.put(static_cast<std::int64_t>(place->population));
        strings.put_ref(place_bytes, place->name);
        strings.put_ref(place_bytes, place->state_code);
        strings.put_ref(place_bytes, place->county);
    }

    ByteBuffer range_bytes, range_points;
    std::uint32_t range_point_count = 0;
    for (const auto& range : features.address_ranges) {
        std::vector<LonLat> points;
        for (const auto& p : range.points)
            if (is_valid_position(p)) points.push_back(p);
        strings.put_ref(range_bytes, range.street);
        strings.put_ref(range_bytes, range.from_number);
        strings.put_ref(range_bytes, range.to_number);
        strings.put_ref(range_bytes, range.zip);
        strings.put_ref(range_bytes, range.place);
        strings.put_ref(range_bytes, range.state_code);
        range_bytes.put_u8(range.right_side ? 1 : 0);
        range_bytes.put_u8(static_cast<std::uint8_t>(range.parity));
        range_bytes.pad(2);
        range_bytes.put_u32(range_point_count);
        range_bytes.put_u32(checked_count(points.size()));
        for (const auto& p : points) {
            range_points.put_i32(pack::to_units(p.lon));
            range_points.put_i32(pack::to_units(p.lat));
        }
        range_point_count = checked_count(std::size_t(range_point_count) + points.size());
    }

    auto put_postal = [&](ByteBuffer& out, const std::string& a, const std::string& b, const std::string& c,
                          const std::string& d, const LonLat& position) {
        strings.put_ref(out, a);
        strings.put_ref(out, b);
        strings.put_ref(out, c);
        strings.put_ref(out, d);
        out.put_i32(pack::to_units(position.lon));
        out.put_i32(pack::to_units(position.lat));
    };
    ByteBuffer zip_bytes, phone_bytes;
    for (const auto& zip : features.zips)
        if (is_valid_position(zip.position)) put_postal(zip_bytes, zip.zip, zip.place, zip.state_code, zip.county, zip.position);
    for (const auto& phone : features.phone_areas)
        if (is_valid_position(phone.position))
            put_postal(phone_bytes, phone.npa_nxx, phone.place, phone.county, phone.state_code, phone.position);

    // Geometry per layer and band, every band simplified from the stored form of the full detail, so
    // that features read back from a pack and written again give the same bytes.
    std::array<std::vector<std::vector<std::vector<LonLat>>>, 2> cleaned;  // areas, roads
    for (const auto& area : features.areas) cleaned[0].push_back(stored_rings(area.rings, true));
    for (const auto& road : features.roads) cleaned[1].push_back(stored_rings({road.points}, false));
    // The points each layer's simplification keeps, so that shared borders stay shared.
    std::vector<std::vector<std::vector<bool>>> area_pins(features.areas.size());
    for (std::uint32_t layer = 0; layer < pack::k_geometry_layer_count; ++layer) {
        std::vector<std::size_t> members;
        std::vector<const detail::FeatureRings*> rings;
        for (std::size_t i = 0; i < features.areas.size(); ++i) {
            if (static_cast<std::uint32_t>(pack::layer_of(features.areas[i].kind)) != layer) continue;
            members.push_back(i);
            rings.push_back(&cleaned[0][i]);
        }
        if (members.empty()) continue;
        auto pins = detail::border_pins(rings);
        for (std::size_t k = 0; k < members.size(); ++k) area_pins[members[k]] = std::move(pins[k]);
    }

    UnitBox extent{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min(),
                   std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
    bool any_geometry = false;
    auto widen = [&](const UnitBox& box) {
        extent = any_geometry ? merge(extent, box) : box;
        any_geometry = true;
    };
    for (const auto& group : cleaned)
        for (const auto& rings : group)
            for (const auto& ring : rings) widen(box_of_points(ring));
    for (const auto* place : places) widen(box_of_points({place->position}));
    if (!any_geometry) extent = {};

    for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
        const double tolerance = band_tolerance(band);
        // The full-detail band is the stored form itself, taken rather than copied: it comes last.
        const bool full_detail = band + 1 == pack::k_band_count;
        std::array<std::vector<BandFeature>, pack::k_geometry_layer_count> layers;
        for (std::size_t i = 0; i < features.areas.size(); ++i) {
            const AreaKind kind = features.areas[i].kind;
            auto rings = full_detail ? std::move(cleaned[0][i])
                                     : simplified_rings(cleaned[0][i], tolerance, true,
                                                        kind == AreaKind::land || kind == AreaKind::water, &area_pins[i]);
            if (rings.empty()) continue;
            UnitBox box = box_of_points(rings.front());
            for (const auto& ring : rings) box = merge(box, box_of_points(ring));
            layers[static_cast<std::size_t>(pack::layer_of(features.areas[i].kind))].push_back(
                {box, checked_count(i), std::move(rings), 0});
        }
        for (std::size_t i = 0; i < features.roads.size(); ++i) {
            if (!pack::band_holds(band, features.roads[i].road_class)) continue;
            auto rings = full_detail ? std::move(cleaned[1][i]) : simplified_rings(cleaned[1][i], tolerance, false);
            if (rings.empty()) continue;
            layers[static_cast<std::size_t>(GeometryLayer::road)].push_back(
                {box_of_points(rings.front()), checked_count(i), std::move(rings), 0});
        }
        for (std::uint32_t layer = 0; layer < pack::k_geometry_layer_count; ++layer)
            add_geometry_sections(sections, static_cast<GeometryLayer>(layer), band, std::move(layers[layer]), extent);
    }

    sections.push_back({pack::section_area_attributes, pack::k_area_attribute_size, std::move(area_attributes.bytes())});
    sections.push_back({pack::section_road_attributes, pack::k_road_attribute_size, std::move(road_attributes.bytes())});
    sections.push_back({pack::section_places, pack::k_place_size, std::move(place_bytes.bytes())});
    sections.push_back({pack::section_address_ranges, pack::k_address_range_size, std::move(range_bytes.bytes())});
    sections.push_back({pack::section_address_points, pack::k_point_size, std::move(range_points.bytes())});
    sections.push_back({pack::section_zips, pack::k_postal_size, std::move(zip_bytes.bytes())});
    sections.push_back({pack::section_phone_areas, pack::k_postal_size, std::move(phone_bytes.bytes())});
    sections.insert(sections.begin(), Section{pack::section_strings, 1, strings.take()});

    // Header and directory, then each section on an 8-byte boundary.
    ByteBuffer out;
    out.bytes().append(pack::k_magic.data(), pack::k_magic.size());
    out.put_u32(pack::k_version);
    out.put_u32(checked_count(sections.size()));
    out.put<std::uint64_t>(0);  // file size, filled in below
    out.put_box(extent);
    out.put_u32(0);  // header CRC, filled in below
    out.pad(pack::k_header_size - out.size());
    std::uint64_t offset = pack::k_header_size + sections.size() * pack::k_directory_entry_size;
    for (const auto& section : sections) {
        offset = (offset + pack::k_section_alignment - 1) / pack::k_section_alignment * pack::k_section_alignment;
        out.put_u32(section.id);
        out.put_u32(section.record_size);
        out.put<std::uint64_t>(offset);
        out.put<std::uint64_t>(section.bytes.size());
        offset += section.bytes.size();
    }
    out.bytes().reserve(offset);
    for (auto& section : sections) {
        out.pad((pack::k_section_alignment - out.size() % pack::k_section_alignment) % pack::k_section_alignment);
        out.append(section.bytes);
        std::string().swap(section.bytes);  // each section's memory goes as soon as it is copied
    }
    auto& bytes = out.bytes();
    const std::uint64_t file_size = bytes.size();
    std::memcpy(bytes.data() + 16, &file_size, sizeof file_size);
    std::uint32_t crc = pack::crc32(bytes.data(), 40);
    crc = pack::crc32(bytes.data() + pack::k_header_size, sections.size() * pack::k_directory_entry_size, crc);
    std::memcpy(bytes.data() + 40, &crc, sizeof crc);
    return std::move(bytes);
}

void write_pack(const FeatureSet& features, const std::string& path) {
    const std::string bytes = build_pack(features);
    if (const std::error_code error = platform::replace_file_contents(platform::path_from_utf8(path), bytes))
        throw RuntimeError(runtime_errors::path_file_access_error, "write_pack",
                           "Cannot write the data pack " + path + ": " + platform::file_error_text(error) + ".");
}

}  // namespace tolm::engine
