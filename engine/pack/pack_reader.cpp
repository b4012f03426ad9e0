#include "engine/pack/pack_reader.h"

#include "platform/runtime_error.h"

#include <algorithm>
#include <map>

namespace tolm::engine {

namespace {

using detail::load;

// Error number for a damaged data file; the client shows the text.
constexpr std::int32_t k_bad_file_format = 321;  // "Invalid file format"

class Damaged {
public:
    explicit Damaged(std::string name) : m_name(std::move(name)) {}
    [[noreturn]] void fail(const std::string& what) const {
        throw RuntimeError(k_bad_file_format, "tolm.engine",
                           "The map data pack " + m_name + " is damaged or not a data pack (" + what + ").");
    }

private:
    std::string m_name;
};

struct SectionSpan {
    const std::byte* data = nullptr;
    std::uint64_t size = 0;
    std::uint32_t record_size = 0;
    bool present = false;
    std::uint32_t count() const noexcept { return record_size ? static_cast<std::uint32_t>(size / record_size) : 0; }
};

bool within(std::uint64_t first, std::uint64_t count, std::uint64_t limit) noexcept {
    return first <= limit && count <= limit - first;
}

}  // namespace

pack::UnitBox GeometryTable::box(std::uint32_t feature) const noexcept {
    const std::byte* p = m_features + std::size_t(feature) * pack::k_feature_size;
    return {load<std::int32_t>(p), load<std::int32_t>(p + 4), load<std::int32_t>(p + 8), load<std::int32_t>(p + 12)};
}

std::uint32_t GeometryTable::attribute(std::uint32_t feature) const noexcept {
    return load<std::uint32_t>(m_features + std::size_t(feature) * pack::k_feature_size + 16);
}

std::uint32_t GeometryTable::ring_count(std::uint32_t feature) const noexcept {
    return load<std::uint32_t>(m_features + std::size_t(feature) * pack::k_feature_size + 24);
}

PointRun GeometryTable::ring(std::uint32_t feature, std::uint32_t ring) const noexcept {
    const std::uint32_t first_ring = load<std::uint32_t>(m_features + std::size_t(feature) * pack::k_feature_size + 20);
    const std::byte* r = m_rings + (std::size_t(first_ring) + ring) * pack::k_ring_size;
    return {m_points + std::size_t(load<std::uint32_t>(r)) * pack::k_point_size, load<std::uint32_t>(r + 4)};
}

std::uint32_t GeometryTable::first_point(std::uint32_t feature, std::uint32_t ring) const noexcept {
    const std::uint32_t first_ring = load<std::uint32_t>(m_features + std::size_t(feature) * pack::k_feature_size + 20);
    return load<std::uint32_t>(m_rings + (std::size_t(first_ring) + ring) * pack::k_ring_size);
}

void GeometryTable::query(const pack::UnitBox& area, std::vector<std::uint32_t>& out) const {
    if (m_level_count == 0 || m_feature_count == 0) return;
    // Depth-first over the levels; a fixed stack, since the tree is at most a few levels deep.
    struct Frame {
        std::uint32_t level;
        std::uint32_t node;  // index within its level
    };
    std::array<Frame, 512> stack;
    std::size_t top = 0;
    const std::uint32_t root_count = load<std::uint32_t>(m_levels + 4);
    for (std::uint32_t i = root_count; i-- > 0;) stack[top++] = {0, i};
    while (top > 0) {
        const Frame frame = stack[--top];
        const std::uint32_t level_first = load<std::uint32_t>(m_levels + std::size_t(frame.level) * pack::k_level_size);
        const std::byte* node = m_nodes + (std::size_t(level_first) + frame.node) * pack::k_node_size;
        const pack::UnitBox node_box{load<std::int32_t>(node), load<std::int32_t>(node + 4), load<std::int32_t>(node + 8),
                                     load<std::int32_t>(node + 12)};
        if (!node_box.intersects(area)) continue;
        const std::uint32_t first = load<std::uint32_t>(node + 16);
        const std::uint32_t count = load<std::uint32_t>(node + 20);
        if (frame.level + 1 == m_level_count) {
            for (std::uint32_t f = first; f < first + count; ++f)
                if (box(f).intersects(area)) out.push_back(f);
        } else {
            for (std::uint32_t c = first + count; c-- > first;) {
                if (top == stack.size()) return;  // cannot happen with a validated pack of node capacity 16
                stack[top++] = {frame.level + 1, c};
            }
        }
    }
}

PackView::PackView(std::span<const std::byte> bytes, const std::string& name) {
    const Damaged damaged(name);
    const std::byte* base = bytes.data();
    const std::uint64_t size = bytes.size();
    if (size < pack::k_header_size) damaged.fail("the file is too short for a header");
    if (std::memcmp(base, pack::k_magic.data(), pack::k_magic.size()) != 0) damaged.fail("no pack signature");
    const auto version = load<std::uint32_t>(base + 8);
    if (version != pack::k_version)
        damaged.fail("format version " + std::to_string(version) + ", this engine reads version " +
                     std::to_string(pack::k_version));
    const auto section_count = load<std::uint32_t>(base + 12);
    const auto declared_size = load<std::uint64_t>(base + 16);
    if (declared_size != size)
        damaged.fail("the file is " + std::to_string(size) + " bytes long, its header says " + std::to_string(declared_size));
    if (section_count > pack::k_max_sections) damaged.fail("too many sections");
    const std::uint64_t directory_end = pack::k_header_size + std::uint64_t(section_count) * pack::k_directory_entry_size;
    if (directory_end > size) damaged.fail("the section directory runs past the end of the file");
    std::uint32_t crc = pack::crc32(base, 40);
    crc = pack::crc32(base + pack::k_header_size, directory_end - pack::k_header_size, crc);
    if (crc != load<std::uint32_t>(base + 40)) damaged.fail("header checksum mismatch");
    m_extent = {pack::to_degrees(load<std::int32_t>(base + 24)), pack::to_degrees(load<std::int32_t>(base + 28)),
                pack::to_degrees(load<std::int32_t>(base + 32)), pack::to_degrees(load<std::int32_t>(base + 36))};

    std::map<std::uint32_t, SectionSpan> sections;
    for (std::uint32_t i = 0; i < section_count; ++i) {
        const std::byte* entry = base + pack::k_header_size + std::size_t(i) * pack::k_directory_entry_size;
        const auto id = load<std::uint32_t>(entry);
        const auto record_size = load<std::uint32_t>(entry + 4);
        const auto offset = load<std::uint64_t>(entry + 8);
        const auto length = load<std::uint64_t>(entry + 16);
        if (!within(offset, length, size) || offset < directory_end)
            damaged.fail("section " + std::to_string(id) + " lies outside the file");
        if (offset % pack::k_section_alignment != 0) damaged.fail("section " + std::to_string(id) + " is misaligned");
        if (record_size == 0 || length % record_size != 0 || length / record_size > 0xFFFFFFFFull)
            damaged.fail("section " + std::to_string(id) + " has a bad record size");
        if (!sections.try_emplace(id, SectionSpan{base + offset, length, record_size, true}).second)
            damaged.fail("section " + std::to_string(id) + " appears twice");
    }
    auto require = [&](std::uint32_t id, std::uint32_t record_size) -> SectionSpan {
        const auto it = sections.find(id);
        if (it == sections.end()) damaged.fail("section " + std::to_string(id) + " is missing");
        if (it->second.record_size != record_size) damaged.fail("section " + std::to_string(id) + " has a bad record size");
        return it->second;
    };

    const auto strings = require(pack::section_strings, 1);
    m_strings = {reinterpret_cast<const char*>(strings.data), static_cast<std::size_t>(strings.size)};
    auto check_strings = [&](const std::byte* record, std::size_t first_ref, std::size_t ref_count, const char* what) {
        for (std::size_t k = 0; k < ref_count; ++k) {
            const std::byte* ref = record + first_ref + k * pack::k_string_ref_size;
            if (!within(load<std::uint32_t>(ref), load<std::uint32_t>(ref + 4), m_strings.size()))
                damaged.fail(std::string("a text of ") + what + " lies outside the string table");
        }
    };

    const auto areas = require(pack::section_area_attributes, pack::k_area_attribute_size);
    m_areas = areas.data;
    m_area_count = areas.count();
    for (std::uint32_t i = 0; i < m_area_count; ++i) {
        const std::byte* r = m_areas + std::size_t(i) * pack::k_area_attribute_size;
        if (load<std::uint8_t>(r) > static_cast<std::uint8_t>(pack::k_last_area_kind)) damaged.fail("an area has an unknown kind");
        check_strings(r, 4, 3, "an area");
    }
    const auto roads = require(pack::section_road_attributes, pack::k_road_attribute_size);
    m_roads = roads.data;
    m_road_count = roads.count();
    for (std::uint32_t i = 0; i < m_road_count; ++i) {
        const std::byte* r = m_roads + std::size_t(i) * pack::k_road_attribute_size;
        if (load<std::uint8_t>(r) > static_cast<std::uint8_t>(RoadClass::ramp)) damaged.fail("a road has an unknown class");
        if (load<std::uint8_t>(r + 2) > static_cast<std::uint8_t>(k_last_road_kind)) damaged.fail("a road has an unknown kind");
        check_strings(r, 4, 2, "a road");
    }
    const auto places = require(pack::section_places, pack::k_place_size);
    m_places = places.data;
    m_place_count = places.count();
    for (std::uint32_t i = 0; i < m_place_count; ++i) check_strings(m_places + std::size_t(i) * pack::k_place_size, 16, 3, "a place");

    const auto range_points = require(pack::section_address_points, pack::k_point_size);
    m_range_points = range_points.data;
    const auto ranges = require(pack::section_address_ranges, pack::k_address_range_size);
    m_ranges = ranges.data;
    m_range_count = ranges.count();
    for (std::uint32_t i = 0; i < m_range_count; ++i) {
        const std::byte* r = m_ranges + std::size_t(i) * pack::k_address_range_size;
        check_strings(r, 0, 6, "an address range");
        if (!within(load<std::uint32_t>(r + 52), load<std::uint32_t>(r + 56), range_points.count()))
            damaged.fail("an address range's points lie outside their table");
    }
    const auto zips = require(pack::section_zips, pack::k_postal_size);
    m_zips = zips.data;
    m_zip_count = zips.count();
    for (std::uint32_t i = 0; i < m_zip_count; ++i) check_strings(m_zips + std::size_t(i) * pack::k_postal_size, 0, 4, "a ZIP code");
    const auto phones = require(pack::section_phone_areas, pack::k_postal_size);
    m_phones = phones.data;
    m_phone_count = phones.count();
    for (std::uint32_t i = 0; i < m_phone_count; ++i)
        check_strings(m_phones + std::size_t(i) * pack::k_postal_size, 0, 4, "a telephone area");

    for (std::uint32_t layer = 0; layer < pack::k_geometry_layer_count; ++layer) {
        const auto layer_id = static_cast<pack::GeometryLayer>(layer);
        const std::uint32_t attribute_limit = layer_id == pack::GeometryLayer::road ? m_road_count : m_area_count;
        for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
            const auto features = require(pack::geometry_section(layer_id, band, pack::part_features), pack::k_feature_size);
            const auto rings = require(pack::geometry_section(layer_id, band, pack::part_rings), pack::k_ring_size);
            const auto points = require(pack::geometry_section(layer_id, band, pack::part_points), pack::k_point_size);
            const auto nodes = require(pack::geometry_section(layer_id, band, pack::part_nodes), pack::k_node_size);
            const auto levels = require(pack::geometry_section(layer_id, band, pack::part_levels), pack::k_level_size);
            const std::string where = "layer " + std::to_string(layer) + " band " + std::to_string(band);
            for (std::uint32_t f = 0; f < features.count(); ++f) {
                const std::byte* r = features.data + std::size_t(f) * pack::k_feature_size;
                if (load<std::uint32_t>(r + 16) >= attribute_limit) damaged.fail("a feature of " + where + " has no attributes");
                if (load<std::int32_t>(r) > load<std::int32_t>(r + 4) || load<std::int32_t>(r + 8) > load<std::int32_t>(r + 12))
                    damaged.fail("a feature of " + where + " has an inverted box");
                if (!within(load<std::uint32_t>(r + 20), load<std::uint32_t>(r + 24), rings.count()))
                    damaged.fail("a feature of " + where + " refers to rings outside its table");
                // A road is drawn and labelled along its line: the labels read its first ring.
                if (layer_id == pack::GeometryLayer::road && load<std::uint32_t>(r + 24) == 0)
                    damaged.fail("a road of " + where + " has no line");
            }
            for (std::uint32_t k = 0; k < rings.count(); ++k) {
                const std::byte* r = rings.data + std::size_t(k) * pack::k_ring_size;
                if (!within(load<std::uint32_t>(r), load<std::uint32_t>(r + 4), points.count()))
                    damaged.fail("a ring of " + where + " refers to points outside its table");
            }
            // Index levels: consecutive node ranges, each node's children inside the next level,
            // leaves inside the feature table. No node can point back up, so a query always ends.
            const std::uint32_t level_count = levels.count();
            if (features.count() > 0 && level_count == 0) damaged.fail("the index of " + where + " is missing");
            if (level_count > 16) damaged.fail("the index of " + where + " is too deep");
            std::uint32_t expected_first = 0;
            for (std::uint32_t level = 0; level < level_count; ++level) {
                const std::byte* l = levels.data + std::size_t(level) * pack::k_level_size;
                const auto first = load<std::uint32_t>(l);
                const auto count = load<std::uint32_t>(l + 4);
                if (first != expected_first || !within(first, count, nodes.count()))
                    damaged.fail("the index of " + where + " has a bad level");
                const std::uint32_t child_limit = level + 1 == level_count
                                                      ? features.count()
                                                      : load<std::uint32_t>(levels.data + std::size_t(level + 1) * pack::k_level_size + 4);
                if (level == 0 && count > pack::k_index_node_capacity) damaged.fail("the index of " + where + " has a bad root");
                for (std::uint32_t n = first; n < first + count; ++n) {
                    const std::byte* node = nodes.data + std::size_t(n) * pack::k_node_size;
                    const auto child_count = load<std::uint32_t>(node + 20);
                    if (child_count > pack::k_index_node_capacity || !within(load<std::uint32_t>(node + 16), child_count, child_limit))
                        damaged.fail("the index of " + where + " has a bad node");
                }
                expected_first = first + count;
            }
            GeometryTable& table = m_geometry[layer][band];
            table.m_features = features.data;
            table.m_rings = rings.data;
            table.m_points = points.data;
            table.m_nodes = nodes.data;
            table.m_levels = levels.data;
            table.m_feature_count = features.count();
            table.m_level_count = level_count;
        }
    }
}

const SharedEdges& PackView::shared_edges(pack::GeometryLayer layer, std::uint32_t band) const {
    const std::size_t table = static_cast<std::size_t>(layer) * pack::k_band_count + band;
    std::call_once(m_shared_edges->found[table], [&] { m_shared_edges->edges[table] = SharedEdges(geometry(layer, band)); });
    return m_shared_edges->edges[table];
}

std::string_view PackView::string_at(const std::byte* ref) const noexcept {
    return m_strings.substr(load<std::uint32_t>(ref), load<std::uint32_t>(ref + 4));
}

AreaAttributes PackView::area(std::uint32_t index) const noexcept {
    const std::byte* r = m_areas + std::size_t(index) * pack::k_area_attribute_size;
    return {static_cast<AreaKind>(load<std::uint8_t>(r)), string_at(r + 4), string_at(r + 12), string_at(r + 20)};
}

RoadAttributes PackView::road(std::uint32_t index) const noexcept {
    const std::byte* r = m_roads + std::size_t(index) * pack::k_road_attribute_size;
    const auto flags = load<std::uint8_t>(r + 1);
    const RoadLevel level = (flags & pack::k_road_bridge) ? RoadLevel::bridge
                            : (flags & pack::k_road_tunnel) ? RoadLevel::tunnel
                                                            : RoadLevel::ground;
    return {static_cast<RoadClass>(load<std::uint8_t>(r)), (flags & pack::k_road_oneway) != 0, static_cast<RoadKind>(load<std::uint8_t>(r + 2)),
            level, (flags & pack::k_road_roundabout) != 0, string_at(r + 4), string_at(r + 12)};
}

PlaceRecord PackView::place(std::uint32_t index) const noexcept {
    const std::byte* r = m_places + std::size_t(index) * pack::k_place_size;
    return {{pack::to_degrees(load<std::int32_t>(r)), pack::to_degrees(load<std::int32_t>(r + 4))},
            load<std::int64_t>(r + 8),
            string_at(r + 16),
            string_at(r + 24),
            string_at(r + 32)};
}

AddressRangeRecord PackView::address_range(std::uint32_t index) const noexcept {
    const std::byte* r = m_ranges + std::size_t(index) * pack::k_address_range_size;
    return {string_at(r),
            string_at(r + 8),
            string_at(r + 16),
            string_at(r + 24),
            string_at(r + 32),
            string_at(r + 40),
            load<std::uint8_t>(r + 48) != 0,
            static_cast<char>(load<std::uint8_t>(r + 49)),
            PointRun(m_range_points + std::size_t(load<std::uint32_t>(r + 52)) * pack::k_point_size, load<std::uint32_t>(r + 56))};
}

namespace {
PostalRecord postal_at(const std::byte* r, std::string_view strings) {
    auto text = [&](std::size_t at) { return strings.substr(load<std::uint32_t>(r + at), load<std::uint32_t>(r + at + 4)); };
    return {text(0), text(8), text(16), text(24),
            {pack::to_degrees(load<std::int32_t>(r + 32)), pack::to_degrees(load<std::int32_t>(r + 36))}};
}
}  // namespace

PostalRecord PackView::zip(std::uint32_t index) const noexcept {
    return postal_at(m_zips + std::size_t(index) * pack::k_postal_size, m_strings);
}

PostalRecord PackView::phone_area(std::uint32_t index) const noexcept {
    return postal_at(m_phones + std::size_t(index) * pack::k_postal_size, m_strings);
}

FeatureSet read_features(const PackView& view) {
    FeatureSet out;
    auto text = [](std::string_view v) { return std::string(v); };
    auto line_of = [](const PointRun& run) {
        Polyline points;
        points.reserve(run.size());
        for (std::uint32_t i = 0; i < run.size(); ++i) points.push_back(run.lon_lat(i));
        return points;
    };
    constexpr std::uint32_t full_detail = pack::k_band_count - 1;

    out.areas.resize(view.area_count());
    for (std::uint32_t i = 0; i < view.area_count(); ++i) {
        const AreaAttributes a = view.area(i);
        out.areas[i] = {a.kind, text(a.name), text(a.code), text(a.state_code), {}};
    }
    for (std::uint32_t layer = 0; layer <= static_cast<std::uint32_t>(pack::k_last_area_kind); ++layer) {
        const GeometryTable& table = view.geometry(static_cast<pack::GeometryLayer>(layer), full_detail);
        for (std::uint32_t f = 0; f < table.size(); ++f) {
            const std::uint32_t attribute = table.attribute(f);
            if (attribute >= out.areas.size()) continue;
            for (std::uint32_t r = 0; r < table.ring_count(f); ++r) out.areas[attribute].rings.push_back(line_of(table.ring(f, r)));
        }
    }

    out.roads.resize(view.road_count());
    for (std::uint32_t i = 0; i < view.road_count(); ++i) {
        const RoadAttributes a = view.road(i);
        out.roads[i] = {a.road_class, text(a.name), text(a.ref), a.oneway, {}};
    }
    const GeometryTable& roads = view.geometry(pack::GeometryLayer::road, full_detail);
    for (std::uint32_t f = 0; f < roads.size(); ++f) {
        const std::uint32_t attribute = roads.attribute(f);
        if (attribute < out.roads.size() && roads.ring_count(f) > 0) out.roads[attribute].points = line_of(roads.ring(f, 0));
    }

    for (std::uint32_t i = 0; i < view.place_count(); ++i) {
        const PlaceRecord p = view.place(i);
        out.places.push_back({text(p.name), text(p.state_code), text(p.county), p.position, p.population});
    }
    for (std::uint32_t i = 0; i < view.address_range_count(); ++i) {
        const AddressRangeRecord r = view.address_range(i);
        out.address_ranges.push_back({text(r.street), text(r.from_number), text(r.to_number), r.right_side, r.parity,
                                      text(r.zip), text(r.place), text(r.state_code), line_of(r.points)});
    }
    for (std::uint32_t i = 0; i < view.zip_count(); ++i) {
        const PostalRecord z = view.zip(i);
        out.zips.push_back({text(z.key), text(z.place), text(z.third), text(z.fourth), z.position});
    }
    for (std::uint32_t i = 0; i < view.phone_area_count(); ++i) {
        const PostalRecord p = view.phone_area(i);
        out.phone_areas.push_back({text(p.key), text(p.place), text(p.third), text(p.fourth), p.position});
    }
    return out;
}

Pack::Pack(const std::string& path) : m_file(path), m_view(m_file.bytes(), path) {}

}  // namespace tolm::engine
