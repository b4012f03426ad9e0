// Map engine benchmarks: opening the data, a whole-country paint of states and counties, and a
// street paint, each 1024 x 768 into a raster surface, and each paint again followed by writing the
// picture as a PNG file (as tolm does). The data is a product folder written by
// tolm-import (bench/peer_bench.sh builds one beside the peer benchmark's work folder):
//
//   TOLM_BENCH_PRODUCT=/tmp/mapnik-peer/product build/bench/engine_bench
//
// The counter "allocs" is the number of heap allocations per iteration after the first paint, which
// must not grow with the amount of data painted.

// Counting allocations means replacing operator new and delete with malloc and free, which GCC
// cannot tell apart from a mismatch once they are inlined.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

#include "engine/map_engine.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <new>
#include <string>

namespace {

std::atomic<std::size_t> g_allocations{0};

}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

namespace fs = std::filesystem;
using tolm::engine::DataFolder;
using tolm::engine::MapEngine;

fs::path product_folder() {
    const char* value = std::getenv("TOLM_BENCH_PRODUCT");
    return value ? fs::path(value) : fs::path("/tmp/mapnik-peer/product");
}

void open_folders(MapEngine& engine, std::initializer_list<std::pair<DataFolder, const char*>> folders) {
    for (const auto& [folder, name] : folders) {
        const auto path = product_folder() / name;
        if (fs::is_directory(path)) engine.set_data_folder(folder, path.string());
    }
}

// The PNG file the render-and-PNG benchmarks write, replaced on every iteration.
std::string png_path() {
    const char* out = std::getenv("TOLM_BENCH_PNG_FOLDER");
    return (fs::path(out ? out : fs::temp_directory_path().string()) / "engine_bench_write.png").string();
}

void paint_loop(benchmark::State& state, MapEngine& engine, bool write_png) {
    tolm::platform::RasterSurface surface(1024, 768);
    tolm::platform::CairoPainter painter(surface);
    engine.paint(painter, false);  // warm: fonts, buffers
    const std::string png = png_path();
    std::size_t allocations = 0;
    for (auto _ : state) {
        const std::size_t before = g_allocations.load();
        engine.paint(painter, false);
        allocations += g_allocations.load() - before;
        if (write_png) {
            painter.flush();
            tolm::platform::write_png(surface, png);
        }
        benchmark::DoNotOptimize(surface.pixels());
    }
    if (write_png) {
        std::error_code ignored;
        state.counters["png_bytes"] = double(fs::file_size(png, ignored));
        fs::remove(png, ignored);
    } else {
        state.counters["allocs"] = benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
    }
    state.counters["packs"] = double(engine.pack_count());
}

void BM_OpenDefaultData(benchmark::State& state) {
    for (auto _ : state) {
        MapEngine engine;
        open_folders(engine, {{DataFolder::states, "States"}, {DataFolder::data1, "Data1"}, {DataFolder::data2, "Data2"},
                              {DataFolder::data3, "Data3"}});
        benchmark::DoNotOptimize(engine.pack_count());
    }
}
BENCHMARK(BM_OpenDefaultData)->Unit(benchmark::kMillisecond);

void contiguous_us(benchmark::State& state, bool write_png) {
    MapEngine engine;
    open_folders(engine, {{DataFolder::states, "States"}});
    engine.view().set_size(1024, 768);
    engine.view().show_rectangle(-125, 50, -66, 24);
    paint_loop(state, engine, write_png);
}

void BM_PaintContiguousUs(benchmark::State& state) { contiguous_us(state, false); }
BENCHMARK(BM_PaintContiguousUs)->Unit(benchmark::kMillisecond);
void BM_PaintAndPngContiguousUs(benchmark::State& state) { contiguous_us(state, true); }
BENCHMARK(BM_PaintAndPngContiguousUs)->Unit(benchmark::kMillisecond);

// The street benchmark's view: the peer's extent of the roads, "west south east north".
void show_street_extent(MapEngine& engine) {
    const char* extent = std::getenv("TOLM_BENCH_STREET_EXTENT");
    double w = -122.70, s = 45.50, e = -122.64, n = 45.54;
    if (extent) std::sscanf(extent, "%lf %lf %lf %lf", &w, &s, &e, &n);
    engine.view().show_rectangle(w, n, e, s);
}

void portland_streets(benchmark::State& state, bool write_png) {
    MapEngine engine;
    open_folders(engine, {{DataFolder::data2, "Data2"}});
    engine.view().set_size(1024, 768);
    show_street_extent(engine);
    state.counters["zoom"] = engine.view().zoom();
    paint_loop(state, engine, write_png);
}

void BM_PaintPortlandStreets(benchmark::State& state) { portland_streets(state, false); }
BENCHMARK(BM_PaintPortlandStreets)->Unit(benchmark::kMillisecond);
void BM_PaintAndPngPortlandStreets(benchmark::State& state) { portland_streets(state, true); }
BENCHMARK(BM_PaintAndPngPortlandStreets)->Unit(benchmark::kMillisecond);

// One PNG of each view, for looking at.
void write_samples() {
    const char* out = std::getenv("TOLM_BENCH_PNG_FOLDER");
    if (!out) return;
    MapEngine engine;
    open_folders(engine, {{DataFolder::states, "States"}, {DataFolder::data1, "Data1"}, {DataFolder::data2, "Data2"}, {DataFolder::data3, "Data3"}});
    auto surface = tolm::platform::RasterSurface(1024, 768);
    auto shoot = [&](const char* name) {
        tolm::platform::CairoPainter painter(surface);
        engine.paint(painter, false);
        tolm::platform::write_png(surface, (fs::path(out) / name).string());
    };
    engine.view().set_size(1024, 768);
    engine.view().show_rectangle(-125, 50, -66, 24);
    shoot("engine_conus.png");
    show_street_extent(engine);
    shoot("engine_portland_bench.png");
    engine.view().show_rectangle(-122.70, 45.54, -122.64, 45.50);
    shoot("engine_portland.png");
    engine.view().centre_on(-122.675, 45.52);
    engine.view().set_zoom(16);
    shoot("engine_portland_z16.png");
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    try {
        write_samples();
    } catch (const std::exception& e) {
        std::cerr << "sample pictures: " << e.what() << "\n";
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
