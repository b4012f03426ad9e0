#ifndef _WIN32

#include "platform/atomic_file.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

#include <gtest/gtest.h>

#include <png.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tolm::platform {
namespace {

namespace fs = std::filesystem;

// A PNG file decoded by libpng's simplified reader into straight RGBA.
struct Decoded {
    std::uint32_t width = 0, height = 0, format = 0;
    std::vector<std::uint8_t> rgba;
    std::array<std::uint8_t, 4> at(std::uint32_t x, std::uint32_t y) const {
        const std::uint8_t* p = &rgba[(std::size_t(y) * width + x) * 4];
        return {p[0], p[1], p[2], p[3]};
    }
};

Decoded read_png(const fs::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Decoded decoded;
    if (!png_image_begin_read_from_file(&image, path.c_str())) {
        ADD_FAILURE() << "cannot read " << path << ": " << image.message;
        return decoded;
    }
    decoded.format = image.format;
    image.format = PNG_FORMAT_RGBA;
    decoded.width = image.width;
    decoded.height = image.height;
    decoded.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr)) ADD_FAILURE() << image.message;
    return decoded;
}

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PngFile : public ::testing::Test {
protected:
    void SetUp() override {
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        detail::fail_replacements_for_testing(false);
        fs::remove_all(folder);
    }
    std::size_t files_in_folder() const {
        return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    const fs::path folder = fs::temp_directory_path() / "tolm_png_file_test";
};

TEST_F(PngFile, AnOpaquePictureReadsBackWithItsSizeAndColoursAsRgb) {
    RasterSurface surface(5, 3, 0xFF336699u);
    surface.pixels()[1 * 5 + 4] = 0xFFFF8000u;
    surface.pixels()[2 * 5 + 0] = 0xFF000000u;
    write_png(surface, (folder / "map.png").string());
    const Decoded png = read_png(folder / "map.png");
    EXPECT_EQ(png.width, 5u);
    EXPECT_EQ(png.height, 3u);
    EXPECT_EQ(png.format & PNG_FORMAT_FLAG_ALPHA, 0u);  // no alpha channel for an opaque picture
    EXPECT_EQ(png.at(0, 0), (std::array<std::uint8_t, 4>{0x33, 0x66, 0x99, 0xFF}));
    EXPECT_EQ(png.at(4, 1), (std::array<std::uint8_t, 4>{0xFF, 0x80, 0x00, 0xFF}));
    EXPECT_EQ(png.at(0, 2), (std::array<std::uint8_t, 4>{0, 0, 0, 0xFF}));
    EXPECT_EQ(png.at(4, 2), (std::array<std::uint8_t, 4>{0x33, 0x66, 0x99, 0xFF}));
}

TEST_F(PngFile, TranslucentPixelsAreWrittenUnpremultiplied) {
    RasterSurface surface(6, 1, 0xFFFFFFFFu);
    std::uint32_t* p = surface.pixels();
    p[0] = 0x80402010u;  // half covered: (64, 32, 16) premultiplied by 128
    p[1] = 0x00000000u;  // fully transparent
    p[2] = 0x01010000u;  // alpha 1, red 1: full red
    p[3] = 0x40FF0000u;  // red above its alpha (not a sound premultiplied pixel): clamped, not wrapped
    p[4] = 0xFF102030u;  // opaque pixels keep their colour in a translucent picture
    p[5] = 0xC0604830u;
    write_png(surface, (folder / "map.png").string());
    const Decoded png = read_png(folder / "map.png");
    ASSERT_EQ(png.width, 6u);
    EXPECT_NE(png.format & PNG_FORMAT_FLAG_ALPHA, 0u);
    EXPECT_EQ(png.at(0, 0), (std::array<std::uint8_t, 4>{128, 64, 32, 128}));
    EXPECT_EQ(png.at(1, 0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(png.at(2, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 1}));
    EXPECT_EQ(png.at(3, 0), (std::array<std::uint8_t, 4>{255, 0, 0, 0x40}));
    EXPECT_EQ(png.at(4, 0), (std::array<std::uint8_t, 4>{0x10, 0x20, 0x30, 0xFF}));
    // 0x60 * 255 / 0xC0 = 127.5 rounds up; 0x48 * 255 / 0xC0 = 95.6; 0x30 * 255 / 0xC0 = 63.75
    EXPECT_EQ(png.at(5, 0), (std::array<std::uint8_t, 4>{128, 96, 64, 0xC0}));
}

TEST_F(PngFile, AFailedWriteLeavesTheOldFileAndNothingBesideIt) {
    const fs::path path = folder / "map.png";
    std::ofstream(path, std::ios::binary) << "old picture";
    detail::fail_replacements_for_testing(true);
    EXPECT_THROW(write_png(RasterSurface(4, 4, 0xFF00FF00u), path.string()), RuntimeError);
    detail::fail_replacements_for_testing(false);
    EXPECT_EQ(contents(path), "old picture");
    EXPECT_EQ(files_in_folder(), 1u);

    EXPECT_THROW(write_png(RasterSurface(4, 4), (folder / "no" / "such" / "map.png").string()), RuntimeError);
    EXPECT_THROW(write_png(RasterSurface(0, 0), path.string()), RuntimeError);
    EXPECT_EQ(contents(path), "old picture");

    write_png(RasterSurface(4, 4, 0xFF00FF00u), path.string());
    EXPECT_EQ(read_png(path).at(3, 3), (std::array<std::uint8_t, 4>{0, 0xFF, 0, 0xFF}));
    EXPECT_EQ(files_in_folder(), 1u);
}

}  // namespace
}  // namespace tolm::platform

#endif
