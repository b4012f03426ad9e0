#pragma once

#include <cstdint>

// Dispatch ids of the map engine's members. The server binds the engine late, by these ids, and the
// engine's configuration file stores its settings under the same numbers, so they never change.
namespace tolm::engine::ids {

// Data folders (String).
constexpr std::int32_t DATA_FOLDER_1 = 47;
constexpr std::int32_t DATA_FOLDER_2 = 48;
constexpr std::int32_t DATA_FOLDER_3 = 49;
constexpr std::int32_t STATES_FOLDER = 46;
constexpr std::int32_t SUPPLEMENTARY_STATES_FOLDER = 16;

// Shadings and one-way arrows (Boolean).
constexpr std::int32_t SHADE_MINOR_CIVIL_DIVISIONS = 30;
constexpr std::int32_t SHADE_PLACES = 31;
constexpr std::int32_t SHADE_COUNTIES = 32;
constexpr std::int32_t SHADE_STATES = 33;
constexpr std::int32_t ONEWAY_ARROWS = 148;

// Map aids (Boolean): the scale bar, the latitude and longitude grid, the Maidenhead locator grid.
constexpr std::int32_t SCALE_BAR = 1001;
constexpr std::int32_t LAT_LON_GRID = 1002;
constexpr std::int32_t LOCATOR_GRID = 1003;

// Colours (Long, &HBBGGRR).
constexpr std::int32_t BACKGROUND_COLOUR = 27;
constexpr std::int32_t COLOUR_ITEM = 395;  // method (item, value) sets; function (0, item) reads

// View.
constexpr std::int32_t SET_MAP_SIZE = 107;
constexpr std::int32_t SHOW_RECTANGLE = 706;
constexpr std::int32_t CENTRE_ON = 90;
constexpr std::int32_t ZOOM_LEVEL = 34;
constexpr std::int32_t ZOOM_IN = 699;
constexpr std::int32_t ZOOM_OUT = 703;
constexpr std::int32_t PAN = 704;
constexpr std::int32_t EXTENT_WEST = 18;
constexpr std::int32_t EXTENT_EAST = 19;
constexpr std::int32_t EXTENT_SOUTH = 20;
constexpr std::int32_t EXTENT_NORTH = 21;

// Painting and settings.
constexpr std::int32_t PAINT = 123;
constexpr std::int32_t REFRESH = 137;
constexpr std::int32_t LOAD_SETTINGS = 139;
constexpr std::int32_t SAVE_SETTINGS = 140;

// Overlay and underlay.
constexpr std::int32_t OVERLAY_FILE_LOAD = 108;
constexpr std::int32_t ZOOM_TO_OVERLAY = 702;
constexpr std::int32_t OVERLAY_SHOWN = 56;
constexpr std::int32_t UNDERLAY_SHOWN = 57;
constexpr std::int32_t UNDERLAY_FILE = 50;

// Searches.
constexpr std::int32_t ADDRESS_SEARCH = 808;
constexpr std::int32_t PHONE_LOOKUP = 118;
constexpr std::int32_t FOUND_ITEM_TEXT = 24;
constexpr std::int32_t ANSWER_TEXT = 25;

// The found item marked on the map (methods): a pin at x, y; a region (kind 0 state, 1 county,
// name, state code, x1, y1, x2, y2 of its box); a mile marker (state code, road, line, line is a
// latitude, x1, y1, x2, y2 of its box); the mark cleared. FOUND_MARK_KIND reads what is marked
// (0 none, 1 pin, 2 state, 3 county, 4 mile marker).
constexpr std::int32_t MARK_PIN = 1010;
constexpr std::int32_t MARK_REGION = 1011;
constexpr std::int32_t MARK_MILE_MARKER = 1012;
constexpr std::int32_t CLEAR_FOUND_MARK = 1013;
constexpr std::int32_t FOUND_MARK_KIND = 1014;

constexpr std::int32_t ABOUT_BOX = -552;

// Settings the server gives once at start-up. The engine keeps and saves them; those whose meaning
// is the engine's own are documented in docs/engine.md.
constexpr std::int32_t EDGE_PANNING = 138;        // Boolean; this engine has no mouse panning
constexpr std::int32_t LABEL_FONT_SCALE = 149;    // Long; 6 = the normal label size
constexpr std::int32_t ANTIALIAS = 185;           // Boolean
constexpr std::int32_t LABEL_HALO = 167;          // Boolean
constexpr std::int32_t LABEL_HALO_WIDTH = 165;    // Long, pixels
constexpr std::int32_t LABEL_HALO_COLOUR = 166;   // Long, &HBBGGRR
constexpr std::int32_t BEGIN_SESSION = 698;       // method without arguments
constexpr std::int32_t SETTINGS_APPLIED = 91;     // method without arguments

// Colour items of COLOUR_ITEM.
constexpr std::int32_t COLOUR_LAND = 1;  // the same colour as BACKGROUND_COLOUR
constexpr std::int32_t COLOUR_WATER = 2;
constexpr std::int32_t COLOUR_STATE_LINES = 3;
constexpr std::int32_t COLOUR_COUNTY_LINES = 4;
constexpr std::int32_t COLOUR_INTERSTATE = 5;
constexpr std::int32_t COLOUR_HIGHWAY = 6;
constexpr std::int32_t COLOUR_MAJOR_ROAD = 7;
constexpr std::int32_t COLOUR_LOCAL_ROAD = 8;
constexpr std::int32_t COLOUR_RAMP = 9;
constexpr std::int32_t COLOUR_ROAD_CASING = 10;
constexpr std::int32_t COLOUR_LABEL_TEXT = 11;
constexpr std::int32_t COLOUR_ONEWAY_ARROWS = 12;

}  // namespace tolm::engine::ids
