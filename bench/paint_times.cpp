// The two benchmark pictures of bench/engine_bench.cpp (the contiguous US with its counties and
// states, and the Portland street view, 1024 x 768), painted with the platform's own painter and
// timed with the steady clock alone, so that the same program builds for Windows (MinGW, run under
// Wine) and Linux. bench/windows_bench.sh runs both builds and prints their times side by side.
//
//   paint_times PRODUCT_FOLDER [PAINTS] [west south east north [PICTURE]]
//
// PICTURE (contiguous_us or portland_streets) paints that picture alone, for a profiler.
// Prints one line a picture: "NAME paints=N mean=M.MMms min=M.MMms median=M.MMms".

#include "engine/map_engine.h"
#include "platform/raster/raster_surface.h"
#ifdef _WIN32
#include "platform/win32/gdi_painter.h"
#else
#include "platform/posix/cairo_painter.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tolm::engine::DataFolder;
using tolm::engine::MapEngine;
using tolm::platform::RasterSurface;

std::unique_ptr<tolm::platform::Painter> make_painter(RasterSurface& surface) {
#ifdef _WIN32
    return std::make_unique<tolm::platform::GdiPlusPainter>(
        tolm::platform::PixelTarget{surface.pixels(), surface.width(), surface.height(), surface.width()});
#else
    return std::make_unique<tolm::platform::CairoPainter>(surface);
#endif
}

// Paints the engine's view `paints` times after one paint to warm fonts and buffers, and prints
// the times; a painter is made once, as the benchmark of the engine does.
void time_paints(const char* name, MapEngine& engine, int paints) {
    RasterSurface surface(1024, 768);
    const auto painter = make_painter(surface);
    engine.paint(*painter, false);
    std::vector<double> times;
    for (int i = 0; i < paints; ++i) {
        const auto start = std::chrono::steady_clock::now();
        engine.paint(*painter, false);
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    painter->flush();
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (const double t : times) sum += t;
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    std::printf("%s paints=%d mean=%.2fms min=%.2fms median=%.2fms\n", name, paints, sum / double(n), times.front(), median);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: paint_times PRODUCT_FOLDER [PAINTS] [west south east north [PICTURE]]\n");
        return 2;
    }
    const fs::path product = argv[1];
    const int paints = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    // The peer benchmark's extent of the Portland roads unless given.
    double w = -122.70, s = 45.50, e = -122.64, n = 45.54;
    if (argc > 6) {
        w = std::atof(argv[3]);
        s = std::atof(argv[4]);
        e = std::atof(argv[5]);
        n = std::atof(argv[6]);
    }
    const std::string only = argc > 7 ? argv[7] : "";
    if (!only.empty() && only != "contiguous_us" && only != "portland_streets") {
        std::fprintf(stderr, "paint_times: no picture %s (contiguous_us, portland_streets)\n", only.c_str());
        return 2;
    }
    try {
        for (const char* folder : {"States", "Data2"})
            if (!fs::is_directory(product / folder)) {
                std::fprintf(stderr, "paint_times: %s has no folder %s\n", product.string().c_str(), folder);
                return 1;
            }
        if (only.empty() || only == "contiguous_us") {
            MapEngine engine;
            engine.set_data_folder(DataFolder::states, (product / "States").string());
            engine.view().set_size(1024, 768);
            engine.view().show_rectangle(-125, 50, -66, 24);
            time_paints("contiguous_us", engine, paints);
        }
        if (only.empty() || only == "portland_streets") {
            MapEngine engine;
            engine.set_data_folder(DataFolder::data2, (product / "Data2").string());
            engine.view().set_size(1024, 768);
            engine.view().show_rectangle(w, n, e, s);
            time_paints("portland_streets", engine, paints);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "paint_times: %s\n", error.what());
        return 1;
    }
    return 0;
}
