#pragma once

#include <cstdint>
#include <vector>

namespace tolm::engine {

class GeometryTable;

// The edges of a layer that two of its features share, such as the border between two counties:
// both rings hold the same stored points there, one each way. A line drawn along every outline
// needs each such edge once.
//
// Edges are named by the index of their first point in the table's point array; the edge runs to
// the next point of the same ring. Only exact matches count, so geometry simplified differently on
// either side is drawn from both, as before.
class SharedEdges {
public:
    static constexpr std::uint32_t k_none = ~0u;

    SharedEdges() = default;
    explicit SharedEdges(const GeometryTable& table);

    // The other feature holding the edge that starts at point `point`, or k_none when the edge
    // is its feature's alone (or is held by more than two rings, or twice by one feature).
    std::uint32_t other_feature(std::uint32_t point) const noexcept {
        return point < m_other.size() ? m_other[point] : k_none;
    }

private:
    std::vector<std::uint32_t> m_other;  // by point index
};

}  // namespace tolm::engine
