#include "engine/pack/shared_edges.h"

#include "engine/pack/pack_reader.h"

#include <algorithm>
#include <tuple>

namespace tolm::engine {

namespace {

// An edge with its ends in a fixed order, so that the two directions of one border compare equal.
struct EdgeKey {
    std::int32_t ax, ay, bx, by;
    std::uint32_t point, feature;

    auto ends() const noexcept { return std::tie(ax, ay, bx, by); }
};

}  // namespace

SharedEdges::SharedEdges(const GeometryTable& table) {
    std::vector<EdgeKey> edges;
    std::uint32_t point_limit = 0;
    for (std::uint32_t f = 0; f < table.size(); ++f) {
        for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
            const PointRun run = table.ring(f, r);
            const std::uint32_t first = table.first_point(f, r);
            point_limit = std::max(point_limit, first + run.size());
            for (std::uint32_t i = 0; i + 1 < run.size(); ++i) {
                UnitPoint a = run[i], b = run[i + 1];
                if (a.x == b.x && a.y == b.y) continue;
                if (std::tie(b.x, b.y) < std::tie(a.x, a.y)) std::swap(a, b);
                edges.push_back({a.x, a.y, b.x, b.y, first + i, f});
            }
        }
    }
    std::sort(edges.begin(), edges.end(), [](const EdgeKey& l, const EdgeKey& r) { return l.ends() < r.ends(); });
    m_other.assign(point_limit, k_none);
    for (std::size_t i = 0; i < edges.size();) {
        std::size_t end = i + 1;
        while (end < edges.size() && edges[end].ends() == edges[i].ends()) ++end;
        // A border has two sides; an edge held more often than that is no border of two areas, and
        // every holder draws it.
        if (end - i == 2 && edges[i].feature != edges[i + 1].feature) {
            m_other[edges[i].point] = edges[i + 1].feature;
            m_other[edges[i + 1].point] = edges[i].feature;
        }
        i = end;
    }
}

}  // namespace tolm::engine
