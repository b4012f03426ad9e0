#include "engine/map_style.h"

namespace tolm::engine {

std::map<std::int32_t, std::int32_t> MapStyle::default_colours() {
    // &HBBGGRR, as the client's colour values are written.
    return {
        {ids::COLOUR_LAND, 0xAFFFFF},         {ids::COLOUR_WATER, 0xE0BA96},     {ids::COLOUR_STATE_LINES, 0x505050},
        {ids::COLOUR_COUNTY_LINES, 0x9A9A9A}, {ids::COLOUR_INTERSTATE, 0x3C48D6}, {ids::COLOUR_HIGHWAY, 0x48B2F7},
        {ids::COLOUR_MAJOR_ROAD, 0x78E6FF},   {ids::COLOUR_LOCAL_ROAD, 0xFFFFFF}, {ids::COLOUR_RAMP, 0x6E96E6},
        {ids::COLOUR_ROAD_CASING, 0x787878},  {ids::COLOUR_LABEL_TEXT, 0x282828}, {ids::COLOUR_ONEWAY_ARROWS, 0x000080},
    };
}

std::int32_t MapStyle::colour(std::int32_t item) const {
    const auto it = colours.find(item);
    return it == colours.end() ? 0 : it->second;
}

}  // namespace tolm::engine
