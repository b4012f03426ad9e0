#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "platform/runtime_error.h"
#include "engine/sample_features.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

namespace tolm::engine {
namespace {

using pack::GeometryLayer;

std::span<const std::byte> as_bytes(const std::string& s) {
    return {reinterpret_cast<const std::byte*>(s.data()), s.size()};
}

std::filesystem::path temp_folder(const std::string& name) {
    auto folder = std::filesystem::temp_directory_path() / ("tolm_pack_test_" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

TEST(Pack, RoundTripKeepsAttributesAndGeometry) {
    FeatureSet set = testing::sample_features();
    set.areas.push_back({AreaKind::land, "", "", "", {testing::square(-101.5, 38.2, 0.3)}});
    const auto bytes = build_pack(set);
    const PackView view(as_bytes(bytes), "sample");

    EXPECT_NEAR(view.extent().west, -102, 1e-9);
    EXPECT_NEAR(view.extent().north, 40.05, 1e-7);
    ASSERT_EQ(view.area_count(), 9u);
    EXPECT_EQ(view.area(5).name, "Delta");
    EXPECT_EQ(view.area(5).code, "92002");
    EXPECT_EQ(view.area(5).kind, AreaKind::county);

    // Full-detail counties: the county with a hole keeps both rings, at 1e-7 degree precision.
    const auto& counties = view.geometry(GeometryLayer::county, 3);
    ASSERT_EQ(counties.size(), 4u);
    bool found_delta = false;
    for (std::uint32_t f = 0; f < counties.size(); ++f) {
        if (view.area(counties.attribute(f)).name != "Delta") continue;
        found_delta = true;
        ASSERT_EQ(counties.ring_count(f), 2u);
        const auto hole = counties.ring(f, 1);
        ASSERT_EQ(hole.size(), 5u);
        EXPECT_NEAR(hole.lon_lat(0).lon, -98.6, 1e-7);
        EXPECT_NEAR(hole.lon_lat(0).lat, 38.4, 1e-7);
    }
    EXPECT_TRUE(found_delta);

    // Land outside the nation has a layer of its own, in every band, and the roads are still roads.
    for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
        const auto& land = view.geometry(GeometryLayer::land, band);
        ASSERT_EQ(land.size(), 1u) << "band " << band;
        EXPECT_EQ(view.area(land.attribute(0)).kind, AreaKind::land);
        EXPECT_NEAR(land.ring(0, 0).lon_lat(0).lon, -101.5, 1e-7);
    }
    EXPECT_EQ(view.geometry(GeometryLayer::water, 3).size(), 1u);
    EXPECT_GT(view.geometry(GeometryLayer::road, 3).size(), 0u);

    ASSERT_EQ(view.place_count(), 2u);
    EXPECT_EQ(view.place(0).name, "Midtown") << "places are ordered by population";
    ASSERT_EQ(view.address_range_count(), 1u);
    const auto range = view.address_range(0);
    EXPECT_EQ(range.street, "N Main St");
    EXPECT_EQ(range.to_number, "198");
    EXPECT_EQ(range.parity, 'E');
    EXPECT_EQ(range.points.size(), 2u);
    EXPECT_EQ(view.zip(0).key, "59001");
    EXPECT_EQ(view.phone_area(0).key, "555");
}

TEST(Pack, BandsCarryOnlyTheRoadClassesTheyShow) {
    const auto bytes = build_pack(testing::sample_features());
    const PackView view(as_bytes(bytes), "sample");
    auto classes_in = [&](std::uint32_t band) {
        std::vector<RoadClass> seen;
        const auto& roads = view.geometry(GeometryLayer::road, band);
        for (std::uint32_t f = 0; f < roads.size(); ++f) seen.push_back(view.road(roads.attribute(f)).road_class);
        return seen;
    };
    for (auto c : classes_in(0)) EXPECT_EQ(c, RoadClass::interstate);
    EXPECT_EQ(classes_in(0).size(), 2u);
    EXPECT_EQ(classes_in(3).size(), 10u);
    EXPECT_TRUE(view.road(3).oneway);
}

TEST(Pack, SimplificationDropsDetailBelowHalfAPixel) {
    FeatureSet set;
    Ring wiggly;
    for (int i = 0; i <= 1000; ++i) wiggly.push_back({-100 + i * 0.001, 40 + ((i % 2) ? 1e-5 : 0)});
    wiggly.push_back({-99, 41});
    wiggly.push_back(wiggly.front());
    set.areas.push_back({AreaKind::state, "Wiggly", "", "", {wiggly}});
    const auto bytes = build_pack(set);
    const PackView view(as_bytes(bytes), "wiggly");
    const auto coarse = view.geometry(GeometryLayer::state, 0).ring(0, 0).size();
    const auto full = view.geometry(GeometryLayer::state, 3).ring(0, 0).size();
    EXPECT_LE(coarse, 5u);
    EXPECT_EQ(full, wiggly.size());
}

TEST(Pack, SimplificationKeepsThePointsOnCutCellEdges) {
    // A piece of land cut at the cell edge 40 north: the coast reaches the edge at -99.9995, a
    // hair from its neighbour, where simplification would otherwise drop the point and leave the
    // edge off the line that the piece north of it shares.
    FeatureSet set;
    const Ring piece = {{-100, 38}, {-99, 38}, {-99, 40}, {-99.999, 40}, {-99.9995, 39.9999}, {-100, 39.9998}, {-100, 38}};
    set.areas.push_back({AreaKind::land, "", "", "", {piece}});
    const auto bytes = build_pack(set);
    const PackView view(as_bytes(bytes), "cut");
    const auto ring = view.geometry(GeometryLayer::land, 0).ring(0, 0);
    std::size_t on_edge = 0;
    for (std::uint32_t i = 0; i < ring.size(); ++i) {
        if (ring[i].y == pack::to_units(40)) ++on_edge;
        // Whatever was dropped, nothing leaves the cell.
        EXPECT_LE(ring[i].y, pack::to_units(40));
    }
    EXPECT_EQ(on_edge, 2u);
    EXPECT_LT(ring.size(), piece.size());  // the coast's detail below half a pixel is still dropped
}

TEST(Pack, QueryFindsExactlyTheFeaturesMeetingTheArea) {
    FeatureSet set;
    // A 60 x 60 grid of small squares: enough for a three-level index.
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 60; ++y)
            set.areas.push_back({AreaKind::county, std::to_string(x) + "," + std::to_string(y), "", "",
                                 {testing::square(-110 + x * 0.1, 30 + y * 0.1, 0.05)}});
    const auto bytes = build_pack(set);
    const PackView view(as_bytes(bytes), "grid");
    const auto& table = view.geometry(GeometryLayer::county, 3);
    const pack::UnitBox area{pack::to_units(-108.02), pack::to_units(-107.48), pack::to_units(31.01), pack::to_units(31.33)};
    std::vector<std::uint32_t> hits;
    table.query(area, hits);
    std::vector<std::uint32_t> expected;
    for (std::uint32_t f = 0; f < table.size(); ++f)
        if (table.box(f).intersects(area)) expected.push_back(f);
    std::sort(hits.begin(), hits.end());
    EXPECT_EQ(hits, expected);
    EXPECT_EQ(hits.size(), 6u * 4u);
}

TEST(Pack, InvalidCoordinatesAndDegenerateRingsAreDroppedNotStored) {
    FeatureSet set;
    set.areas.push_back({AreaKind::county, "Empty", "", "", {}});
    set.areas.push_back({AreaKind::county, "Line", "", "", {{{-100, 40}, {-99, 40}}}});
    set.areas.push_back({AreaKind::county, "Bad", "", "", {{{-100, 40}, {std::nan(""), 40}, {-99, 41}, {-100, 41}}}});
    set.places.push_back({"Nowhere", "", "", {500, 40}, 1});
    const auto bytes = build_pack(set);
    const PackView view(as_bytes(bytes), "odd");
    const auto& table = view.geometry(GeometryLayer::county, 3);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(view.area(table.attribute(0)).name, "Bad");
    EXPECT_EQ(table.ring(0, 0).size(), 4u) << "the NaN point is dropped and the ring closed";
    EXPECT_EQ(view.place_count(), 0u);
}

TEST(Pack, EmptyFeatureSetMakesAValidPack) {
    const auto bytes = build_pack({});
    const PackView view(as_bytes(bytes), "empty");
    std::vector<std::uint32_t> hits;
    view.geometry(GeometryLayer::road, 3).query({-1000, 1000, -1000, 1000}, hits);
    EXPECT_TRUE(hits.empty());
}

void expect_refused(const std::string& bytes, const std::string& why) {
    try {
        const PackView view(as_bytes(bytes), "bad.pack");
        ADD_FAILURE() << "accepted a damaged pack: " << why;
    } catch (const RuntimeError& e) {
        EXPECT_NE(std::string(e.what()).find("bad.pack"), std::string::npos) << e.what();
    }
}

TEST(Pack, TruncatedPacksAreRefused) {
    const auto bytes = build_pack(testing::sample_features());
    for (std::size_t length : {std::size_t(0), std::size_t(7), std::size_t(63), std::size_t(64), bytes.size() / 2, bytes.size() - 1})
        expect_refused(bytes.substr(0, length), "truncated to " + std::to_string(length));
}

TEST(Pack, DamagedHeadersAndReferencesAreRefused) {
    const auto good = build_pack(testing::sample_features());
    auto with = [&](std::size_t at, std::uint32_t value) {
        auto bytes = good;
        std::memcpy(bytes.data() + at, &value, 4);
        return bytes;
    };
    expect_refused(with(0, 0x4B415041), "wrong signature");
    expect_refused(with(8, pack::k_version + 1), "newer version");
    expect_refused(with(8, 1), "older version, whose layer 5 held the roads");
    expect_refused(with(12, 3), "section count changed, checksum stale");

    // A ring reference pointing past its table, with the header left intact: found by record checks.
    const PackView view(as_bytes(good), "good");
    const auto& table = view.geometry(GeometryLayer::county, 3);
    ASSERT_GT(table.size(), 0u);
    auto bytes = good;
    // Locate the first county feature record of band 3 through the directory.
    const std::uint32_t section_count = detail::load<std::uint32_t>(reinterpret_cast<const std::byte*>(good.data()) + 12);
    const std::uint32_t wanted = pack::geometry_section(GeometryLayer::county, 3, pack::part_features);
    for (std::uint32_t i = 0; i < section_count; ++i) {
        const char* entry = good.data() + 64 + i * 24;
        std::uint32_t id;
        std::uint64_t offset;
        std::memcpy(&id, entry, 4);
        std::memcpy(&offset, entry + 8, 8);
        if (id != wanted) continue;
        const std::uint32_t huge = 0xFFFFFFF0u;
        std::memcpy(bytes.data() + offset + 20, &huge, 4);
    }
    expect_refused(bytes, "ring reference out of range");

    // Area kinds: land is the last one known.
    auto with_first_area_kind = [&](std::uint8_t kind) {
        auto changed = good;
        for (std::uint32_t i = 0; i < section_count; ++i) {
            const char* entry = good.data() + 64 + i * 24;
            std::uint32_t id;
            std::uint64_t offset;
            std::memcpy(&id, entry, 4);
            std::memcpy(&offset, entry + 8, 8);
            if (id == pack::section_area_attributes) changed[offset] = static_cast<char>(kind);
        }
        return changed;
    };
    const auto land = with_first_area_kind(static_cast<std::uint8_t>(AreaKind::land));
    EXPECT_EQ(PackView(as_bytes(land), "land").area(0).kind, AreaKind::land);
    expect_refused(with_first_area_kind(static_cast<std::uint8_t>(AreaKind::land) + 1), "unknown area kind");
}

// A pack whose road feature has no line: the road's label is placed along its first ring, so the
// pack must be refused when opened rather than read out of bounds when painted.
TEST(Pack, ARoadWithoutALineIsRefused) {
    const auto good = build_pack(testing::sample_features());
    auto bytes = good;
    const std::uint32_t section_count = detail::load<std::uint32_t>(reinterpret_cast<const std::byte*>(good.data()) + 12);
    int patched = 0;
    for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
        const std::uint32_t wanted = pack::geometry_section(GeometryLayer::road, band, pack::part_features);
        for (std::uint32_t i = 0; i < section_count; ++i) {
            const char* entry = good.data() + 64 + i * 24;
            std::uint32_t id;
            std::uint64_t offset, length;
            std::memcpy(&id, entry, 4);
            std::memcpy(&offset, entry + 8, 8);
            std::memcpy(&length, entry + 16, 8);
            if (id != wanted || length < pack::k_feature_size) continue;
            const std::uint32_t none = 0;
            std::memcpy(bytes.data() + offset + 24, &none, 4);  // the first road's ring count
            ++patched;
        }
    }
    ASSERT_GT(patched, 0);
    expect_refused(bytes, "a road with no rings");

    // The damaged pack found from outside, where the shared test data is at hand.
    const std::filesystem::path found = std::filesystem::path(TOLM_SOURCE_DIR) / ".." / "shared" / "testdata" / "repro" / "zero-length-ring.pack";
    if (!std::filesystem::exists(found)) GTEST_SKIP() << "no shared reproducer at " << found.string();
    EXPECT_THROW(const Pack damaged(found.string()), RuntimeError);
}

// Users copy new data over a pack while the client runs. The engine keeps the bytes it validated:
// reading every record of a pack after its file was truncated or replaced is safe and unchanged.
TEST(Pack, APackTruncatedOrReplacedOnDiskKeepsItsOpenedView) {
    const auto folder = temp_folder("changed");
    const auto path = (folder / "boundaries.pack").string();
    write_pack(testing::sample_features(), path);
    auto read_everything = [](const PackView& view) {
        std::int64_t sum = 0;
        for (std::uint32_t layer = 0; layer < pack::k_geometry_layer_count; ++layer)
            for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
                const auto& t = view.geometry(static_cast<GeometryLayer>(layer), band);
                std::vector<std::uint32_t> hits;
                t.query({INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, hits);
                for (auto f : hits)
                    for (std::uint32_t r = 0; r < t.ring_count(f); ++r) {
                        const auto run = t.ring(f, r);
                        for (std::uint32_t p = 0; p < run.size(); ++p) sum += run[p].x;
                    }
            }
        for (std::uint32_t i = 0; i < view.area_count(); ++i) sum += static_cast<std::int64_t>(view.area(i).name.size());
        return sum;
    };
    // Windows refuses to truncate or overwrite a file while it is mapped; elsewhere the change
    // happens and the pack must keep the view it opened.
    auto changed = [](const std::error_code& error) {
#ifdef _WIN32
        (void)error;
#else
        EXPECT_FALSE(error) << error.message();
#endif
    };
    std::error_code error;
    std::int64_t before = 0;
    {
        const Pack truncated(path);
        before = read_everything(truncated.view());
        std::filesystem::resize_file(path, 4096, error);
        changed(error);
        EXPECT_EQ(read_everything(truncated.view()), before);
        std::filesystem::resize_file(path, 0, error);
        changed(error);
        EXPECT_EQ(read_everything(truncated.view()), before);
    }

    write_pack(testing::sample_features(), path);
    {
        const Pack overwritten(path);
        FeatureSet other;
        other.areas.push_back({AreaKind::state, "Other", "", "", {testing::square(0, 0, 1)}});
        const auto other_path = (folder / "other.pack").string();
        write_pack(other, other_path);
        // As cp does it: the same file rewritten in place, shorter.
        std::filesystem::copy_file(other_path, path, std::filesystem::copy_options::overwrite_existing, error);
        changed(error);
        EXPECT_EQ(read_everything(overwritten.view()), before);
        EXPECT_EQ(overwritten.view().area_count(), 8u);
    }
    std::filesystem::remove_all(folder);
}

TEST(Pack, RandomBitFlipsNeverCrash) {
    const auto good = build_pack(testing::sample_features());
    std::mt19937 random(1234);
    int refused = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        auto bytes = good;
        const int flips = 1 + trial % 4;
        for (int k = 0; k < flips; ++k) {
            const std::size_t at = random() % bytes.size();
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8)));
        }
        try {
            const PackView view(as_bytes(bytes), "flipped");
            // Accepted: everything reachable must still be safe to read.
            for (std::uint32_t layer = 0; layer < pack::k_geometry_layer_count; ++layer) {
                for (std::uint32_t band = 0; band < pack::k_band_count; ++band) {
                    const auto& t = view.geometry(static_cast<GeometryLayer>(layer), band);
                    std::vector<std::uint32_t> hits;
                    t.query({INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, hits);
                    for (auto f : hits)
                        for (std::uint32_t r = 0; r < t.ring_count(f); ++r) {
                            const auto run = t.ring(f, r);
                            for (std::uint32_t p = 0; p < run.size(); ++p) (void)run[p];
                        }
                }
            }
            for (std::uint32_t i = 0; i < view.address_range_count(); ++i) (void)view.address_range(i).street.size();
        } catch (const RuntimeError&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(Pack, WritePackReplacesAtomicallyAndReadsBackMapped) {
    const auto folder = temp_folder("write");
    const auto path = (folder / "roads.tpk").string();
    write_pack(testing::sample_features(), path);
    {
        const Pack first(path);
        EXPECT_EQ(first.view().area_count(), 8u);
    }
    FeatureSet smaller;
    smaller.areas.push_back({AreaKind::state, "Only", "", "", {testing::square(0, 0, 1)}});
    write_pack(smaller, path);
    const Pack second(path);
    EXPECT_EQ(second.view().area_count(), 1u);
    EXPECT_FALSE(std::filesystem::exists(path + ".part"));
}

TEST(Pack, WriteIntoMissingFolderFailsAndKeepsNothing) {
    const auto folder = temp_folder("missing");
    EXPECT_THROW(write_pack(testing::sample_features(), (folder / "no" / "such.tpk").string()), RuntimeError);
}

TEST(Pack, OpeningMissingOrDamagedFilesGivesClearErrors) {
    const auto folder = temp_folder("open");
    try {
        const Pack missing((folder / "absent.tpk").string());
        ADD_FAILURE();
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), runtime_errors::file_not_found);
    }
    const auto path = (folder / "short.tpk").string();
    std::ofstream(path, std::ios::binary) << "TOLMPAK";
    EXPECT_THROW(const Pack bad(path), RuntimeError);
    std::ofstream(path, std::ios::binary | std::ios::trunc);
    EXPECT_THROW(const Pack empty(path), RuntimeError);
}

}  // namespace
}  // namespace tolm::engine
