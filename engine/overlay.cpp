#include "engine/overlay.h"

#include "engine/clip.h"
#include "engine/geojson_reader.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace tolm::engine {

namespace {

constexpr const char* k_source = "tolm.engine";

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

}  // namespace

namespace {
struct TooManyPositions {};
constexpr const char* k_too_many_positions = "it holds more than 1,000,000 positions";
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

Overlay Overlay::from_geojson(detail::GeoJsonResult result, const std::string& name) {
    if (result.json_error) {
        // The library's text says where: "syntax error while parsing value - invalid literal; last read: ..."
        std::string why = *result.json_error;
        if (const auto at = why.find("] "); at != std::string::npos) why.erase(0, at + 2);
        refuse(name, "it is not valid JSON (" + why + ")");
    }
    if (result.fault) refuse(name, *result.fault);
    if (result.too_many_positions) throw TooManyPositions{};
    Overlay overlay;
    overlay.m_items.reserve(result.items.size());
    for (auto& item : result.items) overlay.add(std::move(item));
    return overlay;
}

Overlay Overlay::parse_geojson(std::string_view text, const std::string& name) { return from_geojson(detail::read_geojson(text), name); }

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
        refuse(name, k_too_many_positions);
    }
}

namespace {

// An overlay file a piece at a time for the GeoJSON reader, never more than one byte past the
// limit: what the limit leaves out is not given, and the file is refused for its size.
class FilePieces final : public detail::TextPieces {
public:
    explicit FilePieces(std::ifstream& in) : m_in(in), m_buffer(65536) {}

    // Passes a byte order mark at the start, then blanks: the first other character is where the
    // pieces begin, and is returned; nothing when the file holds no other.
    std::optional<char> first_character() {
        for (bool start = true;; start = false) {
            if (m_begin == m_filled && !fill()) return std::nullopt;
            if (start && std::string_view(m_buffer.data(), m_filled).starts_with("\xEF\xBB\xBF")) m_begin = 3;
            while (m_begin < m_filled && is_blank(m_buffer[m_begin])) ++m_begin;
            if (m_begin < m_filled) return m_buffer[m_begin];
        }
    }
    std::string_view next() override {
        if (m_begin == m_filled && !fill()) return {};
        const std::string_view piece(m_buffer.data() + m_begin, m_filled - m_begin);
        m_begin = m_filled;
        return piece;
    }
    // Reads what the parser left, so that a file that cannot be read to its end is told as such.
    void drain() {
        while (fill()) {
        }
    }
    bool too_long() const noexcept { return m_total > Overlay::k_max_overlay_bytes; }
    bool failed() const { return m_in.bad(); }

private:
    static bool is_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    bool fill() {
        m_begin = m_filled = 0;
        if (too_long() || !m_in) return false;
        m_in.read(m_buffer.data(), static_cast<std::streamsize>(m_buffer.size()));
        m_filled = static_cast<std::size_t>(m_in.gcount());
        m_total += m_filled;
        if (too_long()) m_filled = 0;
        return m_filled > 0;
    }

    std::ifstream& m_in;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0, m_filled = 0, m_total = 0;
};

}  // namespace

Overlay Overlay::read(const std::string& path) {
    const auto where = platform::path_from_utf8(path);
    std::ifstream in(where, std::ios::binary);
    if (!in) throw RuntimeError(runtime_errors::file_not_found, k_source, "The overlay " + path + " cannot be opened.");
    // GeoJSON is parsed as it is read, so that the file is never held whole beside what it makes.
    // The plain text form, and a device or pipe whose size is not known first, are read whole.
    std::error_code error;
    const bool regular = std::filesystem::is_regular_file(where, error);
    const auto size = regular ? std::filesystem::file_size(where, error) : 0;
    if (regular && !error) {
        if (size > k_max_overlay_bytes) refuse(path, "it is larger than 64 MB");
        FilePieces pieces(in);
        if (const auto first = pieces.first_character(); first == '{' || first == '[') {
            auto result = detail::read_geojson(pieces);
            if (result.json_error) pieces.drain();
            if (pieces.too_long()) refuse(path, "it is larger than 64 MB");
            if (pieces.failed()) refuse(path, "it could not be read");
            try {
                return from_geojson(std::move(result), path);
            } catch (const TooManyPositions&) {
                refuse(path, k_too_many_positions);
            }
        }
        in.clear();
        in.seekg(0);
    }
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
