#pragma once

#include "engine/geo.h"
#include "engine/map_view.h"
#include "platform/painter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolm::engine {

// An overlay file (*.OVR): the user's own points, lines and areas drawn over the map. A plain text
// file, one item a line, "." as decimal point whatever the locale:
//
//   ; a comment
//   COLOR=&H0000FF          colour of the items that follow (&HBBGGRR or a decimal number)
//   WIDTH=2                 line width in pixels of the items that follow
//   POINT=-122.68,45.52,Home
//   LINE=-122.70,45.50 -122.65,45.53 -122.60,45.52
//   AREA=-122.70,45.50 -122.65,45.53 -122.60,45.50
//
// Unknown lines are ignored, so that files from newer versions still load. A colour no Long can hold
// leaves the colour as it was; points that are not finite numbers are left out.
class Overlay {
public:
    // The most of an overlay file that is read (16 MB: some millions of points); a longer file, or one
    // that never ends, is refused with error 7 and a text naming the limit.
    static constexpr std::size_t k_max_file_size = std::size_t(16) << 20;

    static Overlay read(const std::string& path);
    static Overlay parse(const std::string& text);

    bool empty() const noexcept { return m_items.empty(); }
    // The extent of everything in the overlay; nothing when it is empty.
    std::optional<Extent> extent() const;
    void paint(platform::Painter& painter, const MapView& view, bool monochrome) const;

private:
    enum class Kind { point, line, area };
    struct Item {
        Kind kind;
        std::int32_t colour;
        double width;
        std::string label;
        std::vector<LonLat> points;
    };
    std::vector<Item> m_items;
};

}  // namespace tolm::engine
