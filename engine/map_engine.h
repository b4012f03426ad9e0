#pragma once

#include "engine/bitmap_file.h"
#include "engine/found_mark.h"
#include "engine/map_style.h"
#include "engine/map_view.h"
#include "engine/overlay.h"
#include "engine/pack/pack_reader.h"
#include "engine/renderer.h"
#include "engine/underlay_image.h"
#include "engine/search/engine_search.h"
#include "platform/painter.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolm::engine {

// The five data folders. Each may hold several packs (*.pack); the engine reads every pack in every
// folder whatever it holds. As the importer fills them: states holds state, county and water
// boundaries; data 1 the gazetteer (places, ZIP codes, telephone areas); data 2 streets and address
// ranges; data 3 minor civil divisions and place outlines; supplementary states further boundary
// packs (neighbouring countries, corrections).
enum class DataFolder : std::uint8_t { data1, data2, data3, states, supplementary_states };
inline constexpr std::size_t k_data_folder_count = 5;

// The map engine: the view, the look of the map, the data it reads and the operations the server
// uses. The engine's dispatch face (engine/engine_dispatch.h) offers the same under dispatch ids.
class MapEngine {
public:
    MapEngine();

    // Data folders. Setting a folder opens its packs at once; a damaged pack is left out and the
    // set raises RuntimeError naming it, with every good pack of the folder still in use.
    void set_data_folder(DataFolder folder, const std::string& path);
    const std::string& data_folder(DataFolder folder) const noexcept { return m_folders[static_cast<std::size_t>(folder)]; }
    std::size_t pack_count() const noexcept { return m_views.size(); }

    MapView& view() noexcept { return m_view; }
    const MapView& view() const noexcept { return m_view; }
    MapStyle& style() noexcept { return m_style; }
    const MapStyle& style() const noexcept { return m_style; }

    std::int32_t background_colour() const { return m_style.colour(ids::COLOUR_LAND); }
    void set_background_colour(std::int32_t colour) { m_style.colours[ids::COLOUR_LAND] = colour; }
    std::int32_t colour_item(std::int32_t item) const { return m_style.colour(item); }
    void set_colour_item(std::int32_t item, std::int32_t colour) { m_style.colours[item] = colour; }

    // Paints the view into a device context (a raster surface handle on Linux). The map covers
    // left, top, width, height of the device; the view keeps its centre and scale.
    void paint(std::intptr_t device_context, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
               bool monochrome);
    void paint(platform::Painter& painter, bool monochrome);
    // Settings apply at the next paint; refresh re-reads an underlay whose file changed.
    void refresh();

    // The settings file: INI format, every engine setting. Loading a file that does not exist
    // leaves the settings as they are. After a load the Visible section's OVER and UNDER keys
    // ("TRUE"/"FALSE") decide whether the overlay and the underlay are shown.
    void load_settings(const std::string& path);
    void save_settings(const std::string& path) const;

    // Overlay and underlay. An empty name removes them. The underlay is a bitmap with a companion
    // extent file (the name with its last three characters replaced by "SAT").
    void load_overlay(const std::string& path);
    const std::string& overlay_file() const noexcept { return m_overlay_file; }
    void zoom_to_overlay();
    bool overlay_shown() const noexcept { return m_overlay_shown; }
    void set_overlay_shown(bool shown) { m_overlay_shown = shown; }
    void set_underlay_file(const std::string& path);
    const std::string& underlay_file() const noexcept { return m_underlay_file; }
    bool underlay_shown() const noexcept { return m_underlay_shown; }
    void set_underlay_shown(bool shown) { m_underlay_shown = shown; }

    // Extra layers drawn by the host form beneath and above the map, after the engine's own.
    void set_underlay_hook(LayerHook hook) { m_underlay_hook = std::move(hook); }
    void set_overlay_hook(LayerHook hook) { m_overlay_hook = std::move(hook); }

    // Telephone areas: looks the area code (or area code and exchange) up in the packs. The answer
    // text is: the code, place, county, state, longitude, latitude, separated by tabs; empty when
    // nothing is found.
    void phone_lookup(const std::string& number);
    const std::string& answer_text() const noexcept { return m_answer_text; }
    // The text of the item last found by a search; the found-item handler reads it.
    const std::string& found_item_text() const noexcept { return m_found_item_text; }
    void set_found_item_handler(std::function<void()> handler) { m_found_item_handler = std::move(handler); }
    // Address search ("Street Address, Place, State, Zip", any field omitted): for each match the
    // found-item text is set and the found-item handler called; returns the number of matches.
    std::int32_t address_search(const std::string& address);

    // The item a search found, marked at every paint until cleared: a pin, a region's outline, a
    // mile marker's dot. The view stays as it is; the mark is not saved with the settings. The
    // packs in use are searched for the region or the interstate now and when a folder changes.
    void set_found_mark(FoundMark mark);
    void clear_found_mark() { set_found_mark({}); }
    const FoundMark& found_mark() const noexcept { return m_found_mark; }
    const MarkOnMap& found_mark_on_map() const noexcept { return m_mark_on_map; }

    // Settings kept for the server, saved and loaded with the rest.
    bool edge_panning = false;

    std::string about_text() const;

private:
    void reload_views();
    void load_underlay_image();

    MapView m_view;
    MapStyle m_style;
    Renderer m_renderer;
    std::array<std::string, k_data_folder_count> m_folders;
    std::array<std::vector<Pack>, k_data_folder_count> m_packs;
    std::vector<const PackView*> m_views;

    std::string m_overlay_file;
    Overlay m_overlay;
    struct RefusedOverlay {
        std::string path;
        std::filesystem::file_time_type stamp{};
        std::uintmax_t size = 0;
        std::string reason;
    };
    RefusedOverlay m_refused_overlay;
    bool m_overlay_shown = true;
    std::string m_underlay_file;
    bool m_underlay_shown = false;
    std::optional<Bitmap> m_underlay_image;
    Extent m_underlay_extent;
    // The part of the underlay the last paint showed, resampled; reused while the view stays.
    UnderlayPiece m_underlay_piece;
    std::array<double, 6> m_underlay_piece_key{};
    bool m_underlay_piece_valid = false;
    std::string m_underlay_loaded;
    LayerHook m_underlay_hook, m_overlay_hook;

    FoundMark m_found_mark;
    MarkOnMap m_mark_on_map;

    std::string m_answer_text;
    std::string m_found_item_text;
    std::function<void()> m_found_item_handler;
    search::EngineSearch m_search;
};

}  // namespace tolm::engine
