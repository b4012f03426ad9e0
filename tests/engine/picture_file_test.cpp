#include "engine/picture_file.h"
#include "support/errors.h"

#include "platform/native_picture.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tolm::engine {
namespace {

using namespace std::string_literals;

// 2 x 2 RGBA: red, green / blue, fully transparent.
const std::string k_png =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00\x02\x08\x06\x00"
    "\x00\x00\x72\xb6\x0d\x24\x00\x00\x00\x13\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\xf0\x1f\x0c\x81\x34\x88\x60"
    "\x00\x00\x3f\xd2\x05\xfb\xcb\x17\xa6\xce\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82"s;
// A header that claims 10000 x 8000 pixels and nothing more.
const std::string k_huge_png =
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x27\x10\x00\x00\x1f\x40\x08\x06\x00"
    "\x00\x00\x2d\x4c\x81\xe5\x00\x00\x00\x00\x49\x45\x4e\x44\xae\x42\x60\x82"s;
// 1 x 1, one red pixel.
const std::string k_gif = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;"s;

// 2 x 2 from a four-colour table: red, green / blue, and the table's last colour marked transparent
// by a graphic control extension. Its picture data ends at byte 50 (the empty sub-block).
const std::string k_gif_2x2 =
    "GIF89a\x02\x00\x02\x00\x81\x00\x00"
    "\xff\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00"
    "\x21\xf9\x04\x01\x00\x00\x03\x00"
    "\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00"
    "\x02\x03\x44\x34\x05\x00"
    "\x3b"s;

using test::error_of;

Bitmap three_by_two() {
    // An odd width, so every row of the file carries padding.
    return Bitmap{3, 2, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF102030u, 0xFFFFFFFFu, 0xFF000000u}};
}

TEST(BitmapWriter, HeaderIsAPlainBottomUp24BitBitmap) {
    const std::string file = encode_bitmap(three_by_two());
    // 54 bytes of headers and two rows of 9 bytes padded to 12.
    ASSERT_EQ(file.size(), 54u + 2 * 12);
    std::uint32_t size = 0, offset = 0, header = 0;
    std::int32_t width = 0, height = 0;
    std::uint16_t bits = 0;
    std::memcpy(&size, file.data() + 2, 4);
    std::memcpy(&offset, file.data() + 10, 4);
    std::memcpy(&header, file.data() + 14, 4);
    std::memcpy(&width, file.data() + 18, 4);
    std::memcpy(&height, file.data() + 22, 4);
    std::memcpy(&bits, file.data() + 28, 2);
    EXPECT_EQ(file.substr(0, 2), "BM");
    EXPECT_EQ(size, file.size());
    EXPECT_EQ(offset, 54u);
    EXPECT_EQ(header, 40u);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 2);
    EXPECT_EQ(bits, 24);
    // The bottom row comes first, blue green red per pixel: 0xFF102030 is B=30 G=20 R=10.
    EXPECT_EQ(file.substr(54, 3), "\x30\x20\x10"s);
}

TEST(BitmapWriter, WhatItWritesReadsBackThroughBothReaders) {
    const Bitmap original = three_by_two();
    const std::string file = encode_bitmap(original);
    EXPECT_EQ(decode_bitmap(file, "x.bmp").pixels, original.pixels);
    EXPECT_EQ(decode_picture(file, "x.bmp").pixels, original.pixels);
}

TEST(BitmapWriter, ReplacesAnExistingFile) {
    test::ScratchFolder folder("bitmap");
    const std::string path = folder.file("Town.BMP");
    test::write_bytes(path, "old contents");
    write_bitmap(path, three_by_two());
    EXPECT_EQ(test::read_bytes(path), encode_bitmap(three_by_two()));
    EXPECT_NE(error_of([] { encode_bitmap(Bitmap{}); }), "no error");
}

TEST(PictureReader, PngPixelsWithTransparencyLaidOnWhite) {
    const Bitmap picture = decode_picture(k_png, "a.png");
    ASSERT_EQ(picture.width, 2);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels, (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}));
}

TEST(PictureReader, GifFirstFrame) {
    const Bitmap picture = decode_picture(k_gif, "a.gif");
    ASSERT_EQ(picture.width, 1);
    EXPECT_EQ(picture.pixels, (std::vector<std::uint32_t>{0xFFFF0000u}));
}

// On Windows GIF goes through the system's imaging, elsewhere through our decoder: the same pixels.
TEST(PictureReader, GifWithTransparencyLaidOnWhite) {
#ifdef _WIN32
    EXPECT_TRUE(platform::native_gif_supported());
#endif
    const Bitmap picture = decode_picture(k_gif_2x2, "four.gif");
    ASSERT_EQ(picture.width, 2);
    ASSERT_EQ(picture.height, 2);
    EXPECT_EQ(picture.pixels, (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}));
    // The trailer after the first picture is not needed.
    EXPECT_EQ(decode_picture(k_gif_2x2.substr(0, k_gif_2x2.size() - 1), "open.gif").pixels, picture.pixels);
}

TEST(PictureReader, AGifCutShortIsRefusedNamingTheFile) {
    // Cut anywhere in the header, the colours, the extension or the picture's data.
    for (std::size_t cut = 1; cut < k_gif_2x2.size() - 2; ++cut) {
        const std::string error = error_of([&] { decode_picture(k_gif_2x2.substr(0, cut), "cut.gif"); });
        EXPECT_NE(error.find("cut.gif cannot be read"), std::string::npos) << cut << ": " << error;
    }
    std::string no_picture = k_gif_2x2.substr(0, 13 + 12);
    EXPECT_NE(error_of([&] { decode_picture(no_picture + "\x3b", "none.gif"); }), "no error");
    std::string huge = k_gif_2x2;
    huge[7] = '\x7f';  // a logical screen 32514 pixels wide
    huge[9] = '\x7f';
    EXPECT_NE(error_of([&] { decode_picture(huge, "huge.gif"); }).find("too large"), std::string::npos);
}

TEST(PictureReader, DamagedPicturesAreRefusedNamingTheFile) {
    EXPECT_NE(error_of([] { decode_picture("", "empty.png"); }).find("empty.png"), std::string::npos);
    EXPECT_NE(error_of([] { decode_picture("not a picture at all", "text.jpg"); }).find("text.jpg"), std::string::npos);
    for (std::size_t cut : {8u, 20u, 40u, 60u})
        EXPECT_NE(error_of([&] { decode_picture(k_png.substr(0, cut), "cut.png"); }), "no error") << cut;
}

TEST(PictureReader, EveryBitFlipEitherReadsOrIsRefused) {
    for (const std::string& original : {k_png, k_gif_2x2}) {
        for (std::size_t at = 0; at < original.size(); ++at)
            for (int bit = 0; bit < 8; ++bit) {
                std::string flipped = original;
                flipped[at] = static_cast<char>(flipped[at] ^ (1 << bit));
                try {
                    const Bitmap picture = decode_picture(flipped, "flipped");
                    EXPECT_EQ(picture.pixels.size(), std::size_t(picture.width) * std::size_t(picture.height));
                } catch (const RuntimeError&) {
                }
            }
    }
}

// A JPEG whose coefficients, times their quantisation, overflow an int stopped a sanitized build
// inside the decoder (found by fuzzing under UBSan): it reads, whatever its pixels.
TEST(PictureReader, AJpegWhoseCoefficientsOverflowReads) {
    const auto damaged = tolm::test::read_bytes(std::string(TOLM_SOURCE_DIR) + "/tests/fuzz/corpus/picture/jpeg-coefficient-overflow.jpg");
    ASSERT_FALSE(damaged.empty());
    try {
        const Bitmap picture = decode_picture(damaged, "overflow.jpg");
        EXPECT_EQ(picture.pixels.size(), std::size_t(picture.width) * std::size_t(picture.height));
    } catch (const RuntimeError&) {
    }
}

// A JPEG Huffman table of more than 256 codes made the decoder write past its table (found by
// fuzzing under ASan): refused before decoding, wherever the table lies, and a sound JPEG still reads.
TEST(PictureReader, AJpegHuffmanTableOfTooManyCodesIsRefused) {
    const std::string overfull("\xFF\xD8\xFF\xC4\x00\x1E\x00\xFF\xD9", 9);
    EXPECT_NE(error_of([&] { decode_picture(overfull, "table.jpg"); }).find("Huffman table"), std::string::npos);
    const std::string after_a_comment = std::string("\xFF\xD8\xFF\xFE\x00\x04ok", 8) + overfull.substr(2);
    EXPECT_NE(error_of([&] { decode_picture(after_a_comment, "comment.jpg"); }).find("Huffman table"), std::string::npos);
    EXPECT_NE(error_of([&] { decode_picture("\xFF" + after_a_comment, "fill.jpg"); }).find("Huffman table"), std::string::npos);
    const auto sound = tolm::test::read_bytes(std::string(TOLM_SOURCE_DIR) + "/tests/fuzz/corpus/picture/Town.jpg");
    EXPECT_EQ(decode_picture(sound, "Town.jpg").width, 8);
}

// A PNG chunk whose length claims more than the file holds made the decoder ask for 2 GB before
// reading it (found by fuzzing): refused first, wherever the chunk lies, and a sound PNG still reads.
TEST(PictureReader, APngChunkLongerThanTheFileIsRefusedBeforeItIsDecoded) {
    const std::size_t iend = k_png.size() - 12;
    // A second image chunk claiming a billion bytes, before the end chunk.
    const std::string claims_too_much = k_png.substr(0, iend) + "\x40\x00\x00\x00IDAT\x78\x9c"s + k_png.substr(iend);
    EXPECT_NE(error_of([&] { decode_picture(claims_too_much, "long.png"); }).find("runs past the end"), std::string::npos);
    // The image chunk's own length raised past the end of the file.
    std::string long_data = k_png;
    ASSERT_EQ(long_data.substr(37, 4), "IDAT");
    long_data[35] = '\x10';
    EXPECT_NE(error_of([&] { decode_picture(long_data, "data.png"); }).find("runs past the end"), std::string::npos);
    EXPECT_EQ(decode_picture(k_png, "a.png").width, 2);
    const auto fuzzed = tolm::test::read_bytes(std::string(TOLM_SOURCE_DIR) + "/tests/fuzz/corpus/picture/png-chunk-too-long.png");
    EXPECT_NE(error_of([&] { decode_picture(fuzzed, "fuzzed.png"); }).find("runs past the end"), std::string::npos);
}

TEST(PictureReader, APictureTooLargeIsRefusedBeforeItIsDecoded) {
    const std::string error = error_of([] { decode_picture(k_huge_png, "huge.png"); });
    EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST(PictureReader, ReadsFilesAndRefusesMissingOnes) {
    test::ScratchFolder folder("picture");
    test::write_bytes(folder.file("a.PNG"), k_png);
    EXPECT_EQ(read_picture(folder.file("a.PNG")).width, 2);
    EXPECT_NE(error_of([&] { read_picture(folder.file("missing.png")); }).find("missing.png"), std::string::npos);
}

#ifndef _WIN32
TEST(PictureReader, MetafilesNameTheirFormatWhereTheyCannotBeDrawn) {
    test::ScratchFolder folder("emf");
    test::write_bytes(folder.file("Town.EMF"), "anything");
    EXPECT_NE(error_of([&] { read_picture(folder.file("Town.EMF")); }).find("EMF picture"), std::string::npos);
}
#endif

}  // namespace
}  // namespace tolm::engine
