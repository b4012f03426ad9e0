#pragma once

#include "engine/engine_ids.h"

#include <cstdint>
#include <map>

namespace tolm::engine {

// What the client and the server may change about the look of the map: the shading and arrow flags
// and the colour items. Colours are Windows colour values &HBBGGRR.
struct MapStyle {
    bool shade_states = true;
    bool shade_counties = true;
    bool shade_minor_civil_divisions = true;
    bool shade_places = true;
    bool oneway_arrows = true;
    bool antialias = true;
    bool label_halo = true;
    std::int32_t label_halo_width = 1;
    std::int32_t label_halo_colour = 0xFFFFFF;
    std::int32_t label_font_scale = 6;  // 6 is the normal size; each step is one sixth of it
    // Map aids painted over the map (engine/map_aids.h).
    bool scale_bar = false;
    bool lat_lon_grid = false;
    bool locator_grid = false;

    // Colour items by number; item 1 is the land (background) colour.
    std::map<std::int32_t, std::int32_t> colours = default_colours();

    std::int32_t colour(std::int32_t item) const;

    static std::map<std::int32_t, std::int32_t> default_colours();
};

}  // namespace tolm::engine
