#pragma once

#include "platform/dispatch.h"
#include "platform/variant.h"

#include <cstdint>
#include <string>

namespace tolm::server {

// The map engine control on the hidden form frmTolm, as the server uses it. The control stays bound
// late, by the engine's dispatch ids, the way an outside control on a form is bound; this class is the
// server's one place that knows those ids, the invoke kind of each operation and the types of its
// arguments, so the rest of the server calls named, typed members.
//
// A handle: copies share the control. Every member raises "object variable not set" (91) when there
// is no control, and passes the control's own errors on unchanged.
class EngineControl {
public:
    explicit EngineControl(ObjectRef control);

    // The engine's data folders 1 to 3, its states folder and its supplementary states folder.
    enum class Folder { data1, data2, data3, states, supplementary_states };
    std::string folder(Folder which) const;
    void set_folder(Folder which, const std::string& path);

    // The shadings and the one-way arrows: the next paint shows them.
    enum class Shading { minor_civil_divisions, places, counties, states };
    bool shading(Shading which) const;
    void set_shading(Shading which, bool shown);
    bool oneway_arrows() const;
    void set_oneway_arrows(bool shown);
    // The map aids painted over the map: the next paint shows them.
    enum class MapAid { scale_bar, lat_lon_grid, locator_grid };
    bool map_aid(MapAid which) const;
    void set_map_aid(MapAid which, bool shown);

    // The land colour of the paint, &HBBGGRR.
    std::int32_t background_colour() const;
    void set_background_colour(std::int32_t colour);
    // Colour item 1, what the client asks for as the map's background colour.
    std::int32_t map_background_colour() const;
    void set_water_colour(std::int32_t colour);
    // Any colour item by its number, for items whose meaning is the engine's own.
    void set_colour_item(std::int32_t item, std::int32_t colour);

    // The view. The engine fits a rectangle it is shown to the map's shape; the extent members report
    // the area actually shown.
    void set_map_size(std::int32_t width, std::int32_t height);
    void show_rectangle(double x1, double y1, double x2, double y2);
    void centre_on(double x, double y);  // keeps the zoom level
    void set_zoom_level(std::int32_t level);
    void zoom_in();
    void zoom_out();
    void pan(std::int32_t code);
    double extent_west() const;
    double extent_east() const;
    double extent_south() const;
    double extent_north() const;

    // Paints the view synchronously into a device context, in pixels.
    void paint(std::int32_t device_context, std::int32_t left, std::int32_t top, std::int32_t width,
               std::int32_t height, bool monochrome);
    void refresh();
    void load_settings(const std::string& path);
    void save_settings(const std::string& path);

    // Overlay and underlay. An empty overlay name removes the overlay.
    void load_overlay(const std::string& file);
    void zoom_to_overlay();
    void set_overlay_shown(bool shown);
    void set_underlay_shown(bool shown);
    void set_underlay_file(const std::string& file);

    // Searches. The address search reports each match through the control's found-item event, nested
    // inside the call, and returns the number of matches.
    std::int32_t address_search(const std::string& address);
    std::string found_item_text() const;
    void phone_lookup(const std::string& number);
    std::string answer_text() const;

    // The found item the engine marks at every paint until cleared; marking never moves the view.
    // A region's and a mile marker's box are the corners the search showed.
    enum class Region { state = 0, county = 1 };
    void mark_pin(double x, double y);
    void mark_region(Region kind, const std::string& name, const std::string& state_code, double x1, double y1, double x2,
                     double y2);
    void mark_mile_marker(const std::string& state_code, const std::string& road, double line, bool line_is_latitude,
                          double x1, double y1, double x2, double y2);
    void clear_found_mark();

    void show_about_box();

    // Settings the server gives once at start-up; their effects are the engine's.
    void set_edge_panning(bool on);
    void set_label_font_scale(std::int32_t scale);
    void set_antialias(bool on);
    void set_label_halo(bool on);
    void set_label_halo_width(std::int32_t pixels);
    void set_label_halo_colour(std::int32_t colour);
    void begin_session();
    void settings_applied();

private:
    Variant get(DispId id) const;
    void put(DispId id, Variant value);
    Variant call(DispId id, Arguments args = {});
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) const;

    ObjectRef m_control;
};

}  // namespace tolm::server
