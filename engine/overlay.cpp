#include "engine/overlay.h"

#include "engine/clip.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <sstream>

namespace tolm::engine {

namespace {

constexpr const char* k_source = "tolm.engine";
// GeometryCollections inside GeometryCollections: RFC 7946 advises against nesting them at all.
constexpr int k_max_nesting = 8;

[[noreturn]] void refuse(const std::string& name, const std::string& why) {
    throw RuntimeError(runtime_errors::invalid_file_format, k_source, "The overlay " + name + " cannot be used: " + why + ".");
}

std::vector<LonLat> parse_points(std::string_view text) {
    std::vector<LonLat> points;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto end = std::min(text.find(' ', at), text.size());
        const std::string_view pair = text.substr(at, end - at);
        const auto comma = pair.find(',');
        if (comma != std::string_view::npos)
            points.push_back({parse_leading_number(pair.substr(0, comma)), parse_leading_number(pair.substr(comma + 1))});
        at = end + 1;
    }
    return points;
}

std::uint32_t rgb_of_bgr(std::int32_t bgr) {
    const auto v = static_cast<std::uint32_t>(bgr);
    return ((v & 0xFFu) << 16) | (v & 0xFF00u) | ((v >> 16) & 0xFFu);
}

// The GeoJSON reader. Everything it refuses names the feature, so that a user can find the fault in
// a file of thousands.
class GeoJsonReader {
public:
    GeoJsonReader(const std::string& name, std::vector<Overlay::Item>& items) : m_name(name), m_items(items) {}

    void top_level(const nlohmann::json& root) {
        if (!root.is_object()) fail("the file holds no GeoJSON object");
        const std::string type = text_member(root, "type");
        if (type == "FeatureCollection") {
            const auto& features = member(root, "features");
            if (!features.is_array()) fail("\"features\" is not an array");
            for (const auto& f : features) {
                feature(f);
                ++m_feature;
            }
        } else if (type == "Feature") {
            feature(root);
        } else {
            geometry(root, Overlay::Look{}, std::string(), 0);
        }
    }

private:
    [[noreturn]] void fail(const std::string& why) const {
        refuse(m_name, m_feature >= 0 && m_in_feature ? why + " (feature " + std::to_string(m_feature + 1) + ")" : why);
    }
    const nlohmann::json& member(const nlohmann::json& object, const char* key) const {
        const auto it = object.find(key);
        if (it == object.end()) fail(std::string("\"") + key + "\" is missing");
        return *it;
    }
    std::string text_member(const nlohmann::json& object, const char* key) const {
        const auto& value = member(object, key);
        if (!value.is_string()) fail(std::string("\"") + key + "\" is not a text");
        return value.get<std::string>();
    }

    std::uint32_t colour(const nlohmann::json& value, const char* key) const {
        if (!value.is_string()) fail(std::string("\"") + key + "\" is not a colour text such as \"#ff0000\"");
        std::string text = value.get<std::string>();
        if (!text.empty() && text[0] == '#') text.erase(0, 1);
        if (text.size() == 3) text = {text[0], text[0], text[1], text[1], text[2], text[2]};
        std::uint32_t rgb = 0;
        if (text.size() != 6) fail(std::string("\"") + key + "\" is not a colour such as \"#ff0000\"");
        for (char c : text) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (digit < 0) fail(std::string("\"") + key + "\" is not a colour such as \"#ff0000\"");
            rgb = rgb * 16 + static_cast<std::uint32_t>(digit);
        }
        return rgb;
    }
    double number(const nlohmann::json& value, const char* key, double low, double high) const {
        if (!value.is_number()) fail(std::string("\"") + key + "\" is not a number");
        const double v = value.get<double>();
        if (!(v >= low && v <= high)) fail(std::string("\"") + key + "\" is out of range");
        return v;
    }

    Overlay::Look look_of(const nlohmann::json& properties) const {
        Overlay::Look look;
        if (!properties.is_object()) return look;
        for (const auto& [key, value] : properties.items()) {
            if (value.is_null()) continue;
            if (key == "stroke") look.stroke_rgb = colour(value, "stroke");
            else if (key == "stroke-width") look.stroke_width = number(value, "stroke-width", 0, 50);
            else if (key == "stroke-opacity") look.stroke_opacity = number(value, "stroke-opacity", 0, 1);
            else if (key == "fill") look.fill_rgb = colour(value, "fill");
            else if (key == "fill-opacity") look.fill_opacity = number(value, "fill-opacity", 0, 1);
            else if (key == "marker-color") look.marker_rgb = colour(value, "marker-color");
            else if (key == "marker-size") {
                if (!value.is_string()) fail("\"marker-size\" is not \"small\", \"medium\" or \"large\"");
                const auto size = value.get<std::string>();
                if (size == "small") look.marker_radius = 4;
                else if (size == "medium") look.marker_radius = 6;
                else if (size == "large") look.marker_radius = 9;
                else fail("\"marker-size\" is not \"small\", \"medium\" or \"large\"");
            }
        }
        return look;
    }

    void feature(const nlohmann::json& f) {
        m_in_feature = true;
        if (!f.is_object() || text_member(f, "type") != "Feature") fail("an entry of \"features\" is not a Feature");
        std::string label;
        Overlay::Look look;
        if (const auto p = f.find("properties"); p != f.end() && !p->is_null()) {
            if (!p->is_object()) fail("\"properties\" is not an object");
            look = look_of(*p);
            if (const auto title = p->find("title"); title != p->end() && !title->is_null()) {
                if (!title->is_string()) fail("\"title\" is not a text");
                label = title->get<std::string>();
            }
        }
        const auto& g = member(f, "geometry");
        // A feature without a place (geometry null) is allowed and has nothing to draw.
        if (!g.is_null()) geometry(g, look, label, 0);
    }

    LonLat position(const nlohmann::json& p) const {
        if (!p.is_array() || p.size() < 2 || !p[0].is_number() || !p[1].is_number())
            fail("a position is not an array of numbers [longitude, latitude]");
        const double lon = p[0].get<double>(), lat = p[1].get<double>();
        if (!(lon >= -180 && lon <= 180 && lat >= -90 && lat <= 90))
            fail("a position lies outside longitude -180 to 180, latitude -90 to 90");
        return {lon, lat};
    }
    void positions(const nlohmann::json& list, Overlay::Item& item, std::size_t least) const {
        if (!list.is_array()) fail("\"coordinates\" are not an array of positions");
        if (list.size() < least) fail("a line or ring has too few positions");
        item.starts.push_back(static_cast<std::uint32_t>(item.points.size()));
        for (const auto& p : list) item.points.push_back(position(p));
    }
    void polygon(const nlohmann::json& rings, Overlay::Item& item) const {
        if (!rings.is_array()) fail("polygon \"coordinates\" are not an array of rings");
        for (const auto& ring : rings) positions(ring, item, 4);
    }

    void geometry(const nlohmann::json& g, const Overlay::Look& look, const std::string& label, int depth) {
        if (!g.is_object()) fail("\"geometry\" is not an object");
        const std::string type = text_member(g, "type");
        if (type == "GeometryCollection") {
            if (depth >= k_max_nesting) fail("geometry collections are nested too deeply");
            const auto& list = member(g, "geometries");
            if (!list.is_array()) fail("\"geometries\" is not an array");
            for (const auto& each : list) geometry(each, look, label, depth + 1);
            return;
        }
        const auto& c = member(g, "coordinates");
        Overlay::Item item;
        item.look = look;
        item.label = label;
        if (type == "Point") {
            item.kind = Overlay::Kind::point;
            item.starts.push_back(0);
            item.points.push_back(position(c));
        } else if (type == "MultiPoint") {
            item.kind = Overlay::Kind::point;
            if (!c.is_array()) fail("\"coordinates\" are not an array of positions");
            for (const auto& p : c) {
                item.starts.push_back(static_cast<std::uint32_t>(item.points.size()));
                item.points.push_back(position(p));
            }
        } else if (type == "LineString") {
            item.kind = Overlay::Kind::line;
            positions(c, item, 2);
        } else if (type == "MultiLineString") {
            item.kind = Overlay::Kind::line;
            if (!c.is_array()) fail("\"coordinates\" are not an array of lines");
            for (const auto& line : c) positions(line, item, 2);
        } else if (type == "Polygon") {
            item.kind = Overlay::Kind::area;
            polygon(c, item);
        } else if (type == "MultiPolygon") {
            item.kind = Overlay::Kind::area;
            if (!c.is_array()) fail("\"coordinates\" are not an array of polygons");
            for (const auto& each : c) polygon(each, item);
        } else {
            fail("\"" + type + "\" is not a GeoJSON geometry type");
        }
        if (!item.points.empty()) m_items.push_back(std::move(item));
    }

    const std::string& m_name;
    std::vector<Overlay::Item>& m_items;
    int m_feature = 0;
    bool m_in_feature = false;
};

}  // namespace

namespace {
struct TooManyPositions {};
}  // namespace

void Overlay::add(Item item) {
    if (item.points.empty()) return;
    if (item.points.size() > k_max_overlay_positions - m_position_count) throw TooManyPositions{};
    m_position_count += item.points.size();
    if (item.starts.empty()) item.starts.push_back(0);
    Extent box{item.points[0].lon, item.points[0].lon, item.points[0].lat, item.points[0].lat};
    for (const auto& p : item.points) {
        box.west = std::min(box.west, p.lon);
        box.east = std::max(box.east, p.lon);
        box.south = std::min(box.south, p.lat);
        box.north = std::max(box.north, p.lat);
    }
    item.box = box;
    m_items.push_back(std::move(item));
}

Overlay Overlay::parse_key_values(std::string_view text) {
    Overlay overlay;
    std::int32_t colour = 0x0000FF;
    double width = 2;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos || line.starts_with(";")) continue;
        const std::string key = to_upper_ascii(trim_blanks(line.substr(0, equals)));
        const std::string value = trim_blanks(line.substr(equals + 1));
        Item item;
        item.look.stroke_rgb = item.look.fill_rgb = item.look.marker_rgb = rgb_of_bgr(colour);
        item.look.stroke_width = width;
        item.look.fill_opacity = 0x50 / 255.0;
        item.look.marker_radius = 3;
        if (key == "COLOR" || key == "COLOUR") {
            // A colour is a Long (&HBBGGRR); a number no Long can hold leaves the colour as it was.
            const double asked = parse_leading_number(value);
            if (std::isfinite(asked) && asked >= -2147483648.0 && asked <= 2147483647.0)
                colour = static_cast<std::int32_t>(asked);
        } else if (key == "WIDTH") {
            const double asked = parse_leading_number(value);
            if (std::isfinite(asked)) width = std::clamp(asked, 0.5, 20.0);
        } else if (key == "POINT") {
            const auto first = value.find(',');
            const auto second = first == std::string::npos ? std::string::npos : value.find(',', first + 1);
            if (first == std::string::npos) continue;
            item.kind = Kind::point;
            item.points = {{parse_leading_number(std::string_view(value).substr(0, first)),
                            parse_leading_number(std::string_view(value).substr(first + 1))}};
            if (second != std::string::npos) item.label = trim_blanks(value.substr(second + 1));
            overlay.add(std::move(item));
        } else if (key == "LINE" || key == "AREA") {
            item.points = parse_points(value);
            item.kind = key == "LINE" ? Kind::line : Kind::area;
            if (item.points.size() >= (key == "LINE" ? 2u : 3u)) overlay.add(std::move(item));
        }
    }
    return overlay;
}

Overlay Overlay::parse_geojson(std::string_view text, const std::string& name) {
    nlohmann::json root;
    try {
        root = nlohmann::json::parse(text.begin(), text.end());
    } catch (const nlohmann::json::exception& e) {
        // The library's text says where: "syntax error while parsing value - invalid literal; last read: ..."
        std::string why = e.what();
        if (const auto at = why.find("] "); at != std::string::npos) why.erase(0, at + 2);
        refuse(name, "it is not valid JSON (" + why + ")");
    }
    std::vector<Item> items;
    GeoJsonReader(name, items).top_level(root);
    Overlay overlay;
    for (auto& item : items) overlay.add(std::move(item));
    return overlay;
}

Overlay Overlay::parse(std::string_view bytes, const std::string& name) {
    if (bytes.size() > k_max_overlay_bytes) refuse(name, "it is larger than 64 MB");
    std::size_t first = 0;
    // A byte order mark, then blanks, may come before the JSON.
    if (bytes.starts_with("\xEF\xBB\xBF")) first = 3;
    while (first < bytes.size() && (bytes[first] == ' ' || bytes[first] == '\t' || bytes[first] == '\r' || bytes[first] == '\n')) ++first;
    try {
        if (first < bytes.size() && (bytes[first] == '{' || bytes[first] == '[')) return parse_geojson(bytes.substr(first), name);
        // The plain text form is in the ANSI code page, as the client's own files are.
        return parse_key_values(ansi_to_utf8(std::string(bytes)));
    } catch (const TooManyPositions&) {
        refuse(name, "it holds more than 1,000,000 positions");
    }
}

Overlay Overlay::read(const std::string& path) {
    std::ifstream in(platform::path_from_utf8(path), std::ios::binary);
    if (!in) throw RuntimeError(runtime_errors::file_not_found, k_source, "The overlay " + path + " cannot be opened.");
    // Read at most one byte past the limit: a device or a file that never ends is refused just the same.
    std::string bytes;
    char buffer[65536];
    while (in && bytes.size() <= k_max_overlay_bytes) {
        in.read(buffer, sizeof buffer);
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (bytes.size() > k_max_overlay_bytes) refuse(path, "it is larger than 64 MB");
    if (in.bad()) refuse(path, "it could not be read");
    return parse(bytes, path);
}

std::size_t Overlay::vertex_count() const noexcept {
    std::size_t count = 0;
    for (const auto& item : m_items) count += item.points.size();
    return count;
}

std::optional<Extent> Overlay::extent() const {
    std::optional<Extent> result;
    for (const auto& item : m_items) {
        if (!result) result = item.box;
        result->west = std::min(result->west, item.box.west);
        result->east = std::max(result->east, item.box.east);
        result->south = std::min(result->south, item.box.south);
        result->north = std::max(result->north, item.box.north);
    }
    return result;
}

void Overlay::paint(platform::Painter& painter, const MapView& view, bool monochrome, const LabelSpace& labels) const {
    using platform::Colour;
    const Extent e = view.extent();
    const double w = view.width(), h = view.height();
    // The same linear map from degrees to pixels that the client uses between the corners.
    const double ax = w / (e.east - e.west), ay = h / (e.north - e.south);
    const auto px = [&](const LonLat& p) { return detail::PixelPoint{(p.lon - e.west) * ax, (e.north - p.lat) * ay}; };
    const detail::PixelBox clip{-64.0, -64.0, w + 64.0, h + 64.0};
    const double pad_x = 64 / ax, pad_y = 64 / ay;
    const Extent seen{e.west - pad_x, e.east + pad_x, e.south - pad_y, e.north + pad_y};
    const auto colour = [&](std::uint32_t rgb, double opacity) {
        if (monochrome) return Colour{0xFF000000u};
        return Colour{(std::uint32_t(std::lround(std::clamp(opacity, 0.0, 1.0) * 255)) << 24) | (rgb & 0xFFFFFFu)};
    };
    // Overlay labels keep clear of each other as well as of the map's.
    std::vector<detail::PixelBox> taken;
    const auto claim = [&](double l, double t, double r, double b) {
        if (l < 0 || t < 0 || r > w || b > h) return false;
        for (const auto& o : taken)
            if (l < o.right && o.left < r && t < o.bottom && o.top < b) return false;
        if (labels && !labels(l, t, r, b)) return false;
        taken.push_back({l, t, r, b});
        return true;
    };
    platform::TextStyle text{11.0, true, monochrome ? Colour{0xFF000000u} : Colour{0xFF202020u}, Colour{0xFFFFFFFFu}, 1.5};

    std::vector<detail::PixelPoint> part, clipped, scratch;
    std::vector<std::size_t> starts;
    struct Pending {
        const Item* item;
        double x, y, clearance;
    };
    std::vector<Pending> pending_labels;

    for (const auto& item : m_items) {
        if (!item.box.intersects(seen) && item.kind != Kind::point) continue;
        const std::size_t parts = item.starts.size();
        const auto part_range = [&](std::size_t k) {
            const std::size_t from = item.starts[k];
            const std::size_t to = k + 1 < parts ? item.starts[k + 1] : item.points.size();
            return std::pair{from, to};
        };
        if (item.kind == Kind::point) {
            const Colour fill = monochrome ? Colour{0xFFFFFFFFu} : colour(item.look.marker_rgb, 1);
            const double r = item.look.marker_radius;
            for (std::size_t k = 0; k < item.points.size(); ++k) {
                const auto p = px(item.points[k]);
                if (p.x < -r || p.y < -r || p.x > w + r || p.y > h + r) continue;
                painter.move_to(p.x + r, p.y);
                for (int s = 1; s < 16; ++s) {
                    const double a = s * std::numbers::pi / 8;
                    painter.line_to(p.x + r * std::cos(a), p.y + r * std::sin(a));
                }
                painter.close_path();
                painter.fill_and_stroke(fill, {monochrome ? Colour{0xFF000000u} : Colour{0xFFFFFFFFu}, 1.5});
                if (!item.label.empty()) pending_labels.push_back({&item, p.x, p.y, r});
            }
            continue;
        }
        const bool area = item.kind == Kind::area;
        // Points closer than half a pixel to the last one drawn add nothing visible; far outside the
        // picture the path is cut to it, as painting libraries keep coordinates in fixed point.
        const bool inside = item.box.west >= seen.west && item.box.east <= seen.east && item.box.south >= seen.south &&
                            item.box.north <= seen.north;
        double label_x = 0, label_y = 0, longest = -1;
        for (std::size_t k = 0; k < parts; ++k) {
            const auto [from, to] = part_range(k);
            part.clear();
            for (std::size_t i = from; i < to; ++i) {
                const auto p = px(item.points[i]);
                if (!part.empty() && i + 1 < to && std::abs(p.x - part.back().x) < 0.5 && std::abs(p.y - part.back().y) < 0.5) continue;
                part.push_back(p);
            }
            if (part.size() < 2) continue;
            if (k == 0 || !area) {
                // The label goes in the middle of the longest line, or of the outer ring's box.
                double length = 0;
                for (std::size_t i = 1; i < part.size(); ++i) length += std::hypot(part[i].x - part[i - 1].x, part[i].y - part[i - 1].y);
                if (length > longest) {
                    longest = length;
                    const auto& mid = part[part.size() / 2];
                    label_x = mid.x;
                    label_y = mid.y;
                    if (area) {
                        const auto [minx, maxx] = std::minmax_element(part.begin(), part.end(), [](auto& a, auto& b) { return a.x < b.x; });
                        const auto [miny, maxy] = std::minmax_element(part.begin(), part.end(), [](auto& a, auto& b) { return a.y < b.y; });
                        label_x = (minx->x + maxx->x) / 2;
                        label_y = (miny->y + maxy->y) / 2;
                    }
                }
            }
            if (inside) {
                painter.move_to(part[0].x, part[0].y);
                for (std::size_t i = 1; i < part.size(); ++i) painter.line_to(part[i].x, part[i].y);
                if (area) painter.close_path();
            } else if (area) {
                detail::clip_ring(part, clip, clipped, scratch);
                if (clipped.size() < 3) continue;
                painter.move_to(clipped[0].x, clipped[0].y);
                for (std::size_t i = 1; i < clipped.size(); ++i) painter.line_to(clipped[i].x, clipped[i].y);
                painter.close_path();
            } else {
                clipped.clear();
                starts.clear();
                detail::clip_line(part, clip, clipped, starts);
                for (std::size_t s = 0; s < starts.size(); ++s) {
                    const std::size_t end = s + 1 < starts.size() ? starts[s + 1] : clipped.size();
                    painter.move_to(clipped[starts[s]].x, clipped[starts[s]].y);
                    for (std::size_t i = starts[s] + 1; i < end; ++i) painter.line_to(clipped[i].x, clipped[i].y);
                }
            }
        }
        const platform::StrokeStyle stroke{colour(item.look.stroke_rgb, item.look.stroke_opacity), item.look.stroke_width};
        if (area) {
            const Colour fill = monochrome ? Colour{0x00FFFFFFu} : colour(item.look.fill_rgb, item.look.fill_opacity);
            if (item.look.stroke_width > 0) painter.fill_and_stroke(fill, stroke);
            else painter.fill(fill);
        } else if (item.look.stroke_width > 0) {
            painter.stroke(stroke);
        } else {
            painter.fill(Colour{0});  // nothing to draw: drop the path
        }
        if (!item.label.empty() && longest >= 0) pending_labels.push_back({&item, label_x, label_y, 0});
    }

    // Labels last, over every item, each where it has room: right of its place, above, left, below.
    for (const auto& label : pending_labels) {
        const auto extent = painter.measure_text(label.item->label, text);
        const double gap = label.clearance + 3, lw = extent.width, lh = extent.height;
        const double x = label.x, y = label.y;
        const std::pair<double, double> corners[] = {
            {x + gap, y - lh / 2}, {x - lw / 2, y - gap - lh}, {x - gap - lw, y - lh / 2}, {x - lw / 2, y + gap}};
        for (const auto& [left, top] : corners) {
            if (!claim(left, top, left + lw, top + lh)) continue;
            painter.draw_text(left, top + extent.ascent, 0, label.item->label, text);
            break;
        }
    }
}

}  // namespace tolm::engine
