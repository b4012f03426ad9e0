#pragma once

#include "platform/raster/coverage_raster.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tolm::platform {

// One point of a text's flattened outline, in pixels from the start of its baseline, unturned.
struct OutlinePoint {
    enum class Kind : std::uint8_t { move, line, close };
    double x = 0, y = 0;
    Kind kind = Kind::line;  // close: the subpath ends here (its point is not used)
};

// The flattened outlines of haloed labels' texts by font size, weight and text, kept across paints:
// a street map names the same streets at the same size in every paint, and making a label's
// outline through the text library (shaping, glyph curves, flattening) costs more than painting it.
// The outlines kept are bounded by their size in memory; the least recently used go first.
class GlyphOutlines {
public:
    explicit GlyphOutlines(std::size_t most_bytes = std::size_t(4) << 20) : m_most_bytes(most_bytes) {}

    // The outline kept for a text, or nullptr. A hit counts as a use. `turned` keeps apart the
    // outlines made for turned labels: a text library may fit its glyphs to the pixel grid only
    // where the text runs level.
    const std::vector<OutlinePoint>* find(std::string_view text, double size, bool bold, bool turned);
    // Keeps an outline for a text (replacing one kept) and returns it; older outlines go while
    // the whole is over the bound, though never the one just kept.
    const std::vector<OutlinePoint>& keep(std::string_view text, double size, bool bold, bool turned,
                                          std::vector<OutlinePoint> outline);

    std::size_t size() const noexcept { return m_entries.size(); }
    std::size_t bytes() const noexcept { return m_bytes; }

    // Makes `outline`, turned by `angle` radians clockwise about its origin and moved to (x, y), the
    // raster's current path.
    static void trace(const std::vector<OutlinePoint>& outline, double x, double y, double angle, CoverageRaster& raster);

private:
    struct Entry {
        std::string key;
        std::vector<OutlinePoint> outline;
        std::size_t bytes;
    };
    const std::string& key_of(std::string_view text, double size, bool bold, bool turned);

    std::size_t m_most_bytes;
    std::size_t m_bytes = 0;
    std::list<Entry> m_entries;  // most recently used first
    std::unordered_map<std::string, std::list<Entry>::iterator> m_index;
    std::string m_key;  // reused, so that a hit allocates nothing
};

}  // namespace tolm::platform
