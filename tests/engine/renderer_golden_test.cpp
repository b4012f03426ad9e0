// Golden pictures of the renderer: the sample data drawn at a few zoom levels, in colour and in
// black and white, compared with the pictures kept in tests/engine/golden with a tolerance for the
// small differences of font versions and antialiasing. A change of style shows here on purpose:
// after looking at the new pictures, write them with
//   TOLM_UPDATE_GOLDEN=1 build/linux/tests/tolm_engine_tests --gtest_filter='RendererGolden*'
#ifndef _WIN32

#include "engine/renderer.h"

#include "engine/pack/pack_writer.h"
#include "engine/picture_file.h"
#include "engine/sample_features.h"
#include "platform/posix/cairo_painter.h"
#include "platform/raster/raster_surface.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace tolm::engine {
namespace {

// A pixel may differ by this much in each channel; beyond it, only this share of the pixels may.
constexpr int k_channel_tolerance = 24;
constexpr double k_share_beyond = 0.01;

enum class Marked { nothing, state_outline, pin };

struct GoldenCase {
    const char* name;
    double lon, lat, zoom;
    bool monochrome;
    bool aids;
    Marked marked = Marked::nothing;
};

class RendererGolden : public ::testing::TestWithParam<GoldenCase> {};

FeatureSet golden_features() {
    FeatureSet set = testing::sample_features();
    // A road with several route numbers and a long one-way street with a long name.
    RoadFeature route;
    route.road_class = RoadClass::highway;
    route.ref = "I 670;US 62";
    route.points = {{-100.6, 39.9475}, {-99.4, 39.9475}};
    set.roads.push_back(route);
    RoadFeature street;
    street.road_class = RoadClass::local;
    street.name = "Northwest Golden Avenue";
    street.oneway = true;
    street.points = {{-100.14, 39.9555}, {-100.06, 39.9555}};
    set.roads.push_back(street);
    return set;
}

TEST_P(RendererGolden, MatchesItsPicture) {
    const GoldenCase& c = GetParam();
    const std::string bytes = build_pack(golden_features());
    const PackView pack(std::span(reinterpret_cast<const std::byte*>(bytes.data()), bytes.size()), "sample");
    const PackView* packs[] = {&pack};
    MapView view;
    view.set_size(320, 240);
    view.centre_on(c.lon, c.lat);
    view.set_zoom(c.zoom);
    MapStyle style;
    style.scale_bar = style.lat_lon_grid = style.locator_grid = c.aids;
    // A found state's outline, or a pin at the middle of the picture.
    FoundMark found;
    if (c.marked == Marked::state_outline) {
        found.kind = FoundMarkKind::state;
        found.name = "Westland";
        found.box = {-102.04, -99.96, 37.96, 40.04};
    } else if (c.marked == Marked::pin) {
        found.kind = FoundMarkKind::pin;
        found.point = {c.lon, c.lat};
    }
    const MarkOnMap mark = locate_found_mark(found, packs);
    platform::RasterSurface surface(view.width(), view.height());
    {
        platform::CairoPainter painter(surface);
        Renderer renderer;
        renderer.paint(painter, view, packs, style, c.monochrome, Renderer::Layers{nullptr, nullptr, &mark});
    }
    const std::filesystem::path golden = std::filesystem::path(TOLM_SOURCE_DIR) / "tests/engine/golden" / (std::string(c.name) + ".png");
    if (std::getenv("TOLM_UPDATE_GOLDEN")) {
        platform::write_png(surface, golden.string());
        GTEST_SKIP() << "wrote " << golden;
    }
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden << " is missing: write it with TOLM_UPDATE_GOLDEN=1";
    const Bitmap expected = read_picture(golden.string());
    ASSERT_EQ(expected.width, view.width());
    ASSERT_EQ(expected.height, view.height());
    int beyond = 0, worst = 0;
    for (std::int32_t y = 0; y < view.height(); ++y)
        for (std::int32_t x = 0; x < view.width(); ++x) {
            const std::uint32_t a = surface.pixel(x, y), b = expected.pixels[std::size_t(y) * expected.width + x];
            int most = 0;
            for (int shift : {0, 8, 16}) most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
            worst = std::max(worst, most);
            beyond += most > k_channel_tolerance;
        }
    EXPECT_LE(beyond, k_share_beyond * view.width() * view.height())
        << c.name << ": " << beyond << " pixels differ by more than " << k_channel_tolerance << " (worst " << worst << ")";
}

INSTANTIATE_TEST_SUITE_P(Pictures, RendererGolden,
                         ::testing::Values(GoldenCase{"state", -100.0, 39.0, 7.0, false, false},
                                           GoldenCase{"county", -100.1, 39.9, 10.0, false, false},
                                           GoldenCase{"street", -100.1, 39.952, 15.0, false, false},
                                           GoldenCase{"street_monochrome", -100.1, 39.952, 15.0, true, false},
                                           GoldenCase{"street_aids", -100.1, 39.952, 15.0, false, true},
                                           GoldenCase{"state_found", -100.0, 39.0, 7.0, false, false, Marked::state_outline},
                                           GoldenCase{"street_pin", -100.1, 39.952, 15.0, false, false, Marked::pin},
                                           GoldenCase{"street_pin_monochrome", -100.1, 39.952, 15.0, true, false, Marked::pin}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace tolm::engine

#endif  // _WIN32
