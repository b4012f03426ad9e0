// The whole road from a TIGER/Line county to a found address: imported, packed, searched. Each house
// number must come back within 30 m of the point interpolated from its own range, measured here
// along the street independently of the search's own interpolation.
#include "engine/geo.h"
#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "engine/search/address_search.h"
#include "tools/tolm-import/road_reader.h"

#include "tolm-import/import_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>

namespace tolm::importer {
namespace {

using engine::AddressRangeFeature;
using engine::LonLat;

long leading_number(const std::string& text) {
    long value = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    return i == 0 ? -1 : value;
}

// A number a quarter of the way along the range, with the range's parity.
long number_within(const AddressRangeFeature& range) {
    const long from = leading_number(range.from_number), to = leading_number(range.to_number);
    if (from < 0 || to < 0) return -1;
    long n = from + (to - from) / 4;
    if ((range.parity == 'O' && n % 2 == 0) || (range.parity == 'E' && n % 2 != 0)) n += to >= from ? 1 : -1;
    return n >= std::min(from, to) && n <= std::max(from, to) ? n : -1;
}

LonLat interpolated(const AddressRangeFeature& range, long n) {
    const long from = leading_number(range.from_number), to = leading_number(range.to_number);
    const double fraction = from == to ? 0.5 : double(n - from) / double(to - from);
    double total = 0;
    for (std::size_t i = 1; i < range.points.size(); ++i) total += engine::distance_metres(range.points[i - 1], range.points[i]);
    double left = fraction * total;
    for (std::size_t i = 1; i < range.points.size(); ++i) {
        const double d = engine::distance_metres(range.points[i - 1], range.points[i]);
        if (left <= d || i + 1 == range.points.size()) {
            const double t = d > 0 ? std::clamp(left / d, 0.0, 1.0) : 0.0;
            return {range.points[i - 1].lon + t * (range.points[i].lon - range.points[i - 1].lon),
                    range.points[i - 1].lat + t * (range.points[i].lat - range.points[i - 1].lat)};
        }
        left -= d;
    }
    return range.points.front();
}

TEST(TigerAddressSearch, HouseNumbersLandWithin30MetresOfTheirRange) {
    const std::string data = testing::testdata_folder();
    if (data.empty()) GTEST_SKIP() << "shared test data not found";
    engine::FeatureSet set;
    testing::RecordedProgress recorded;
    ASSERT_GT(read_tiger_address_features(data + "/tiger/tl_2021_30059_addrfeat.shp", set, recorded.progress), 0u);
    ASSERT_FALSE(set.address_ranges.empty());

    const std::string bytes = engine::build_pack(set);
    const engine::PackView view(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "tiger");
    const engine::search::AddressSearch search(std::vector<const engine::PackView*>{&view});

    std::size_t checked = 0;
    for (const auto& range : set.address_ranges) {
        const long n = number_within(range);
        if (n < 0 || range.street.empty() || range.points.size() < 2) continue;
        const std::string query = std::to_string(n) + " " + range.street + (range.zip.empty() ? "" : ", " + range.zip);
        const LonLat expected = interpolated(range, n);
        double nearest = 1e12;
        for (const auto& match : search.find(query)) nearest = std::min(nearest, engine::distance_metres(match.position, expected));
        EXPECT_LE(nearest, 30.0) << query;
        ++checked;
    }
    EXPECT_GT(checked, 50u);
}

}  // namespace
}  // namespace tolm::importer
