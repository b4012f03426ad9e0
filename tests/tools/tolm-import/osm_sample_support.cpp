#include "osm_sample_support.h"

#include <osmium/builder/attr.hpp>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/memory/buffer.hpp>
#ifdef TOLM_OSM_XML
#include <osmium/io/xml_output.hpp>
#endif

namespace tolm::importer::testing {

void write_sample_extract(const std::string& path) {
    using namespace osmium::builder::attr;  // NOLINT: the builder's attribute names are its language
    using osmium::builder::add_node;
    using osmium::builder::add_relation;
    using osmium::builder::add_way;
    osmium::memory::Buffer buffer{4096, osmium::memory::Buffer::auto_grow::yes};

    add_way(buffer, _id(-10), _nodes({5, -3, 2}), _tag("highway", "primary"), _tag("name", "Burnside Street"),
            _tag("oneway", "-1"));
    add_way(buffer, _id(11), _nodes({2, -1}), _tag("highway", "motorway"), _tag("ref", "I 5"));
    add_way(buffer, _id(12), _nodes({-1, 1}), _tag("highway", "footway"));
    add_way(buffer, _id(13), _nodes({1, 5}), _tag("highway", "residential"), _tag("junction", "roundabout"));
    add_way(buffer, _id(14), _nodes({1, -3}), _tag("highway", "residential"), _tag("name", "Oak Street"), _tag("oneway", "no"));
    add_way(buffer, _id(15), _nodes({5, 2, 7, 5}), _tag("natural", "water"), _tag("name", "Laurelhurst Pond"));
    add_way(buffer, _id(16), _nodes({1, 7}), _tag("waterway", "river"), _tag("name", "Willamette River"));
    add_way(buffer, _id(17), _nodes({60, 61, 62, 63, 60}), _tag("building", "yes"), _tag("addr:housenumber", "2000"),
            _tag("addr:street", "NE Oak St"));
    add_way(buffer, _id(18), _nodes({1, 5, 999}), _tag("highway", "residential"), _tag("name", "Cut Street"));
    add_way(buffer, _id(31), _nodes({24, 25, 26, 27, 24}));
    add_way(buffer, _id(30), _nodes({20, 21, 22, 23, 20}));

    add_node(buffer, _id(5), _location(-122.60, 45.50));
    add_node(buffer, _id(-3), _location(-122.61, 45.51));
    add_node(buffer, _id(2), _location(-122.62, 45.52));
    add_node(buffer, _id(-1), _location(-122.63, 45.53));
    add_node(buffer, _id(1), _location(-122.64, 45.54));
    add_node(buffer, _id(7), _location(-122.64, 45.50));
    // Mirror Lake: a square of 0.02 degrees with an island of 0.01 in its middle.
    add_node(buffer, _id(23), _location(-122.50, 45.62));
    add_node(buffer, _id(20), _location(-122.50, 45.60));
    add_node(buffer, _id(21), _location(-122.48, 45.60));
    add_node(buffer, _id(22), _location(-122.48, 45.62));
    add_node(buffer, _id(24), _location(-122.495, 45.605));
    add_node(buffer, _id(25), _location(-122.495, 45.615));
    add_node(buffer, _id(26), _location(-122.485, 45.615));
    add_node(buffer, _id(27), _location(-122.485, 45.605));
    add_node(buffer, _id(60), _location(-122.650, 45.520));
    add_node(buffer, _id(61), _location(-122.649, 45.520));
    add_node(buffer, _id(62), _location(-122.649, 45.521));
    add_node(buffer, _id(63), _location(-122.650, 45.521));
    add_node(buffer, _id(50), _location(-122.43, 45.50), _tag("place", "town"), _tag("name", "Gresham"),
             _tag("population", "105,594"));
    add_node(buffer, _id(51), _location(-122.6776, 45.5160), _tag("addr:housenumber", "1221"), _tag("addr:street", "SW 4th Ave"),
             _tag("addr:city", "Portland"), _tag("addr:postcode", "97204"), _tag("addr:state", "OR"));

    add_relation(buffer, _id(40),
                 _members({{osmium::item_type::way, 30, "outer"}, {osmium::item_type::way, 31, "inner"}}),
                 _tag("type", "multipolygon"), _tag("natural", "water"), _tag("name", "Mirror Lake"));

    osmium::io::Writer writer{path, osmium::io::overwrite::allow};
    writer(std::move(buffer));
    writer.close();
}

}  // namespace tolm::importer::testing
