#include "tools/tolm-import/osm_reader.h"

#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"

#include "engine/us_states.h"
#include "platform/atomic_file.h"
#include "platform/scratch_file.h"
#include "platform/text.h"

#include <osmium/area/assembler.hpp>
#include <osmium/handler.hpp>
#include <osmium/handler/node_locations_for_ways.hpp>
#include <osmium/index/map/sparse_file_array.hpp>
#include <osmium/index/map/sparse_mem_array.hpp>
#include <osmium/io/pbf_input.hpp>
#include <osmium/io/reader.hpp>
#ifdef TOLM_OSM_XML
#include <osmium/io/xml_input.hpp>
#endif
#include <osmium/osm/area.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/way.hpp>
#include <osmium/relations/relations_manager.hpp>
#include <osmium/tags/tags_filter.hpp>
#include <osmium/visitor.hpp>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>
#include <system_error>

namespace tolm::importer {

namespace {

namespace fs = std::filesystem;

using LocationIndex = osmium::index::map::SparseFileArray<osmium::unsigned_object_id_type, osmium::Location>;
using NegativeIndex = osmium::index::map::SparseMemArray<osmium::unsigned_object_id_type, osmium::Location>;
using LocationHandler = osmium::handler::NodeLocationsForWays<LocationIndex, NegativeIndex>;

std::string_view tag(const osmium::TagList& tags, const char* key) {
    const char* value = tags.get_value_by_key(key);
    return value ? std::string_view(value) : std::string_view();
}

bool is_water_area(const osmium::TagList& tags) {
    const auto natural = tag(tags, "natural");
    const auto landuse = tag(tags, "landuse");
    return natural == "water" || tag(tags, "waterway") == "riverbank" || landuse == "reservoir" || landuse == "basin";
}

// Areas the reader wants assembled: water, and buildings (or other areas) that carry an address.
osmium::TagsFilter area_filter() {
    osmium::TagsFilter filter{false};
    filter.add_rule(true, osmium::TagMatcher{"natural", "water"});
    filter.add_rule(true, osmium::TagMatcher{"waterway", "riverbank"});
    filter.add_rule(true, osmium::TagMatcher{"landuse", "reservoir"});
    filter.add_rule(true, osmium::TagMatcher{"landuse", "basin"});
    filter.add_rule(true, osmium::TagMatcher{"addr:housenumber"});
    return filter;
}

// Multipolygon relations and closed ways assembled into areas, as libosmium's own multipolygon
// manager does, but without its check that the ways come in order of their ids: the members are
// found by id whatever their order, so unsorted files are read in full.
class AreaManager : public osmium::relations::RelationsManager<AreaManager, false, true, false, false> {
public:
    AreaManager() : m_filter(area_filter()) {
        m_config.ignore_invalid_locations = true;
        m_config.create_empty_areas = false;
    }

    bool new_relation(const osmium::Relation& relation) const {
        const auto type = tag(relation.tags(), "type");
        if (type != "multipolygon") return false;
        if (!osmium::tags::match_any_of(relation.tags(), m_filter)) return false;
        return std::any_of(relation.members().cbegin(), relation.members().cend(),
                           [](const osmium::RelationMember& member) { return member.type() == osmium::item_type::way; });
    }

    void complete_relation(const osmium::Relation& relation) {
        std::vector<const osmium::Way*> ways;
        ways.reserve(relation.members().size());
        for (const auto& member : relation.members())
            if (member.ref() != 0) ways.push_back(this->get_member_way(member.ref()));
        try {
            osmium::area::Assembler assembler{m_config};
            assembler(relation, ways, this->buffer());
        } catch (const osmium::invalid_location&) {
            ++m_failed;
        }
    }

    void after_way(const osmium::Way& way) {
        if (way.nodes().size() <= 3 || !way.nodes().front().location() || !way.nodes().back().location()) return;
        if (!way.ends_have_same_location() || way.tags().has_tag("area", "no")) return;
        if (osmium::tags::match_none_of(way.tags(), m_filter)) return;
        try {
            osmium::area::Assembler assembler{m_config};
            assembler(way, this->buffer());
            this->possibly_flush();
        } catch (const osmium::invalid_location&) {
            ++m_failed;
        }
    }

    std::size_t failed() const noexcept { return m_failed; }

private:
    osmium::area::Assembler::config_type m_config;
    osmium::TagsFilter m_filter;
    std::size_t m_failed = 0;
};

// An address point: a range of one number at one position, which the address search finds like a
// TIGER range.
engine::AddressRangeFeature address_of(const osmium::TagList& tags, const engine::LonLat& position) {
    engine::AddressRangeFeature address;
    address.street = std::string(tag(tags, "addr:street"));
    address.from_number = address.to_number = std::string(tag(tags, "addr:housenumber"));
    address.right_side = true;
    address.parity = 'B';
    std::string zip(tag(tags, "addr:postcode"));
    if (zip.size() > 5 && (zip[5] == '-' || zip[5] == ' ')) zip.resize(5);
    address.zip = zip;
    address.place = std::string(tag(tags, "addr:city"));
    address.state_code = to_upper_ascii(std::string(tag(tags, "addr:state")));
    address.points = {position};
    return address;
}

bool has_address(const osmium::TagList& tags) {
    return !tag(tags, "addr:housenumber").empty() && !tag(tags, "addr:street").empty();
}

engine::Ring ring_of(const osmium::NodeRefList& nodes) {
    engine::Ring ring;
    ring.reserve(nodes.size());
    for (const auto& node : nodes)
        if (node.location().valid()) ring.push_back({node.location().lon(), node.location().lat()});
    return ring;
}

// The centre of a ring's area (its first point when it has none).
engine::LonLat centroid_of(const engine::Ring& ring) {
    if (ring.empty()) return {};
    // Measured from the first point: products of whole coordinates would cancel in rounding.
    const engine::LonLat origin = ring.front();
    double area = 0, x = 0, y = 0;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        const double x0 = ring[i].lon - origin.lon, y0 = ring[i].lat - origin.lat;
        const double x1 = ring[i + 1].lon - origin.lon, y1 = ring[i + 1].lat - origin.lat;
        const double cross = x0 * y1 - x1 * y0;
        area += cross;
        x += (x0 + x1) * cross;
        y += (y0 + y1) * cross;
    }
    if (std::abs(area) < 1e-18) return origin;
    return {origin.lon + x / (3 * area), origin.lat + y / (3 * area)};
}

struct Collector : osmium::handler::Handler {
    ImportData& data;
    OsmCounts& counts;
    std::map<std::string, std::size_t> states_named;

    Collector(ImportData& d, OsmCounts& c) : data(d), counts(c) {}

    void add_address(engine::AddressRangeFeature address) {
        if (!address.state_code.empty()) ++states_named[address.state_code];
        data.features.address_ranges.push_back(std::move(address));
        ++counts.addresses;
    }

    void node(const osmium::Node& node) {
        ++counts.nodes;
        const auto& tags = node.tags();
        if (tags.empty() || !node.location().valid()) return;
        const engine::LonLat position{node.location().lon(), node.location().lat()};
        if (has_address(tags)) add_address(address_of(tags, position));
        const auto place = tag(tags, "place");
        const auto name = tag(tags, "name");
        if (!name.empty() && (place == "city" || place == "town" || place == "village" || place == "hamlet")) {
            engine::PlaceFeature feature;
            feature.name = std::string(name);
            feature.state_code = to_upper_ascii(std::string(tag(tags, "is_in:state_code")));
            if (feature.state_code.empty()) feature.state_code = to_upper_ascii(std::string(tag(tags, "addr:state")));
            feature.position = position;
            feature.population = detail::osm_population(tag(tags, "population"));
            data.street_places.push_back(std::move(feature));
            ++counts.places;
        }
    }

    void way(const osmium::Way& way) {
        const auto& tags = way.tags();
        const auto highway = tag(tags, "highway");
        const auto waterway = tag(tags, "waterway");
        if (highway.empty() && waterway.empty()) return;
        engine::Polyline line = ring_of(way.nodes());
        if (line.size() != way.nodes().size()) ++counts.incomplete_ways;
        line = clean_polyline(line);
        if (line.size() < 2) return;

        if (!highway.empty()) {
            const std::string ref(tag(tags, "ref"));
            const auto road_class = detail::osm_road_class(highway, ref);
            if (!road_class || tag(tags, "area") == "yes") return;
            const auto one_way = detail::osm_one_way(tag(tags, "oneway"), highway, tag(tags, "junction"));
            engine::RoadFeature road;
            road.road_class = *road_class;
            road.name = std::string(tag(tags, "name"));
            road.ref = ref;
            road.oneway = one_way != detail::OneWay::no;
            road.kind = detail::osm_road_kind(highway);
            road.level = detail::osm_road_level(tag(tags, "bridge"), tag(tags, "tunnel"));
            const auto junction = tag(tags, "junction");
            road.roundabout = junction == "roundabout" || junction == "circular";
            if (one_way == detail::OneWay::backward) std::reverse(line.begin(), line.end());
            road.points = std::move(line);
            data.features.roads.push_back(std::move(road));
            ++counts.roads;
            return;
        }
        double width = waterway == "river" ? 30 : waterway == "canal" ? 15 : waterway == "stream" ? 5 : 0;
        if (width == 0) return;
        const auto tagged = tag(tags, "width");
        double value = 0;
        if (!tagged.empty() && std::from_chars(tagged.data(), tagged.data() + tagged.size(), value).ec == std::errc() && value > 0)
            width = std::clamp(value, 1.0, 500.0);
        engine::AreaFeature river;
        river.kind = engine::AreaKind::water;
        river.name = std::string(tag(tags, "name"));
        river.rings = {detail::ribbon_around(line, width)};
        if (river.rings.front().size() < 4) return;
        data.street_water.push_back(std::move(river));
        ++counts.water;
    }

    void area(const osmium::Area& area) {
        const auto& tags = area.tags();
        std::vector<engine::Ring> rings;
        for (const auto& outer : area.outer_rings()) {
            engine::Ring ring = clean_ring(ring_of(outer));
            if (ring.empty()) continue;
            orient_ring(ring, true);
            rings.push_back(std::move(ring));
            for (const auto& inner : area.inner_rings(outer)) {
                engine::Ring hole = clean_ring(ring_of(inner));
                if (hole.empty()) continue;
                orient_ring(hole, false);
                rings.push_back(std::move(hole));
            }
        }
        if (rings.empty()) return;
        if (has_address(tags)) add_address(address_of(tags, centroid_of(rings.front())));
        if (is_water_area(tags)) {
            engine::AreaFeature water;
            water.kind = engine::AreaKind::water;
            water.name = std::string(tag(tags, "name"));
            water.rings = std::move(rings);
            data.street_water.push_back(std::move(water));
            ++counts.water;
        }
    }
};

osmium::io::File osm_file(const std::string& path) {
    osmium::io::File file(path);
    if (file.format() == osmium::io::file_format::unknown)
        throw ImportError("\"" + path + "\" is not an OpenStreetMap file (.osm.pbf or .osm)");
#ifndef TOLM_OSM_XML
    if (file.format() != osmium::io::file_format::pbf)
        throw ImportError("\"" + path + "\": this importer reads OpenStreetMap PBF files (.osm.pbf) only");
#endif
    return file;
}

fs::path index_path(const OsmReadOptions& options) {
    static std::atomic<unsigned> serial{0};
    std::error_code error;
    fs::path folder = options.index_folder.empty() ? fs::temp_directory_path(error) : platform::path_from_utf8(options.index_folder);
    if (error) folder = fs::current_path();
    fs::create_directories(folder, error);
    return folder / ("tolm-import-nodes-" + std::to_string(serial++) + ".tmp");
}

}  // namespace

std::optional<engine::RoadClass> detail::osm_road_class(std::string_view highway, std::string_view ref) {
    using engine::RoadClass;
    if (highway == "motorway") {
        // US motorways are interstates nearly everywhere; toll roads and state freeways are not.
        return ref.starts_with("I ") || ref.starts_with("I-") || ref.empty() ? RoadClass::interstate : RoadClass::highway;
    }
    if (highway == "trunk" || highway == "primary") return RoadClass::highway;
    if (highway == "secondary" || highway == "tertiary") return RoadClass::major;
    if (highway.ends_with("_link")) return RoadClass::ramp;
    if (highway == "unclassified" || highway == "residential" || highway == "living_street" || highway == "service" ||
        highway == "road" || highway == "track")
        return RoadClass::local;
    return std::nullopt;
}

engine::RoadKind detail::osm_road_kind(std::string_view highway) {
    using engine::RoadKind;
    if (highway == "motorway") return RoadKind::motorway;
    if (highway == "trunk") return RoadKind::trunk;
    if (highway == "primary") return RoadKind::primary;
    if (highway == "secondary") return RoadKind::secondary;
    if (highway == "tertiary") return RoadKind::tertiary;
    if (highway == "unclassified" || highway == "residential" || highway == "living_street" || highway == "road")
        return RoadKind::minor;
    if (highway == "service") return RoadKind::service;
    if (highway == "track") return RoadKind::track;
    return RoadKind::unknown;
}

engine::RoadLevel detail::osm_road_level(std::string_view bridge, std::string_view tunnel) {
    if (!bridge.empty() && bridge != "no") return engine::RoadLevel::bridge;
    if (!tunnel.empty() && tunnel != "no") return engine::RoadLevel::tunnel;
    return engine::RoadLevel::ground;
}

detail::OneWay detail::osm_one_way(std::string_view oneway, std::string_view highway, std::string_view junction) {
    if (oneway == "yes" || oneway == "true" || oneway == "1") return OneWay::forward;
    if (oneway == "-1" || oneway == "reverse") return OneWay::backward;
    if (!oneway.empty()) return OneWay::no;  // "no", and values that only hold at times ("alternating")
    // Implied by the tagging rules.
    if (highway == "motorway" || junction == "roundabout" || junction == "circular") return OneWay::forward;
    return OneWay::no;
}

std::int64_t detail::osm_population(std::string_view value) {
    std::int64_t number = 0;
    bool any = false;
    for (char c : value) {
        if (c >= '0' && c <= '9') {
            if (number > 100'000'000'000LL) return 0;
            number = number * 10 + (c - '0');
            any = true;
        } else if (c == ',' || c == ' ' || c == '\'') {
            continue;
        } else {
            break;  // "12000 (2010)", "1.2e4": the leading number
        }
    }
    return any ? number : 0;
}

engine::Ring detail::ribbon_around(const engine::Polyline& line, double width_metres) {
    if (line.size() < 2) return {};
    constexpr double metres_per_degree = 111'320.0;
    const double half = width_metres / 2;
    std::vector<engine::LonLat> left, right;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto& before = line[i == 0 ? 0 : i - 1];
        const auto& after = line[i + 1 < line.size() ? i + 1 : i];
        const double scale = std::cos(line[i].lat * std::numbers::pi / 180);
        const double dx = (after.lon - before.lon) * scale * metres_per_degree;
        const double dy = (after.lat - before.lat) * metres_per_degree;
        const double length = std::hypot(dx, dy);
        if (length == 0) continue;
        // The normal to the direction of the line, to the left, in degrees.
        const double nx = -dy / length * half / (metres_per_degree * std::max(scale, 1e-6));
        const double ny = dx / length * half / metres_per_degree;
        left.push_back({line[i].lon + nx, line[i].lat + ny});
        right.push_back({line[i].lon - nx, line[i].lat - ny});
    }
    if (left.size() < 2) return {};
    engine::Ring ring = left;
    ring.insert(ring.end(), right.rbegin(), right.rend());
    ring.push_back(ring.front());
    engine::Ring cleaned = clean_ring(ring);
    if (!cleaned.empty()) orient_ring(cleaned, true);
    return cleaned;
}

OsmCounts read_osm(const std::string& path, ImportData& out, Progress& progress, const OsmReadOptions& options) {
    const osmium::io::File file = osm_file(path);
    std::error_code error;
    const auto size = fs::file_size(platform::path_from_utf8(path), error);
    if (error) throw ImportError("cannot read \"" + path + "\": " + error.message());
    const double total = std::max<double>(1, static_cast<double>(size));

    OsmCounts counts;
    Collector collector(out, counts);
    const std::size_t first_address = out.features.address_ranges.size();
    const std::size_t first_place = out.street_places.size();
    const fs::path scratch = index_path(options);
    try {
        std::unique_ptr<platform::ScratchFile> index_file;
        try {
            index_file = std::make_unique<platform::ScratchFile>(scratch);
        } catch (const std::system_error& failure) {
            throw ImportError("cannot create the node index \"" + scratch.string() + "\": " + failure.code().message());
        }
        LocationIndex positive(index_file->descriptor());
        NegativeIndex negative;
        LocationHandler locations(positive, negative);
        locations.ignore_errors();
        AreaManager areas;

        // Pass 1: every node's location into the index, addresses and places of nodes, and the
        // relations whose member ways pass 2 assembles.
        progress.begin("reading nodes and relations of " + path);
        {
            osmium::io::Reader reader(file, osmium::osm_entity_bits::node | osmium::osm_entity_bits::relation);
            while (osmium::memory::Buffer buffer = reader.read()) {
                osmium::apply(buffer, locations, collector, areas);
                progress.update(counts.nodes, 0, 50.0 * static_cast<double>(reader.offset()) / total);
            }
            reader.close();
        }
        areas.prepare_for_lookup();
        positive.sort();
        negative.sort();
        progress.end(std::to_string(counts.nodes) + " nodes");

        // Pass 2: the ways, with their nodes' locations from the index.
        progress.begin("reading ways of " + path);
        {
            osmium::io::Reader reader(file, osmium::osm_entity_bits::way);
            auto& assembled = areas.handler([&](osmium::memory::Buffer&& area_buffer) { osmium::apply(area_buffer, collector); });
            while (osmium::memory::Buffer buffer = reader.read()) {
                osmium::apply(buffer, locations, collector, assembled);
                progress.update(counts.roads, 0, 50.0 + 50.0 * static_cast<double>(reader.offset()) / total);
            }
            reader.close();
            assembled.flush();
        }
        if (areas.failed()) progress.warn(path + ": " + std::to_string(areas.failed()) + " areas left out (nodes missing)");
    } catch (const ImportError&) {
        throw;
    } catch (const std::system_error& failure) {
        throw ImportError("cannot read \"" + path + "\": " + failure.what());
    } catch (const std::exception& failure) {
        // libosmium's and protozero's errors on a damaged or foreign file.
        throw ImportError("cannot read \"" + path + "\" as OpenStreetMap data: " + failure.what());
    }
    if (counts.nodes == 0) throw ImportError("\"" + path + "\" holds no OpenStreetMap nodes");
    if (counts.incomplete_ways)
        progress.warn(path + ": " + std::to_string(counts.incomplete_ways) +
                      " ways have nodes the file does not hold (cut at the edge of the extract); their other points are kept");

    // The state most addresses of the extract name stands for those that name none.
    std::string state;
    std::size_t most = 0;
    for (const auto& [code, count] : collector.states_named)
        if (count > most && engine::state_by_code(code)) {
            state = code;
            most = count;
        }
    if (!state.empty()) {
        for (std::size_t i = first_address; i < out.features.address_ranges.size(); ++i)
            if (out.features.address_ranges[i].state_code.empty()) out.features.address_ranges[i].state_code = state;
        for (std::size_t i = first_place; i < out.street_places.size(); ++i)
            if (out.street_places[i].state_code.empty()) out.street_places[i].state_code = state;
    }
    progress.end(std::to_string(counts.roads) + " roads, " + std::to_string(counts.water) + " water areas, " +
                 std::to_string(counts.places) + " places, " + std::to_string(counts.addresses) + " addresses");
    return counts;
}

}  // namespace tolm::importer
