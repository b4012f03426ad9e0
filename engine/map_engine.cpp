#include "engine/map_engine.h"

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "engine/settings_file.h"

#include "common/product_version.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <filesystem>
#include <set>
#include <fstream>
#include <iterator>

namespace tolm::engine {

namespace {

std::filesystem::path fs_path(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

// Exact, locale-independent text of a double (shortest form that reads back the same).
std::string number_text(double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double read_number(const std::string& text) {
    double value = 0;
    const auto trimmed = trim_blanks(text);
    const auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (result.ec == std::errc() && result.ptr == trimmed.data() + trimmed.size()) return value;
    return parse_leading_number(trimmed);
}

// A Long setting; nothing when the text is no number or one no Long can hold (NaN, 1e20), so the
// setting keeps its value rather than taking an undefined one.
std::optional<std::int32_t> read_long(const std::string& text) {
    const double value = read_number(text);
    if (!std::isfinite(value) || value < -2147483648.0 || value >= 2147483648.0) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

const char* const k_folder_keys[k_data_folder_count] = {"DATA1", "DATA2", "DATA3", "STATES", "STATES_SUPPLEMENT"};

struct FlagKey {
    const char* key;
    bool MapStyle::*flag;
};
constexpr FlagKey k_flag_keys[] = {
    {"SHADE_STATES", &MapStyle::shade_states},
    {"SHADE_COUNTIES", &MapStyle::shade_counties},
    {"SHADE_MCD", &MapStyle::shade_minor_civil_divisions},
    {"SHADE_PLACES", &MapStyle::shade_places},
    {"ONEWAY_ARROWS", &MapStyle::oneway_arrows},
    {"ANTIALIAS", &MapStyle::antialias},
    {"LABEL_HALO", &MapStyle::label_halo},
    {"SCALE_BAR", &MapStyle::scale_bar},
    {"LATLON_GRID", &MapStyle::lat_lon_grid},
    {"LOCATOR_GRID", &MapStyle::locator_grid},
};

std::string bool_text(bool value) { return value ? "TRUE" : "FALSE"; }
std::optional<bool> read_bool(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    const auto upper = to_upper_ascii(trim_blanks(*text));
    if (upper == "TRUE" || upper == "YES" || upper == "ON") return true;
    if (upper == "FALSE" || upper == "NO" || upper == "OFF") return false;
    return parse_leading_number(upper) != 0;
}

}  // namespace

MapEngine::MapEngine() = default;

void MapEngine::set_data_folder(DataFolder folder, const std::string& path) {
    const auto index = static_cast<std::size_t>(folder);
    m_folders[index] = path;
    m_packs[index].clear();
    std::string problems;
    if (!path.empty()) {
        std::error_code error;
        std::vector<std::filesystem::path> files;
        for (std::filesystem::directory_iterator it(fs_path(path), error), end; !error && it != end; it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 5 && equals_ignoring_case(std::string_view(name).substr(name.size() - 5), ".pack") &&
                it->is_regular_file(error))
                files.push_back(it->path());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            try {
                m_packs[index].emplace_back(file.string());
            } catch (const RuntimeError& e) {
                problems += (problems.empty() ? "" : " ") + std::string(e.what());
            }
        }
    }
    reload_views();
    if (!problems.empty()) throw RuntimeError(runtime_errors::invalid_file_format, "tolm.engine", problems);
}

void MapEngine::reload_views() {
    m_views.clear();
    // Two folders may name the same place (the supplementary states folder often is the states
    // folder): each pack is used once, or its areas would be filled and searched twice.
    std::set<std::string> seen;
    // Boundaries first, so that their order in the layers follows the folders' roles.
    for (auto folder : {DataFolder::states, DataFolder::supplementary_states, DataFolder::data3, DataFolder::data2, DataFolder::data1})
        for (const auto& pack : m_packs[static_cast<std::size_t>(folder)]) {
            std::error_code error;
            auto identity = std::filesystem::weakly_canonical(fs_path(pack.path()), error);
            if (!seen.insert(error ? pack.path() : identity.string()).second) continue;
            m_views.push_back(&pack.view());
        }
    m_search.reset(m_views);
    m_mark_on_map = locate_found_mark(m_found_mark, m_views);
}

void MapEngine::set_found_mark(FoundMark mark) {
    m_found_mark = std::move(mark);
    m_mark_on_map = locate_found_mark(m_found_mark, m_views);
}

void MapEngine::paint(std::intptr_t device_context, std::int32_t left, std::int32_t top, std::int32_t width,
                      std::int32_t height, bool monochrome) {
    if (left != 0 || top != 0)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "The map is painted from the top left corner of the picture (left and top 0).");
    platform::check_paint_size(width, height);
    auto painter = platform::painter_for_device_context(device_context);
    if (width != m_view.width() || height != m_view.height()) {
        // The picture differs from the map size: paint it with the same centre and scale.
        const MapView saved = m_view;
        m_view.set_size(width, height);
        try {
            paint(*painter, monochrome);
        } catch (...) {
            m_view = saved;
            throw;
        }
        m_view = saved;
        return;
    }
    paint(*painter, monochrome);
}

void MapEngine::paint(platform::Painter& painter, bool monochrome) {
    if (m_underlay_shown && m_underlay_loaded != m_underlay_file) {
        // A damaged underlay must not cost the user the map: it is left out until its name changes.
        try {
            load_underlay_image();
        } catch (const RuntimeError&) {
        }
    }
    const LayerHook underlay = [&](platform::Painter& p, const MapView& view) {
        if (m_underlay_shown && m_underlay_image && !m_underlay_image->pixels.empty()) {
            const double x1 = view.to_pixel_x(m_underlay_extent.west), x2 = view.to_pixel_x(m_underlay_extent.east);
            const double y1 = view.to_pixel_y(m_underlay_extent.north), y2 = view.to_pixel_y(m_underlay_extent.south);
            const std::array<double, 6> key{x1, y1, x2, y2, double(view.width()), double(view.height())};
            if (!m_underlay_piece_valid || key != m_underlay_piece_key) {
                m_underlay_piece = resample_underlay(*m_underlay_image, std::min(x1, x2), std::min(y1, y2), std::max(x1, x2),
                                                     std::max(y1, y2), view.width(), view.height());
                m_underlay_piece_key = key;
                m_underlay_piece_valid = true;
            }
            if (!m_underlay_piece.pixels.empty())
                p.draw_image({m_underlay_piece.pixels.data(), m_underlay_piece.width, m_underlay_piece.height, m_underlay_piece.width},
                             m_underlay_piece.left, m_underlay_piece.top, m_underlay_piece.width, m_underlay_piece.height);
        }
        if (m_underlay_hook) m_underlay_hook(p, view);
    };
    const LayerHook overlay = [&](platform::Painter& p, const MapView& view) {
        if (m_overlay_shown)
            m_overlay.paint(p, view, monochrome, [this](double l, double t, double r, double b) {
                return m_renderer.claim_label_box(l, t, r, b);
            });
        if (m_overlay_hook) m_overlay_hook(p, view);
    };
    const bool has_underlay = (m_underlay_shown && m_underlay_image) || m_underlay_hook;
    const Renderer::Layers layers{has_underlay ? &underlay : nullptr, &overlay, &m_mark_on_map};
    m_renderer.paint(painter, m_view, m_views, m_style, monochrome, layers);
}

void MapEngine::refresh() {
    if (m_underlay_shown && m_underlay_loaded != m_underlay_file) load_underlay_image();
}

void MapEngine::load_underlay_image() {
    m_underlay_loaded = m_underlay_file;
    m_underlay_image.reset();
    m_underlay_piece_valid = false;
    if (m_underlay_file.size() < 3) return;
    // Read both files before taking either, so a damaged underlay leaves none rather than half.
    const std::string sat = m_underlay_file.substr(0, m_underlay_file.size() - 3) + "SAT";
    std::ifstream in(fs_path(sat), std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        throw RuntimeError(runtime_errors::file_not_found, "tolm.engine", "The underlay's extent file " + sat + " cannot be read.");
    std::vector<double> fields;
    std::size_t at = 0;
    while (at <= line.size()) {
        const auto comma = std::min(line.find(',', at), line.size());
        fields.push_back(parse_leading_number(std::string_view(line).substr(at, comma - at)));
        at = comma + 1;
    }
    if (fields.size() != 4 || fields[0] == fields[2] || fields[1] == fields[3])
        throw RuntimeError(runtime_errors::invalid_file_format, "tolm.engine",
                           "The underlay's extent file " + sat + " does not hold west, north, east, south.");
    Bitmap image = read_bitmap(m_underlay_file);
    m_underlay_extent = {std::min(fields[0], fields[2]), std::max(fields[0], fields[2]), std::min(fields[1], fields[3]),
                         std::max(fields[1], fields[3])};
    m_underlay_image = std::move(image);
}

void MapEngine::set_underlay_file(const std::string& path) {
    m_underlay_file = path;
    if (path.empty()) {
        m_underlay_image.reset();
        m_underlay_piece_valid = false;
        m_underlay_loaded.clear();
    }
}

void MapEngine::load_overlay(const std::string& path) {
    if (path.empty()) {
        m_overlay = Overlay();
        m_overlay_file.clear();
        return;
    }
    // A refused file is not read again until it changes: the server hands an overlay that failed to
    // the engine at every render, and a huge file would cost a read each time.
    std::error_code error;
    const auto where = fs_path(path);
    const auto stamp = std::filesystem::last_write_time(where, error);
    const auto size = error ? 0 : std::filesystem::file_size(where, error);
    if (!error && path == m_refused_overlay.path && stamp == m_refused_overlay.stamp && size == m_refused_overlay.size)
        throw RuntimeError(321, "tolm.engine", m_refused_overlay.reason);
    try {
        m_overlay = Overlay::read(path);
    } catch (const RuntimeError& e) {
        // The map still paints, without the overlay.
        m_overlay = Overlay();
        m_overlay_file.clear();
        if (!error) m_refused_overlay = {path, stamp, size, e.what()};
        throw;
    }
    m_refused_overlay = {};
    m_overlay_file = path;
}

void MapEngine::zoom_to_overlay() {
    const auto extent = m_overlay.extent();
    if (!extent) return;
    // The overlay's bounding box; a single point (or a line along a meridian or parallel) gets at
    // least a few streets' width around it.
    const double dx = std::max(0.0, 0.004 - extent->width()) / 2, dy = std::max(0.0, 0.004 - extent->height()) / 2;
    m_view.show_rectangle(extent->west - dx, extent->north + dy, extent->east + dx, extent->south - dy);
}

void MapEngine::load_settings(const std::string& path) {
    const SettingsFile file = SettingsFile::load(path);
    std::string problems;
    for (std::size_t i = 0; i < k_data_folder_count; ++i) {
        if (const auto folder = file.get("Data", k_folder_keys[i])) {
            try {
                set_data_folder(static_cast<DataFolder>(i), *folder);
            } catch (const RuntimeError& e) {
                problems += (problems.empty() ? "" : " ") + std::string(e.what());
            }
        }
    }
    for (const auto& flag : k_flag_keys)
        if (const auto value = read_bool(file.get("Display", flag.key))) m_style.*flag.flag = *value;
    auto set_long = [&](const char* section, const std::string& key, std::int32_t& target) {
        if (const auto text = file.get(section, key))
            if (const auto value = read_long(*text)) target = *value;
    };
    set_long("Display", "LABEL_HALO_WIDTH", m_style.label_halo_width);
    set_long("Display", "LABEL_HALO_COLOUR", m_style.label_halo_colour);
    set_long("Display", "LABEL_FONT_SCALE", m_style.label_font_scale);
    if (const auto value = read_bool(file.get("Display", "EDGE_PANNING"))) edge_panning = *value;
    for (auto& [item, colour] : MapStyle::default_colours()) set_long("Colours", "ITEM" + std::to_string(item), m_style.colours[item]);
    // Further colour items the server has set (0xC004 and others) are kept too.
    for (std::int32_t item : {0xC004})
        if (const auto text = file.get("Colours", "ITEM" + std::to_string(item)))
            if (const auto value = read_long(*text)) m_style.colours[item] = *value;

    const auto width = file.get("View", "WIDTH"), height = file.get("View", "HEIGHT");
    if (width && height) {
        const auto w = read_long(*width), h = read_long(*height);
        if (w && h && *w >= 1 && *h >= 1 && *w <= platform::k_max_paint_side && *h <= platform::k_max_paint_side &&
            std::int64_t(*w) * *h <= platform::k_max_paint_pixels)
            m_view.set_size(*w, *h);
    }
    const auto lon = file.get("View", "CENTRE_LON"), lat = file.get("View", "CENTRE_LAT"), zoom = file.get("View", "ZOOM");
    if (lon && lat && zoom) {
        const double x = read_number(*lon), y = read_number(*lat), z = read_number(*zoom);
        // A position off the earth or a zoom that is no number leaves the view as it was.
        if (std::isfinite(x) && std::isfinite(y) && std::abs(x) <= 180 && std::abs(y) <= 90 && !std::isnan(z)) {
            m_view.centre_on(x, y);
            m_view.set_zoom(z);
        }
    }
    if (const auto overlay = file.get("Layers", "OVERLAY_FILE")) {
        try {
            load_overlay(*overlay);
        } catch (const RuntimeError&) {
            m_overlay_file = *overlay;  // kept, so that a later save does not forget the user's choice
        }
    }
    if (const auto underlay = file.get("Layers", "UNDERLAY_FILE")) set_underlay_file(*underlay);
    if (const auto over = read_bool(file.get("Visible", "OVER"))) m_overlay_shown = *over;
    if (const auto under = read_bool(file.get("Visible", "UNDER"))) m_underlay_shown = *under;
    if (!problems.empty()) throw RuntimeError(runtime_errors::invalid_file_format, "tolm.engine", problems);
}

void MapEngine::save_settings(const std::string& path) const {
    SettingsFile file = SettingsFile::load(path);
    for (std::size_t i = 0; i < k_data_folder_count; ++i) file.set("Data", k_folder_keys[i], m_folders[i]);
    for (const auto& flag : k_flag_keys) file.set("Display", flag.key, bool_text(m_style.*flag.flag));
    file.set("Display", "LABEL_HALO_WIDTH", std::to_string(m_style.label_halo_width));
    file.set("Display", "LABEL_HALO_COLOUR", std::to_string(m_style.label_halo_colour));
    file.set("Display", "LABEL_FONT_SCALE", std::to_string(m_style.label_font_scale));
    file.set("Display", "EDGE_PANNING", bool_text(edge_panning));
    for (const auto& [item, colour] : m_style.colours) file.set("Colours", "ITEM" + std::to_string(item), std::to_string(colour));
    file.set("View", "WIDTH", std::to_string(m_view.width()));
    file.set("View", "HEIGHT", std::to_string(m_view.height()));
    file.set("View", "CENTRE_LON", number_text(m_view.centre().lon));
    file.set("View", "CENTRE_LAT", number_text(m_view.centre().lat));
    file.set("View", "ZOOM", number_text(m_view.zoom()));
    file.set("Layers", "OVERLAY_FILE", m_overlay_file);
    file.set("Layers", "UNDERLAY_FILE", m_underlay_file);
    file.set("Visible", "OVER", bool_text(m_overlay_shown));
    file.set("Visible", "UNDER", bool_text(m_underlay_shown));
    file.save(path);
}

void MapEngine::phone_lookup(const std::string& number) {
    // An exchange table answers for area code and exchange; otherwise the area code alone answers.
    m_answer_text = m_search.phone_answer(number);
}

std::int32_t MapEngine::address_search(const std::string& address) {
    return m_search.address_search(address, [this](const std::string& text) {
        m_found_item_text = text;
        if (m_found_item_handler) m_found_item_handler();
    });
}

std::string MapEngine::about_text() const {
    std::string text = "TolmServer7 map engine, version " TOLM_VERSION_TEXT "\r\n\r\nData packs in use: " +
                       std::to_string(m_views.size()) + ".";
    // The credits travel with the data: each data folder's ATTRIBUTION file names the sources of its
    // packs and their licences. Folders set twice (states used as supplementary states) and files with
    // the same credits are shown once.
    std::set<std::string> folders_seen, credits_seen;
    for (const std::string& folder : m_folders) {
        if (folder.empty() || !folders_seen.insert(folder).second) continue;
        std::ifstream in(fs_path(folder) / "ATTRIBUTION", std::ios::binary);
        if (!in) continue;
        std::string credits((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        credits.erase(std::remove(credits.begin(), credits.end(), '\r'), credits.end());
        while (!credits.empty() && (credits.back() == '\n' || credits.back() == ' ')) credits.pop_back();
        if (credits.empty() || !credits_seen.insert(credits).second) continue;
        std::string lines;
        for (char c : credits) {
            if (c == '\n') lines += "\r\n";
            else lines += c;
        }
        text += "\r\n\r\n" + lines;
    }
    if (credits_seen.empty()) text += "\r\n\r\nNo data folder in use carries credits (an ATTRIBUTION file).";
    return text;
}

}  // namespace tolm::engine
