// Overlay benchmarks: reading a GeoJSON overlay of 100,000 vertices, and painting it over a
// 1024 x 768 picture (the overlay alone, antialiased, as the engine paints it on top of the map);
// and reading an overlay file of your own, with the process's peak memory:
//
//   build/linux/bench/overlay_bench
//   TOLM_OVERLAY_BENCH_FILE=big.OVR build/linux/bench/overlay_bench --benchmark_filter=File

#include "engine/map_view.h"
#include "engine/overlay.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

// A track of 100,000 vertices wandering over a county, as a GPS log of a long drive would.
std::string track_geojson(int vertices) {
    std::string text = R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{"stroke":"#d00000","stroke-width":3,"title":"Track"},"geometry":{"type":"LineString","coordinates":[)";
    for (int i = 0; i < vertices; ++i) {
        const double t = i / double(vertices);
        const double lon = -122.9 + 0.6 * t + 0.05 * std::sin(t * 400);
        const double lat = 45.3 + 0.4 * std::sin(t * 6.283) + 0.03 * std::cos(t * 900);
        // Appended piece by piece: GCC 12 at -O3 takes the chain of temporaries for an overlapping copy.
        if (i) text += ',';
        text += '[';
        text += std::to_string(lon);
        text += ',';
        text += std::to_string(lat);
        text += ']';
    }
    return text + "]}}]}";
}

const std::string& track() {
    static const std::string text = track_geojson(100000);
    return text;
}

void BM_ReadOverlay100k(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(tolm::engine::Overlay::parse(track(), "bench"));
}
BENCHMARK(BM_ReadOverlay100k)->Unit(benchmark::kMillisecond);

// Alone in its run (the filter above), the peak is what reading the file took, over the program's own.
void BM_ReadOverlayFile(benchmark::State& state) {
    const char* path = std::getenv("TOLM_OVERLAY_BENCH_FILE");
    if (!path) {
        state.SkipWithError("TOLM_OVERLAY_BENCH_FILE names no overlay file");
        return;
    }
    std::size_t vertices = 0;
    for (auto _ : state) vertices = tolm::engine::Overlay::read(path).vertex_count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["vertices"] = static_cast<double>(vertices);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ReadOverlayFile)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PaintOverlay100k(benchmark::State& state) {
    const auto overlay = tolm::engine::Overlay::parse(track(), "bench");
    tolm::engine::MapView view;
    view.set_size(1024, 768);
    view.show_rectangle(-123.0, 45.8, -122.2, 44.8);
    tolm::platform::RasterSurface surface(1024, 768, 0xFFFFFFFFu);
    tolm::platform::CairoPainter painter(surface);
    painter.set_antialias(true);
    for (auto _ : state) {
        overlay.paint(painter, view, false);
        painter.flush();
    }
    state.counters["vertices"] = static_cast<double>(overlay.vertex_count());
}
BENCHMARK(BM_PaintOverlay100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
