// Searches as the user runs them from the search dialog: the engine's address search on a real
// TIGER county and on a state-sized set of ranges, and the state and county searches over their
// data files. Before timing, the addresses of the TIGER county are checked against the position
// interpolated from their own range.
#include "engine/geo.h"
#include "engine/pack/pack_writer.h"
#include "engine/search/address_search.h"
#include "server/search/region_files.h"

#ifdef TOLM_SEARCH_BENCH_TIGER
#include "tools/tolm-import/road_reader.h"
#include "tools/tolm-import/gdal_source.h"
#include "tools/tolm-import/progress.h"
#endif

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <span>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tolm::engine::FeatureSet;
using tolm::engine::LonLat;
using tolm::engine::PackView;
using tolm::engine::search::AddressSearch;

struct Corpus {
    std::string bytes;
    std::unique_ptr<PackView> view;
    std::unique_ptr<AddressSearch> search;
    std::vector<std::string> queries;
};

long leading(const std::string& text) {
    long v = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) v = v * 10 + (text[i] - '0');
    return i == 0 ? -1 : v;
}

// A house number in the middle of a range, with the range's parity.
long middle_number(const tolm::engine::AddressRangeFeature& r) {
    const long from = leading(r.from_number), to = leading(r.to_number);
    if (from < 0 || to < 0) return -1;
    long n = (from + to) / 2;
    if ((r.parity == 'O' && n % 2 == 0) || (r.parity == 'E' && n % 2 != 0)) n += (to >= from ? 1 : -1);
    if (n < std::min(from, to) || n > std::max(from, to)) return -1;
    return n;
}

// The point of a house number along its range, measured with great-circle distances: an
// interpolation of our own, independent of the search's.
LonLat interpolated(const tolm::engine::AddressRangeFeature& r, long n) {
    const long from = leading(r.from_number), to = leading(r.to_number);
    const double f = from == to ? 0.5 : double(n - from) / double(to - from);
    double total = 0;
    for (std::size_t i = 1; i < r.points.size(); ++i) total += tolm::engine::distance_metres(r.points[i - 1], r.points[i]);
    double left = f * total;
    for (std::size_t i = 1; i < r.points.size(); ++i) {
        const double d = tolm::engine::distance_metres(r.points[i - 1], r.points[i]);
        if (left <= d || i + 1 == r.points.size()) {
            const double t = d > 0 ? std::clamp(left / d, 0.0, 1.0) : 0.0;
            return {r.points[i - 1].lon + t * (r.points[i].lon - r.points[i - 1].lon),
                    r.points[i - 1].lat + t * (r.points[i].lat - r.points[i - 1].lat)};
        }
        left -= d;
    }
    return r.points.front();
}

void index(Corpus& corpus, const FeatureSet& set) {
    corpus.bytes = tolm::engine::build_pack(set);
    corpus.view = std::make_unique<PackView>(
        std::span(reinterpret_cast<const std::byte*>(corpus.bytes.data()), corpus.bytes.size()), "bench");
    corpus.search = std::make_unique<AddressSearch>(std::vector<const PackView*>{corpus.view.get()});
}

// Every sampled address of the set must be found within 30 m of its own interpolation.
void check_accuracy(const Corpus& corpus, const FeatureSet& set, const char* name) {
    std::size_t checked = 0, near = 0;
    double worst = 0;
    for (std::size_t i = 0; i < set.address_ranges.size(); i += 7) {
        const auto& r = set.address_ranges[i];
        const long n = middle_number(r);
        if (n < 0 || r.street.empty() || r.points.size() < 2) continue;
        const std::string query = std::to_string(n) + " " + r.street + (r.zip.empty() ? "" : ", " + r.zip);
        double best = 1e12;
        for (const auto& m : corpus.search->find(query)) best = std::min(best, tolm::engine::distance_metres(m.position, interpolated(r, n)));
        ++checked;
        if (best <= 30) ++near;
        else worst = std::max(worst, best);
    }
    std::printf("%s: %zu of %zu sampled addresses found within 30 m of their range's interpolation%s\n", name, near,
                checked, near == checked ? "" : (" (worst " + std::to_string(worst) + " m)").c_str());
}

std::vector<std::string> sample_queries(const FeatureSet& set, std::size_t count) {
    std::vector<std::string> queries;
    std::mt19937 random(7);
    for (std::size_t tries = 0; queries.size() < count && tries < count * 20; ++tries) {
        const auto& r = set.address_ranges[random() % set.address_ranges.size()];
        const long n = middle_number(r);
        if (n < 0 || r.street.empty()) continue;
        queries.push_back(std::to_string(n) + " " + r.street + (r.place.empty() ? "" : ", " + r.place) + ", " + r.state_code);
    }
    return queries;
}

// A state of 60 000 streets in 400 towns, 5 blocks of ranges on both sides each: 600 000 ranges.
FeatureSet synthetic_state() {
    static const char* types[] = {"St", "Ave", "Rd", "Dr", "Ln", "Blvd", "Ct", "Way"};
    static const char* prefixes[] = {"", "N ", "S ", "E ", "W "};
    FeatureSet set;
    std::mt19937 random(11);
    for (int street = 0; street < 60000; ++street) {
        const int town = street % 400;
        const double x0 = -104.0 + (town % 20) * 0.4 + (street / 400 % 50) * 0.002;
        const double y0 = 45.0 + (town / 20) * 0.2 + (random() % 100) * 0.001;
        std::string name = std::string(prefixes[street % 5]) + "Street" + std::to_string(street / 8) + " " + types[street % 8];
        for (int block = 0; block < 5; ++block) {
            const double x = x0 + block * 0.0013;
            for (bool right : {true, false}) {
                tolm::engine::AddressRangeFeature r;
                r.street = name;
                r.from_number = std::to_string(100 * (block + 1) + (right ? 0 : 1));
                r.to_number = std::to_string(100 * (block + 1) + (right ? 98 : 99));
                r.right_side = right;
                r.parity = right ? 'E' : 'O';
                r.zip = std::to_string(59000 + town);
                r.place = "Town" + std::to_string(town);
                r.state_code = "MT";
                r.points = {{x, y0}, {x + 0.0013, y0}};
                set.address_ranges.push_back(std::move(r));
            }
        }
    }
    return set;
}

Corpus& tiger() {
    static Corpus corpus = [] {
        Corpus c;
#ifdef TOLM_SEARCH_BENCH_TIGER
        FeatureSet set;
        const std::string path = std::string(TOLM_SOURCE_DIR) + "/../shared/testdata/tiger/tl_2021_30059_addrfeat.shp";
        if (std::filesystem::exists(path)) {
            tolm::importer::prepare_gdal();
            std::ostringstream log;
            tolm::importer::Progress progress(log, true);
            tolm::importer::read_tiger_address_features(path, set, progress);
            set.roads.clear();
            index(c, set);
            check_accuracy(c, set, "TIGER 30059");
            c.queries = sample_queries(set, 200);
        }
#endif
        return c;
    }();
    return corpus;
}

Corpus& state() {
    static Corpus corpus = [] {
        Corpus c;
        const FeatureSet set = synthetic_state();
        index(c, set);
        check_accuracy(c, set, "synthetic state");
        c.queries = sample_queries(set, 200);
        return c;
    }();
    return corpus;
}

void run_queries(benchmark::State& st, Corpus& corpus) {
    if (corpus.queries.empty()) {
        st.SkipWithError("no data");
        return;
    }
    std::size_t i = 0, found = 0;
    for (auto _ : st) {
        auto matches = corpus.search->find(corpus.queries[i++ % corpus.queries.size()]);
        found += matches.size();
        benchmark::DoNotOptimize(matches);
    }
    st.counters["matches_per_query"] = double(found) / double(std::max<std::size_t>(i, 1));
}

void BM_AddressSearchTigerCounty(benchmark::State& st) { run_queries(st, tiger()); }
void BM_AddressSearchStateSized(benchmark::State& st) { run_queries(st, state()); }

// The search files as the importer writes them: all states, and 3 200 counties sorted by their
// first character.
const std::string& region_folder() {
    static const std::string folder = [] {
        auto path = std::filesystem::temp_directory_path() / "tolm-search-bench";
        std::filesystem::create_directories(path);
        static const char* states[] = {"AK", "AL", "AR", "AZ", "CA", "CO", "CT", "DC", "DE", "FL", "GA", "HI", "IA",
                                       "ID", "IL", "IN", "KS", "KY", "LA", "MA", "MD", "ME", "MI", "MN", "MO", "MS",
                                       "MT", "NC", "ND", "NE", "NH", "NJ", "NM", "NV", "NY", "OH", "OK", "OR", "PA",
                                       "RI", "SC", "SD", "TN", "TX", "UT", "VA", "VT", "WA", "WI", "WV", "WY"};
        std::ofstream s(path / tolm::server::k_state_file, std::ios::binary);
        for (const char* code : states) s << code << '\t' << code << "state\t-106.65\t-93.51\t25.84\t36.5\r\n";
        std::vector<std::string> counties;
        std::mt19937 random(3);
        for (int i = 0; i < 3200; ++i) {
            std::string name(1, char('A' + random() % 26));
            for (int k = 0; k < 7; ++k) name += char('a' + random() % 26);
            counties.push_back(name + '\t' + states[random() % 51] + "\t-98.17\t-97.37\t30.02\t30.63\r\n");
        }
        counties.push_back("Travis\tTX\t-98.17\t-97.37\t30.02\t30.63\r\n");
        std::sort(counties.begin(), counties.end());
        std::ofstream c(path / tolm::server::k_county_file, std::ios::binary);
        for (const auto& line : counties) c << line;
        return path.string();
    }();
    return folder;
}

void BM_StateSearch(benchmark::State& st) {
    const std::string& folder = region_folder();
    std::size_t rows = 0;
    for (auto _ : st) tolm::server::FindState(folder, "WY", [&](const tolm::server::FindResult&) { ++rows; });
    benchmark::DoNotOptimize(rows);
}

void BM_CountySearch(benchmark::State& st) {
    const std::string& folder = region_folder();
    std::size_t rows = 0;
    for (auto _ : st) tolm::server::FindCounty(folder, "Travis, TX", [&](const tolm::server::FindResult&) { ++rows; });
    benchmark::DoNotOptimize(rows);
}

}  // namespace

BENCHMARK(BM_AddressSearchTigerCounty)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_AddressSearchStateSized)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StateSearch)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_CountySearch)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
