// The OpenStreetMap import on a synthetic state-sized extract, for its memory bound: the node
// locations live in a file, so the memory the import takes follows what it keeps (roads, water,
// addresses), not the number of nodes it reads. The extract is a grid of streets across a state-sized
// box with buildings between them (most nodes of a real extract are buildings), a tenth of them with
// an address. It is imported twice: once as generated, and once with four times the buildings
// (without addresses) and so about three times the nodes, and the peaks are compared.
//
//   osm_import_bench [--nodes MILLIONS] [--work FOLDER]
//
// Prints, per run, the nodes read, the time, the peak of the process's own memory (anonymous pages:
// the heap) and the peak resident size (which also counts the pages of the index file the system
// holds in its cache; they are the file's, and the system drops them when memory is short).
#include "tools/tolm-import/osm_reader.h"
#include "tools/tolm-import/product_folder.h"

#include <osmium/builder/attr.hpp>
#include <osmium/io/pbf_output.hpp>
#include <osmium/io/writer.hpp>
#include <osmium/memory/buffer.hpp>

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace osmium::builder::attr;  // NOLINT: the builder's attribute names are its language

// kB of a line of /proc/self/status ("VmHWM:", "RssAnon:").
long status_kb(const char* key) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0) return std::stol(line.substr(std::strlen(key)));
    return 0;
}

struct Layout {
    long grid = 0;             // intersections per side
    long building_rows = 0;    // buildings per block side
    bool addresses = true;     // a tenth of the buildings with an address
};

// Writes the extract, sorted as extracts come: nodes, then ways, then relations.
std::uint64_t write_extract(const std::string& path, const Layout& layout) {
    osmium::io::Writer writer{path, osmium::io::overwrite::allow};
    osmium::memory::Buffer buffer{1 << 20, osmium::memory::Buffer::auto_grow::yes};
    auto flush = [&] {
        if (buffer.committed() > (8u << 20)) {
            writer(std::move(buffer));
            buffer = osmium::memory::Buffer{1 << 20, osmium::memory::Buffer::auto_grow::yes};
        }
    };
    const double west = -124.0, south = 42.0, span_lon = 7.0, span_lat = 4.0;
    const long g = layout.grid;
    constexpr long inner = 8;  // nodes between two intersections
    const double step_lon = span_lon / double(g), step_lat = span_lat / double(g);
    std::uint64_t nodes = 0;
    std::int64_t id = 1;
    // Street nodes: intersections at (i, j), and for each the run east and the run north.
    auto street_node = [&](long i, long j, long k, bool north) -> std::int64_t {
        // k = 0 is the intersection itself.
        return 1 + ((i * g + j) * (2 * inner + 1)) + (k == 0 ? 0 : (north ? inner : 0) + k);
    };
    for (long i = 0; i < g; ++i)
        for (long j = 0; j < g; ++j) {
            const double lon = west + double(j) * step_lon, lat = south + double(i) * step_lat;
            for (long k = 0; k <= inner; ++k) {
                osmium::builder::add_node(buffer, _id(street_node(i, j, k, false)),
                                          _location(lon + step_lon * double(k) / (inner + 1), lat));
                ++nodes;
                if (k > 0) {
                    osmium::builder::add_node(buffer, _id(street_node(i, j, k, true)),
                                              _location(lon, lat + step_lat * double(k) / (inner + 1)));
                    ++nodes;
                }
            }
            flush();
        }
    id = 1 + g * g * (2 * inner + 1);
    // Buildings: small squares inside the blocks.
    const std::int64_t first_building_node = id;
    const long per_block = layout.building_rows * layout.building_rows;
    for (long i = 0; i + 1 < g; ++i)
        for (long j = 0; j + 1 < g; ++j) {
            for (long b = 0; b < per_block; ++b) {
                const double lon = west + (double(j) + 0.2 + 0.6 * double(b % layout.building_rows) / double(layout.building_rows)) * step_lon;
                const double lat = south + (double(i) + 0.2 + 0.6 * double(b / layout.building_rows) / double(layout.building_rows)) * step_lat;
                const double size = 0.15 * step_lon / double(layout.building_rows);
                osmium::builder::add_node(buffer, _id(id++), _location(lon, lat));
                osmium::builder::add_node(buffer, _id(id++), _location(lon + size, lat));
                osmium::builder::add_node(buffer, _id(id++), _location(lon + size, lat + size));
                osmium::builder::add_node(buffer, _id(id++), _location(lon, lat + size));
                nodes += 4;
            }
            flush();
        }
    const std::int64_t after_buildings = id;

    std::int64_t way = 1;
    auto add_street = [&](long i, long j, bool north) {
        // One way per block side, intersection to intersection.
        std::vector<osmium::object_id_type> refs;
        for (long k = 0; k <= inner; ++k) refs.push_back(street_node(i, j, k, north));
        refs.push_back(north ? street_node(i + 1, j, 0, false) : street_node(i, j + 1, 0, false));
        const bool major = (north ? j : i) % 10 == 0;
        const std::string name = (north ? "N " : "E ") + std::to_string(north ? j : i) + (major ? " Avenue" : " Street");
        osmium::builder::add_way(buffer, _id(way++), _nodes(refs), _tag("highway", major ? "secondary" : "residential"),
                                 _tag("name", name));
    };
    for (long i = 0; i < g; ++i)
        for (long j = 0; j < g; ++j) {
            if (j + 1 < g) add_street(i, j, false);
            if (i + 1 < g) add_street(i, j, true);
            flush();
        }
    for (std::int64_t n = first_building_node, b = 0; n < after_buildings; n += 4, ++b) {
        std::vector<osmium::object_id_type> refs{n, n + 1, n + 2, n + 3, n};
        if (layout.addresses && b % 10 == 0)
            osmium::builder::add_way(buffer, _id(way++), _nodes(refs), _tag("building", "yes"),
                                     _tag("addr:housenumber", std::to_string(100 + b % 900)),
                                     _tag("addr:street", "E " + std::to_string(b % g) + " Street"), _tag("addr:state", "OR"));
        else
            osmium::builder::add_way(buffer, _id(way++), _nodes(refs), _tag("building", "yes"));
        flush();
    }
    writer(std::move(buffer));
    writer.close();
    return nodes;
}

struct Peak {
    std::atomic<long> anon{0};
    std::atomic<bool> running{true};
    std::thread sampler{[this] {
        while (running) {
            anon = std::max(anon.load(), status_kb("RssAnon:"));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }};
    ~Peak() {
        running = false;
        sampler.join();
    }
};

void run(const std::string& label, const fs::path& work, const Layout& layout) {
    const fs::path extract = work / (label + ".osm.pbf");
    const auto t0 = std::chrono::steady_clock::now();
    const std::uint64_t nodes = write_extract(extract.string(), layout);
    const auto t1 = std::chrono::steady_clock::now();
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak resident size starts again here
    const long anon_before = status_kb("RssAnon:");

    tolm::importer::OsmCounts counts;
    long anon_peak = 0;
    {
        Peak peak;
        std::ostringstream lines;
        tolm::importer::Progress progress(lines, true);
        tolm::importer::ImportData data;
        const fs::path product = work / (label + "-product");
        fs::remove_all(product);
        counts = tolm::importer::read_osm(extract.string(), data, progress, {product.string()});
        tolm::importer::ProductFolder folder({product.string(), ""});
        folder.write(std::move(data), {tolm::importer::SourceKind::openstreetmap}, progress);
        anon_peak = peak.anon;
    }
    const auto t2 = std::chrono::steady_clock::now();
    std::error_code ignored;
    std::printf("%-8s %6.1f M nodes (%4.0f MB PBF), %7zu roads, %7zu addresses, %3zu water: generated %5.1f s, imported %6.1f s; "
                "peak heap %5ld MB (before %ld MB), peak resident %5ld MB, index file %5.0f MB\n",
                label.c_str(), double(nodes) / 1e6, double(fs::file_size(extract, ignored)) / 1e6, counts.roads, counts.addresses,
                counts.water, std::chrono::duration<double>(t1 - t0).count(), std::chrono::duration<double>(t2 - t1).count(),
                anon_peak / 1024, anon_before / 1024, status_kb("VmHWM:") / 1024, double(nodes) * 16 / 1e6);
    std::fflush(stdout);
    fs::remove(extract, ignored);
}

}  // namespace

int main(int argc, char** argv) {
    double millions = 20;
    fs::path work = fs::temp_directory_path() / "tolm-osm-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        if (name == "--nodes") millions = std::stod(argv[i + 1]);
        else if (name == "--work") work = argv[i + 1];
        else {
            std::cerr << "usage: osm_import_bench [--nodes MILLIONS] [--work FOLDER]\n";
            return 2;
        }
    }
    fs::create_directories(work);
    // Nodes per intersection: 17 of streets, and per block 4 per building; buildings take about
    // three in five nodes, as in a real state extract.
    Layout layout;
    layout.building_rows = 3;  // 9 buildings, 36 nodes a block
    layout.grid = static_cast<long>(std::sqrt(millions * 1e6 / (17.0 + 36.0)));
    run("state", work, layout);
    Layout more = layout;
    more.building_rows = 6;  // 36 buildings, 144 nodes a block: about three times the nodes
    more.addresses = false;
    run("denser", work, more);
    fs::remove_all(work);
    return 0;
}
