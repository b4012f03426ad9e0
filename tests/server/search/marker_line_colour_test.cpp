// The marker line must read wherever it crosses the land: over the pale land colour, every state
// and county shading the engine lays over it, a white background and a black-and-white map.
#include "server/search/map_search.h"

#include "engine/map_engine.h"
#include "engine/pack/pack_writer.h"
#include "ui/headless/headless_fixture.h"
#include "host/PictureBox.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace tolm::server {
namespace {

// The relative luminance of an sRGB colour, and the contrast ratio of two: 1 for the same colour, 21
// for black on white. Text and lines that must be seen want 3 or more.
double luminance(std::uint32_t argb) {
    const auto channel = [&](int shift) {
        const double c = ((argb >> shift) & 0xFFu) / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(16) + 0.7152 * channel(8) + 0.0722 * channel(0);
}
double contrast(std::uint32_t a, std::uint32_t b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class MarkerLineColourTest : public testing::HeadlessTest {
protected:
    MarkerLineColourTest() {
        // Sixteen states of four counties each, so that every colour of the shading palettes and
        // their mixtures turn up.
        engine::FeatureSet features;
        for (int s = 0; s < 16; ++s) {
            const double west = -110 + (s % 4) * 2, south = 30 + (s / 4) * 2;
            char code[8];
            std::snprintf(code, sizeof code, "%02d", s + 1);
            features.areas.push_back({engine::AreaKind::state, "State " + std::string(code), code, "S" + std::to_string(s), {square(west, south, 2)}});
            for (int c = 0; c < 4; ++c) {
                char county[8];
                std::snprintf(county, sizeof county, "%s%03d", code, c + 1);
                features.areas.push_back({engine::AreaKind::county, "County " + std::string(county), county, "S" + std::to_string(s),
                                          {square(west + (c % 2), south + (c / 2), 1)}});
            }
        }
        engine::write_pack(features, (packs.path() / "states.pack").string());
        engine.set_data_folder(engine::DataFolder::states, packs.path().string());
        engine.view().set_size(400, 400);
        engine.view().show_rectangle(-110, 38, -102, 30);
    }
    static engine::Ring square(double west, double south, double size) {
        return {{west, south}, {west + size, south}, {west + size, south + size}, {west, south + size}, {west, south}};
    }
    // The least contrast of the line with the land in the middle of each county.
    double least_contrast(bool monochrome) {
        auto picture = std::make_shared<host::PictureBox>(400, 400);
        engine.paint(picture->hdc(), 0, 0, 400, 400, monochrome);
        const std::uint32_t line = host::argb_of_colour(k_marker_line_colour);
        double least = 21;
        for (double lon = -109.5; lon < -102; lon += 1)
            for (double lat = 30.5; lat < 38; lat += 1) {
                const std::uint32_t land = picture->surface().pixel(static_cast<std::int32_t>(engine.view().to_pixel_x(lon)),
                                                                    static_cast<std::int32_t>(engine.view().to_pixel_y(lat)));
                least = std::min(least, contrast(line, land));
            }
        return least;
    }

    test::ScratchFolder packs{"marker-line-colour"};
    engine::MapEngine engine;
};

TEST_F(MarkerLineColourTest, ReadsOverEveryLandShadingWhiteAndBlackAndWhite) {
    EXPECT_GE(least_contrast(false), 3.0) << "the usual pale land with state and county shadings";
    engine.set_background_colour(0xFFFFFF);
    EXPECT_GE(least_contrast(false), 3.0) << "a white background";
    engine.style().shade_states = engine.style().shade_counties = false;
    EXPECT_GE(least_contrast(false), 3.0) << "white land, no shadings";
    EXPECT_GE(least_contrast(true), 3.0) << "black and white";
    // The white middle stands out from the broad line.
    EXPECT_GE(contrast(host::argb_of_colour(k_marker_line_colour), 0xFFFFFFFFu), 4.5);
}

}  // namespace
}  // namespace tolm::server
