#include "engine/geojson_reader.h"

#include <nlohmann/json.hpp>

#include <array>
#include <cstddef>
#include <iterator>
#include <memory>
#include <utility>

// The reader follows the JSON library's events and keeps, for each object it is inside, only what
// the overlay needs of that object's members. An object's members may come in any order ("type"
// after "coordinates", say), so an object is judged when it ends, from what was kept of it; and a
// member given twice counts with its last value, as a JSON object keeps it. A fault is remembered,
// not thrown, because invalid JSON later in the file is what the user must hear of first.
namespace tolm::engine::detail {

namespace {

using Json = nlohmann::json;

// GeometryCollections inside GeometryCollections: RFC 7946 advises against nesting them at all.
constexpr int k_max_nesting = 8;
constexpr std::size_t k_max_positions = Overlay::k_max_overlay_positions;
constexpr const char* k_not_a_position = "a position is not an array of numbers [longitude, latitude]";

// A fault in what the file means, raised while one object is judged and kept by whoever asked.
struct Fault {
    std::string why;
};
[[noreturn]] void fault(std::string why) { throw Fault{std::move(why)}; }

// A JSON value as far as the reader looks at it.
struct Value {
    enum class Kind { null, boolean, number, text, object, array };
    Kind kind = Kind::null;
    double number = 0;
    std::string text;
};

// The items a part of the file holds, or its first fault. Past the limit on positions no more
// items are kept, yet faults are still looked for.
struct Outcome {
    std::vector<Overlay::Item> items;
    std::optional<std::string> fault;
    std::size_t positions = 0;
    bool too_many = false;

    void fail(std::string why) {
        if (fault) return;
        fault = std::move(why);
        drop();
    }
    void add(Overlay::Item item) {
        if (fault || item.points.empty()) return;
        positions += item.points.size();
        if (positions > k_max_positions) too_many = true;
        if (too_many) return drop();
        items.push_back(std::move(item));
    }
    void add(Outcome&& part) {
        if (fault) return;
        if (part.fault) return fail(std::move(*part.fault));
        if (part.too_many) {
            too_many = true;
            drop();
        }
        for (auto& item : part.items) add(std::move(item));
    }
    void drop() {
        items.clear();
        items.shrink_to_fit();
    }
};

// ----------------------------------------------------------------------------------------------
// Coordinates. Their meaning hangs on the geometry's type, which may not be known yet, so they are
// read for every type at once: each type has its own first fault, and the positions at each depth
// are kept once for the types whose positions lie there, while one of those types still holds.

enum class Shape { point, multi_point, line_string, multi_line_string, polygon, multi_polygon };

struct ShapeRule {
    const char* type;
    Overlay::Kind kind;
    std::size_t position_level;  // how deep in the coordinates the positions are
    // For each level above the positions: what is said of a value there that is not an array, and
    // how many entries an array there needs.
    std::array<const char*, 3> not_an_array;
    std::array<std::size_t, 3> least;
};

constexpr const char* k_not_positions = "\"coordinates\" are not an array of positions";
constexpr const char* k_not_rings = "polygon \"coordinates\" are not an array of rings";

constexpr std::array<ShapeRule, 6> k_shapes{{
    {"Point", Overlay::Kind::point, 0, {}, {}},
    {"MultiPoint", Overlay::Kind::point, 1, {k_not_positions}, {0}},
    {"LineString", Overlay::Kind::line, 1, {k_not_positions}, {2}},
    {"MultiLineString", Overlay::Kind::line, 2, {"\"coordinates\" are not an array of lines", k_not_positions}, {0, 2}},
    {"Polygon", Overlay::Kind::area, 2, {k_not_rings, k_not_positions}, {0, 4}},
    {"MultiPolygon", Overlay::Kind::area, 3, {"\"coordinates\" are not an array of polygons", k_not_rings, k_not_positions}, {0, 0, 4}},
}};
constexpr std::size_t k_levels = 4;  // the deepest positions are at level 3

std::optional<Shape> shape_of(const std::string& type) {
    for (std::size_t i = 0; i < k_shapes.size(); ++i)
        if (type == k_shapes[i].type) return static_cast<Shape>(i);
    return std::nullopt;
}

const char* not_an_array_at(const ShapeRule& rule, std::size_t level) {
    return level == rule.position_level ? k_not_a_position : rule.not_an_array[level];
}

class CoordinatesReader {
public:
    // The coordinates are not an array at all.
    void not_an_array() {
        for (std::size_t s = 0; s < k_shapes.size(); ++s) settle(s, not_an_array_at(k_shapes[s], 0));
        update_keeping();
    }
    // The coordinates' own array starts.
    void start() { open_level(); }
    std::size_t depth() const noexcept { return m_levels.size(); }

    // An entry of the innermost open array; `number` when it is a number, null for other values.
    void entry(bool array, const double* number) {
        const std::size_t level = m_levels.size() - 1;
        Level& at = m_levels[level];
        ++at.count;
        if (at.count <= 2) {
            at.numbers[at.count - 1] = number != nullptr;
            at.values[at.count - 1] = number ? *number : 0;
        }
        for (std::size_t s = 0; s < k_shapes.size(); ++s) {
            const ShapeRule& rule = k_shapes[s];
            if (m_checks[s].fault || level >= rule.position_level) continue;
            // Enough entries: a fault held back while the array might still prove too short counts.
            if (at.count == rule.least[level] && m_checks[s].held) settle(s, *m_checks[s].held);
            if (!array) raise(s, level, not_an_array_at(rule, level + 1));
        }
        update_keeping();
        if (array && level + 1 < k_levels) open_level();
    }

    // The innermost open array ends.
    void end() {
        const std::size_t level = m_levels.size() - 1;
        const Level at = m_levels.back();
        m_levels.pop_back();
        const char* position_fault = nullptr;
        if (at.count < 2 || !at.numbers[0] || !at.numbers[1]) position_fault = k_not_a_position;
        else if (!(at.values[0] >= -180 && at.values[0] <= 180 && at.values[1] >= -90 && at.values[1] <= 90))
            position_fault = "a position lies outside longitude -180 to 180, latitude -90 to 90";
        for (std::size_t s = 0; s < k_shapes.size(); ++s) {
            const ShapeRule& rule = k_shapes[s];
            Check& check = m_checks[s];
            if (check.fault) continue;
            if (level < rule.position_level) {
                if (at.count < rule.least[level]) settle(s, "a line or ring has too few positions");
                else if (check.held) settle(s, *check.held);
            } else if (level == rule.position_level && position_fault) {
                if (level == 0) settle(s, position_fault);
                else raise(s, level - 1, position_fault);
            }
        }
        update_keeping();
        if (!position_fault && m_keeping[level]) {
            m_points[level].push_back({at.values[0], at.values[1]});
            if (m_points[level].size() > k_max_positions) {
                m_too_many[level] = true;
                update_keeping();
            }
        }
    }

    // The geometry the coordinates make for a type, or its first fault.
    Outcome outcome(Shape shape) {
        Outcome out;
        const auto s = static_cast<std::size_t>(shape);
        const ShapeRule& rule = k_shapes[s];
        if (m_checks[s].fault) {
            out.fail(*m_checks[s].fault);
            return out;
        }
        const std::size_t level = rule.position_level;
        if (m_too_many[level]) {
            out.too_many = true;
            return out;
        }
        Overlay::Item item;
        item.kind = rule.kind;
        item.points = std::move(m_points[level]);
        if (shape == Shape::multi_point) {
            item.starts.resize(item.points.size());
            for (std::size_t i = 0; i < item.starts.size(); ++i) item.starts[i] = static_cast<std::uint32_t>(i);
        } else if (level >= 2) {
            item.starts = std::move(m_starts[level]);
        } else {
            item.starts = {0};
        }
        out.add(std::move(item));
        return out;
    }

private:
    struct Level {
        std::size_t count = 0;
        std::array<bool, 2> numbers{};
        std::array<double, 2> values{};
    };
    struct Check {
        std::optional<std::string> fault;
        // A fault in an early entry of an array that needs a few: if the array turns out too short,
        // that is the fault instead.
        std::optional<std::string> held;
    };

    void open_level() {
        m_levels.push_back(Level{});
        // Lines and rings start a part of their geometry at the positions kept so far.
        const std::size_t positions = m_levels.size();
        if (positions >= 2 && positions < k_levels && m_keeping[positions])
            m_starts[positions].push_back(static_cast<std::uint32_t>(m_points[positions].size()));
    }
    void settle(std::size_t s, std::string why) {
        if (!m_checks[s].fault) m_checks[s].fault = std::move(why);
    }
    // A fault in an entry of the array at `level`.
    void raise(std::size_t s, std::size_t level, const char* why) {
        if (m_levels.size() > level && m_levels[level].count < k_shapes[s].least[level]) {
            if (!m_checks[s].held) m_checks[s].held = why;
        } else {
            settle(s, why);
        }
    }
    // Positions at a depth are kept while a type whose positions lie there is still without fault.
    void update_keeping() {
        for (std::size_t level = 0; level < k_levels; ++level) {
            bool wanted = false;
            for (std::size_t s = 0; s < k_shapes.size(); ++s)
                wanted = wanted || (k_shapes[s].position_level == level && !m_checks[s].fault);
            wanted = wanted && !m_too_many[level];
            if (m_keeping[level] && !wanted) {
                m_points[level] = {};
                m_starts[level] = {};
            }
            m_keeping[level] = wanted;
        }
    }

    std::vector<Level> m_levels;
    std::array<Check, k_shapes.size()> m_checks;
    std::array<std::vector<LonLat>, k_levels> m_points;
    std::array<std::vector<std::uint32_t>, k_levels> m_starts;
    std::array<bool, k_levels> m_keeping{true, true, true, true};
    std::array<bool, k_levels> m_too_many{};
};

// ----------------------------------------------------------------------------------------------
// Frames: one for each open JSON container the reader looks into.

class Frame {
public:
    virtual ~Frame() = default;
    virtual void key(std::string&) {}
    // A value other than an object or array, inside this container.
    virtual void value(Value&& v) = 0;
    // What reads a container that starts inside this one: a frame of its own, this frame itself
    // (`own`), or nobody, when nothing in it matters.
    struct Inner {
        std::unique_ptr<Frame> frame;
        bool own = false;
    };
    virtual Inner open(bool object) = 0;
    // A container ends: this frame's own (true) or one it read itself.
    virtual bool close() = 0;
};

// "coordinates", and every array inside them.
class CoordinatesFrame final : public Frame {
public:
    explicit CoordinatesFrame(CoordinatesReader& reader) : m_reader(reader) { m_reader.start(); }
    void value(Value&& v) override {
        if (m_deeper == 0) m_reader.entry(false, v.kind == Value::Kind::number ? &v.number : nullptr);
    }
    Inner open(bool object) override {
        if (m_deeper > 0) {
            if (object) return {};
            ++m_deeper;
            return {nullptr, true};
        }
        const std::size_t depth = m_reader.depth();
        m_reader.entry(!object, nullptr);
        if (object) return {};
        // Arrays inside the deepest positions are entries of them and nothing more.
        if (m_reader.depth() == depth) ++m_deeper;
        return {nullptr, true};
    }
    bool close() override {
        if (m_deeper > 0) {
            --m_deeper;
            return false;
        }
        m_reader.end();
        return m_reader.depth() == 0;
    }

private:
    CoordinatesReader& m_reader;
    int m_deeper = 0;
};

// The simplestyle properties of a feature, and its title.
struct Properties {
    Overlay::Look look;
    std::string label;
    std::optional<std::string> fault;
};

class PropertiesFrame final : public Frame {
public:
    explicit PropertiesFrame(Properties& into) : m_into(into) {}
    void key(std::string& k) override {
        m_at = k_keys.size();
        for (std::size_t i = 0; i < k_keys.size(); ++i)
            if (k == k_keys[i]) m_at = i;
    }
    void value(Value&& v) override {
        if (m_at < k_keys.size()) m_values[m_at] = std::move(v);
    }
    Inner open(bool object) override {
        if (m_at < k_keys.size()) m_values[m_at] = Value{object ? Value::Kind::object : Value::Kind::array, 0, {}};
        return {};
    }
    bool close() override {
        try {
            judge();
        } catch (const Fault& f) {
            m_into.fault = f.why;
        }
        return true;
    }

private:
    // In the order a JSON object keeps its members, by name, which decides which of two faults is
    // told; the title is looked at after the look.
    static constexpr std::array<const char*, 8> k_keys{"fill", "fill-opacity", "marker-color", "marker-size",
                                                       "stroke", "stroke-opacity", "stroke-width", "title"};

    static std::uint32_t colour(const Value& value, const char* key) {
        if (value.kind != Value::Kind::text) fault(std::string("\"") + key + "\" is not a colour text such as \"#ff0000\"");
        std::string text = value.text;
        if (!text.empty() && text[0] == '#') text.erase(0, 1);
        if (text.size() == 3) text = {text[0], text[0], text[1], text[1], text[2], text[2]};
        if (text.size() != 6) fault(std::string("\"") + key + "\" is not a colour such as \"#ff0000\"");
        std::uint32_t rgb = 0;
        for (char c : text) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) fault(std::string("\"") + key + "\" is not a colour such as \"#ff0000\"");
            rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
        }
        return rgb;
    }
    static double number(const Value& value, const char* key, double low, double high) {
        if (value.kind != Value::Kind::number) fault(std::string("\"") + key + "\" is not a number");
        if (!(value.number >= low && value.number <= high)) fault(std::string("\"") + key + "\" is out of range");
        return value.number;
    }

    void judge() {
        Overlay::Look& look = m_into.look;
        for (std::size_t i = 0; i + 1 < k_keys.size(); ++i) {
            if (!m_values[i] || m_values[i]->kind == Value::Kind::null) continue;
            const Value& v = *m_values[i];
            const std::string_view key = k_keys[i];
            if (key == "stroke") look.stroke_rgb = colour(v, "stroke");
            else if (key == "stroke-width") look.stroke_width = number(v, "stroke-width", 0, 50);
            else if (key == "stroke-opacity") look.stroke_opacity = number(v, "stroke-opacity", 0, 1);
            else if (key == "fill") look.fill_rgb = colour(v, "fill");
            else if (key == "fill-opacity") look.fill_opacity = number(v, "fill-opacity", 0, 1);
            else if (key == "marker-color") look.marker_rgb = colour(v, "marker-color");
            else {
                const bool named = v.kind == Value::Kind::text && (v.text == "small" || v.text == "medium" || v.text == "large");
                if (!named) fault("\"marker-size\" is not \"small\", \"medium\" or \"large\"");
                look.marker_radius = v.text == "small" ? 4 : v.text == "medium" ? 6 : 9;
            }
        }
        if (const auto& title = m_values.back(); title && title->kind != Value::Kind::null) {
            if (title->kind != Value::Kind::text) fault("\"title\" is not a text");
            m_into.label = title->text;
        }
    }

    Properties& m_into;
    std::size_t m_at = k_keys.size();
    std::array<std::optional<Value>, k_keys.size()> m_values;
};

// An object that is a Feature, a geometry, or the file's top object, which may be either or a
// FeatureCollection: which one it is only "type" says, and that may come last.
class ObjectFrame final : public Frame {
public:
    enum Role : unsigned { collection = 1, feature = 2, geometry = 4, top = collection | feature | geometry };

    // `number` counts features from 1 for their faults; `depth` is how deep in geometry collections.
    ObjectFrame(unsigned roles, int depth, int number, Outcome& into) : m_roles(roles), m_depth(depth), m_number(number), m_into(into) {}

    void key(std::string& k) override {
        m_at = Member::none;
        if (k == "type") m_at = Member::type;
        else if (k == "features" && (m_roles & collection)) m_at = Member::features;
        else if (k == "properties" && (m_roles & feature)) m_at = Member::properties;
        else if (k == "geometry" && (m_roles & feature)) m_at = Member::geometry;
        else if (k == "coordinates" && (m_roles & geometry)) m_at = Member::coordinates;
        else if (k == "geometries" && (m_roles & geometry)) m_at = Member::geometries;
        // The last of a repeated member is the one that counts: forget what the earlier one held.
        switch (m_at) {
        case Member::features: m_features = {}; break;
        case Member::properties: m_properties = {}; break;
        case Member::geometry: m_geometry = {}; break;
        case Member::coordinates: m_coordinates = std::make_unique<CoordinatesReader>(); break;
        case Member::geometries: m_geometries = {}; break;
        default: break;
        }
    }
    void value(Value&& v) override {
        if (m_at == Member::type) m_type = std::move(v);
        else if (m_at == Member::coordinates) m_coordinates->not_an_array();
        else if (m_at != Member::none) kind_of(m_at) = v.kind;
    }
    Inner open(bool object) override {
        if (m_at == Member::none) return {};
        const Value::Kind kind = object ? Value::Kind::object : Value::Kind::array;
        if (m_at == Member::coordinates) {
            if (object) {
                m_coordinates->not_an_array();
                return {};
            }
            return {std::make_unique<CoordinatesFrame>(*m_coordinates)};
        }
        if (m_at == Member::type) {
            m_type = Value{kind, 0, {}};
            return {};
        }
        kind_of(m_at) = kind;
        if (m_at == Member::properties && object) return {std::make_unique<PropertiesFrame>(m_properties)};
        if (m_at == Member::geometry && object)
            return {std::make_unique<ObjectFrame>(geometry, 0, 0, m_geometry)};
        if (m_at == Member::features && !object) return {std::make_unique<ListFrame>(ListFrame::features, 0, m_features)};
        // Beyond the deepest collection allowed nothing in "geometries" is looked at.
        if (m_at == Member::geometries && !object && m_depth < k_max_nesting)
            return {std::make_unique<ListFrame>(ListFrame::geometries, m_depth + 1, m_geometries)};
        return {};
    }
    bool close() override {
        Outcome out;
        try {
            if (m_roles == top) out = as_top();
            else if (m_roles == feature) out = as_feature();
            else out = as_geometry();
        } catch (const Fault& f) {
            out.fail(f.why);
        }
        m_into.add(std::move(out));
        return true;
    }

    // The entries of "features" or of "geometries".
    class ListFrame final : public Frame {
    public:
        enum Of { features, geometries };
        ListFrame(Of of, int depth, Outcome& into) : m_of(of), m_depth(depth), m_into(into) {}
        void value(Value&&) override { wrong_entry(); }
        Inner open(bool object) override {
            if (!object) {
                wrong_entry();
                return {};
            }
            ++m_count;
            // After the first fault the rest only has to be valid JSON.
            if (m_into.fault) return {};
            if (m_of == features) return {std::make_unique<ObjectFrame>(feature, 0, m_count, m_into)};
            return {std::make_unique<ObjectFrame>(geometry, m_depth, 0, m_into)};
        }
        bool close() override { return true; }

    private:
        void wrong_entry() {
            ++m_count;
            if (m_of == features) m_into.fail("an entry of \"features\" is not a Feature (feature " + std::to_string(m_count) + ")");
            else m_into.fail("\"geometry\" is not an object");
        }
        Of m_of;
        int m_depth;
        int m_count = 0;
        Outcome& m_into;
    };

private:
    enum class Member { none, type, features, properties, geometry, coordinates, geometries };

    std::optional<Value::Kind>& kind_of(Member m) {
        switch (m) {
        case Member::features: return m_features_kind;
        case Member::properties: return m_properties_kind;
        case Member::geometry: return m_geometry_kind;
        default: return m_geometries_kind;
        }
    }

    std::string type_text() const {
        if (!m_type) fault("\"type\" is missing");
        if (m_type->kind != Value::Kind::text) fault("\"type\" is not a text");
        return m_type->text;
    }

    Outcome as_top() {
        const std::string type = type_text();
        if (type == "FeatureCollection") {
            if (!m_features_kind) fault("\"features\" is missing");
            if (*m_features_kind != Value::Kind::array) fault("\"features\" is not an array");
            return std::move(m_features);
        }
        if (type == "Feature") {
            m_number = 1;
            return as_feature();
        }
        return as_geometry();
    }

    Outcome as_feature() {
        try {
            if (type_text() != "Feature") fault("an entry of \"features\" is not a Feature");
            const bool styled = m_properties_kind && *m_properties_kind != Value::Kind::null;
            if (styled && *m_properties_kind != Value::Kind::object) fault("\"properties\" is not an object");
            if (styled && m_properties.fault) fault(*m_properties.fault);
            if (!m_geometry_kind) fault("\"geometry\" is missing");
            // A feature without a place (geometry null) is allowed and has nothing to draw.
            if (*m_geometry_kind == Value::Kind::null) return {};
            if (*m_geometry_kind != Value::Kind::object) fault("\"geometry\" is not an object");
            if (m_geometry.fault) fault(*m_geometry.fault);
        } catch (Fault& f) {
            fault(f.why + " (feature " + std::to_string(m_number) + ")");
        }
        for (auto& item : m_geometry.items) {
            item.look = m_properties.look;
            item.label = m_properties.label;
        }
        return std::move(m_geometry);
    }

    Outcome as_geometry() {
        const std::string type = type_text();
        if (type == "GeometryCollection") {
            if (m_depth >= k_max_nesting) fault("geometry collections are nested too deeply");
            if (!m_geometries_kind) fault("\"geometries\" is missing");
            if (*m_geometries_kind != Value::Kind::array) fault("\"geometries\" is not an array");
            return std::move(m_geometries);
        }
        if (!m_coordinates) fault("\"coordinates\" is missing");
        const auto shape = shape_of(type);
        if (!shape) fault("\"" + type + "\" is not a GeoJSON geometry type");
        return m_coordinates->outcome(*shape);
    }

    unsigned m_roles;
    int m_depth;
    int m_number;
    Outcome& m_into;
    Member m_at = Member::none;

    std::optional<Value> m_type;
    std::optional<Value::Kind> m_features_kind;
    Outcome m_features;
    std::optional<Value::Kind> m_properties_kind;
    Properties m_properties;
    std::optional<Value::Kind> m_geometry_kind;
    Outcome m_geometry;
    std::unique_ptr<CoordinatesReader> m_coordinates;
    std::optional<Value::Kind> m_geometries_kind;
    Outcome m_geometries;
};

// The JSON library's events, passed to the innermost frame that looks; containers nobody looks
// into are only counted through.
class Handler {
public:
    using string_t = Json::string_t;
    using number_integer_t = Json::number_integer_t;
    using number_unsigned_t = Json::number_unsigned_t;
    using number_float_t = Json::number_float_t;
    using binary_t = Json::binary_t;

    bool null() { return scalar(Value{}); }
    bool boolean(bool) { return scalar(Value{Value::Kind::boolean, 0, {}}); }
    bool number_integer(number_integer_t v) { return scalar(Value{Value::Kind::number, static_cast<double>(v), {}}); }
    bool number_unsigned(number_unsigned_t v) { return scalar(Value{Value::Kind::number, static_cast<double>(v), {}}); }
    bool number_float(number_float_t v, const string_t&) { return scalar(Value{Value::Kind::number, v, {}}); }
    bool string(string_t& v) { return scalar(Value{Value::Kind::text, 0, std::move(v)}); }
    // JSON text has no binary values; were one given, it is a value like any other non-text.
    bool binary(binary_t&) { return scalar(Value{Value::Kind::boolean, 0, {}}); }
    bool start_object(std::size_t) { return start(true); }
    bool start_array(std::size_t) { return start(false); }
    bool end_object() { return end(); }
    bool end_array() { return end(); }
    bool key(string_t& k) {
        if (m_skipping == 0 && !m_frames.empty()) m_frames.back()->key(k);
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) {
        m_json_error = e.what();
        return false;
    }

    GeoJsonResult result() {
        GeoJsonResult r;
        r.json_error = std::move(m_json_error);
        if (m_no_object) r.fault = "the file holds no GeoJSON object";
        else if (m_top.fault) r.fault = std::move(m_top.fault);
        else if (m_top.too_many) r.too_many_positions = true;
        else r.items = std::move(m_top.items);
        return r;
    }

private:
    bool scalar(Value&& v) {
        if (m_skipping > 0) return true;
        if (m_frames.empty()) m_no_object = true;
        else m_frames.back()->value(std::move(v));
        return true;
    }
    bool start(bool object) {
        if (m_skipping > 0) {
            ++m_skipping;
            return true;
        }
        if (m_frames.empty()) {
            if (!object) {
                m_no_object = true;
                m_skipping = 1;
            } else {
                m_frames.push_back(std::make_unique<ObjectFrame>(ObjectFrame::top, 0, 0, m_top));
            }
            return true;
        }
        auto inner = m_frames.back()->open(object);
        if (inner.frame) m_frames.push_back(std::move(inner.frame));
        else if (!inner.own) m_skipping = 1;
        return true;
    }
    bool end() {
        if (m_skipping > 0) {
            --m_skipping;
            return true;
        }
        if (m_frames.back()->close()) m_frames.pop_back();
        return true;
    }

    std::vector<std::unique_ptr<Frame>> m_frames;
    std::size_t m_skipping = 0;
    Outcome m_top;
    bool m_no_object = false;
    std::optional<std::string> m_json_error;
};

// The text's pieces as the characters the JSON library reads one by one.
class PieceCursor {
public:
    explicit PieceCursor(TextPieces& pieces) : m_pieces(pieces) {}
    bool at_end() {
        if (m_at == m_piece.size()) {
            m_piece = m_pieces.next();
            m_at = 0;
        }
        return m_piece.empty();
    }
    char get() const { return m_piece[m_at]; }
    void advance() { ++m_at; }

private:
    TextPieces& m_pieces;
    std::string_view m_piece;
    std::size_t m_at = 0;
};

class PieceIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    PieceIterator() = default;
    explicit PieceIterator(PieceCursor& cursor) : m_cursor(&cursor) {}
    char operator*() const { return m_cursor->get(); }
    PieceIterator& operator++() {
        m_cursor->advance();
        return *this;
    }
    PieceIterator operator++(int) {
        PieceIterator before = *this;
        m_cursor->advance();
        return before;
    }
    // Only "at the end or not" is ever compared.
    bool operator==(const PieceIterator& other) const { return at_end() == other.at_end(); }

private:
    bool at_end() const { return !m_cursor || m_cursor->at_end(); }
    PieceCursor* m_cursor = nullptr;
};

}  // namespace

GeoJsonResult read_geojson(std::string_view text) {
    Handler handler;
    Json::sax_parse(text.begin(), text.end(), &handler);
    return handler.result();
}

GeoJsonResult read_geojson(TextPieces& text) {
    Handler handler;
    PieceCursor cursor(text);
    Json::sax_parse(PieceIterator(cursor), PieceIterator(), &handler);
    return handler.result();
}

}  // namespace tolm::engine::detail
