#include "platform/raster/glyph_outlines.h"

#include <cmath>
#include <cstring>

namespace tolm::platform {

const std::string& GlyphOutlines::key_of(std::string_view text, double size, bool bold, bool turned) {
    // The size's bits, the weight and the turn ahead of the text: no text can make two styles'
    // keys meet.
    char style[sizeof size + 1];
    std::memcpy(style, &size, sizeof size);
    style[sizeof size] = static_cast<char>('0' + (bold ? 1 : 0) + (turned ? 2 : 0));
    m_key.assign(style, sizeof style);
    m_key.append(text);
    return m_key;
}

const std::vector<OutlinePoint>* GlyphOutlines::find(std::string_view text, double size, bool bold, bool turned) {
    const auto found = m_index.find(key_of(text, size, bold, turned));
    if (found == m_index.end()) return nullptr;
    m_entries.splice(m_entries.begin(), m_entries, found->second);
    return &found->second->outline;
}

const std::vector<OutlinePoint>& GlyphOutlines::keep(std::string_view text, double size, bool bold, bool turned,
                                                     std::vector<OutlinePoint> outline) {
    const std::string& key = key_of(text, size, bold, turned);
    if (const auto found = m_index.find(key); found != m_index.end()) {
        m_bytes -= found->second->bytes;
        m_entries.erase(found->second);
        m_index.erase(found);
    }
    const std::size_t bytes = key.size() * 2 + outline.size() * sizeof(OutlinePoint) + sizeof(Entry) + 64;
    m_entries.push_front({key, std::move(outline), bytes});
    m_index.emplace(key, m_entries.begin());
    m_bytes += bytes;
    while (m_bytes > m_most_bytes && m_entries.size() > 1) {
        Entry& oldest = m_entries.back();
        m_bytes -= oldest.bytes;
        m_index.erase(oldest.key);
        m_entries.pop_back();
    }
    return m_entries.front().outline;
}

void GlyphOutlines::trace(const std::vector<OutlinePoint>& outline, double x, double y, double angle, CoverageRaster& raster) {
    raster.clear_path();
    const double c = angle != 0 ? std::cos(angle) : 1.0, s = angle != 0 ? std::sin(angle) : 0.0;
    for (const OutlinePoint& p : outline) {
        const double px = x + p.x * c - p.y * s, py = y + p.x * s + p.y * c;
        switch (p.kind) {
        case OutlinePoint::Kind::move: raster.move_to(px, py); break;
        case OutlinePoint::Kind::line: raster.line_to(px, py); break;
        case OutlinePoint::Kind::close: raster.close_path(); break;
        }
    }
}

}  // namespace tolm::platform
