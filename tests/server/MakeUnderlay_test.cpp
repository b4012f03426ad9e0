#include "server/MakeUnderlay.h"

#include "engine/picture_file.h"
#include "platform/app.h"
#include "platform/atomic_file.h"
#include "server/host_folders.h"
#include "support/scratch.h"
#include "ui/headless/headless_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tolm::server {
namespace {

namespace style = platform::message_box_style;

const char* const k_corners = ";a London street map\r\n51.30.5N, 0.10W\r\n51.15N, 0.15E\r\n";
const char* const k_sat_line = "-0.1666667, 51.50834, 0.25, 51.25\r\n";

class UnderlayCreation : public testing::HeadlessTest {
protected:
    UnderlayCreation() {
        std::filesystem::create_directories(maps_folder());
        saved_host = strHostFolder;
        saved_underlays = strUnderlaysFolder;
        strHostFolder = host.path().string() + "/";
        strUnderlaysFolder = underlays.path().string() + "/";
    }
    ~UnderlayCreation() override {
        strHostFolder = saved_host;
        strUnderlaysFolder = saved_underlays;
    }

    std::filesystem::path maps_folder() const { return host.path() / "Maps"; }
    std::string map_file(const std::string& name) const { return (maps_folder() / name).string(); }
    void write_map(const std::string& name, const std::string& bytes) { test::write_bytes(map_file(name), bytes); }
    std::string bmp(std::uint32_t colour) const { return engine::encode_bitmap(engine::Bitmap{1, 1, {colour}}); }
    std::string underlay(const std::string& name) const { return underlays.file(name); }

    // Runs the item with the user choosing `inf`; returns the texts of the messages shown.
    std::vector<std::string> make(const std::string& inf, int boxes = 1) {
        desktop.answer_open_file(inf);
        for (int i = 0; i < boxes; ++i) desktop.answer_message_box(platform::message_box_result::ok);
        return run();
    }
    std::vector<std::string> run() {
        const auto before = desktop.message_boxes().size();
        MakeUnderlay(0);
        std::vector<std::string> texts;
        for (auto i = before; i < desktop.message_boxes().size(); ++i) {
            const auto& box = desktop.message_boxes()[i];
            EXPECT_EQ(box.icon(), style::information);
            EXPECT_EQ(box.buttons(), style::ok_only);
            EXPECT_EQ(box.title, platform::app_title());  // no title of its own
            texts.push_back(box.text);
        }
        EXPECT_TRUE(desktop.all_answers_used());
        EXPECT_TRUE(desktop.problems().empty());
        return texts;
    }

    test::ScratchFolder host{"host"};
    test::ScratchFolder underlays{"underlays"};
    std::string saved_host, saved_underlays;
};

using Messages = std::vector<std::string>;
const std::string k_done = "The underlay has been successfully created.";
const std::string k_inf_error = "An error occurred reading the INF file.";

TEST_F(UnderlayCreation, AsksForAnInfFileInTheClientsMapsFolder) {
    desktop.cancel_open_file();
    EXPECT_EQ(run(), Messages{});  // cancelled: nothing at all
    ASSERT_EQ(desktop.file_dialogs().size(), 1u);
    const auto& request = desktop.file_dialogs()[0].request;
    EXPECT_EQ(request.title, "Select a map INF file");
    EXPECT_EQ(request.filter, "INF files|*.INF");
    EXPECT_EQ(std::filesystem::path(request.initial_folder), maps_folder());
    EXPECT_EQ(request.flags & 4108u, 4108u);  // must exist, no read-only box, keep the current folder
}

TEST_F(UnderlayCreation, TownInfUsesTheBitmapBeforeTheJpeg) {
    write_map("Town.INF", k_corners);
    write_map("Town.bmp", bmp(0xFF123456u));
    write_map("Town.jpg", "not looked at");
    EXPECT_EQ(make(map_file("Town.INF")), Messages{k_done});
    EXPECT_EQ(engine::read_bitmap(underlay("Town.BMP")).pixels, (std::vector<std::uint32_t>{0xFF123456u}));
    EXPECT_EQ(test::read_bytes(underlay("Town.SAT")), k_sat_line);
}

TEST_F(UnderlayCreation, APngBecomesABitmapTheMapCanShow) {
    write_map("Coast.INF", k_corners);
    write_map("Coast.png", engine::encode_bitmap(engine::Bitmap{1, 1, {0xFF00FF00u}}));  // any picture by content
    EXPECT_EQ(make(map_file("Coast.INF")), Messages{k_done});
    EXPECT_EQ(engine::read_bitmap(underlay("Coast.BMP")).pixels, (std::vector<std::uint32_t>{0xFF00FF00u}));
}

// On Windows the system's imaging decodes it; the underlay is the same everywhere.
TEST_F(UnderlayCreation, AGifBecomesABitmapAndACutOneLeavesNoFile) {
    const std::string gif("GIF89a\x02\x00\x02\x00\x81\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00\xff\x00\x00\x00"
                          "\x21\xf9\x04\x01\x00\x00\x03\x00\x2c\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x03\x44\x34\x05\x00\x3b",
                          51);
    write_map("Lake.INF", k_corners);
    write_map("Lake.gif", gif);
    EXPECT_EQ(make(map_file("Lake.INF")), Messages{k_done});
    EXPECT_EQ(engine::read_bitmap(underlay("Lake.BMP")).pixels,
              (std::vector<std::uint32_t>{0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}));
    write_map("Pond.INF", k_corners);
    write_map("Pond.gif", gif.substr(0, 44));
    EXPECT_EQ(make(map_file("Pond.INF"), 0), Messages{});
    EXPECT_FALSE(test::file_exists(underlay("Pond.BMP")));
}

TEST_F(UnderlayCreation, MapServerInfFilesAreRefused) {
    const Messages refused{"You have selected a map server INF file. You cannot make an underlay from a map server."};
    write_map("!!TolmServer7.INF", k_corners);
    write_map("!!TolmServer7.BMP", bmp(0xFF000000u));
    EXPECT_EQ(make(map_file("!!TolmServer7.INF")), refused);
    std::filesystem::create_directories(maps_folder() / "!!Other");
    test::write_bytes((maps_folder() / "!!Other" / "Town.INF").string(), k_corners);
    EXPECT_EQ(make((maps_folder() / "!!Other" / "Town.INF").string()), refused);
    EXPECT_TRUE(std::filesystem::is_empty(underlays.path()));
}

TEST_F(UnderlayCreation, NoPictureBesideTheInf) {
    write_map("Lonely.INF", k_corners);
    EXPECT_EQ(make(map_file("Lonely.INF")), Messages{"No image file matches that INF file."});
    EXPECT_TRUE(std::filesystem::is_empty(underlays.path()));
}

TEST_F(UnderlayCreation, AnEmptyFirstCornerLineFailsAfterTheBitmapIsWritten) {
    write_map("Town.INF", ";comment\r\n\r\n51.15N, 0.15E\r\n");
    write_map("Town.BMP", bmp(0xFF000000u));
    EXPECT_EQ(make(map_file("Town.INF")), Messages{k_inf_error});
    EXPECT_TRUE(test::file_exists(underlay("Town.BMP")));
    EXPECT_FALSE(test::file_exists(underlay("Town.SAT")));
}

TEST_F(UnderlayCreation, OneCornerLineWritesNoExtentFile) {
    write_map("Town.INF", "51.30.5N, 0.10W\r\n");
    write_map("Town.BMP", bmp(0xFF000000u));
    EXPECT_EQ(make(map_file("Town.INF")), Messages{k_inf_error});
    EXPECT_FALSE(test::file_exists(underlay("Town.SAT")));
}

TEST_F(UnderlayCreation, ADamagedPictureEndsWithoutAWordOrAFile) {
    write_map("Town.INF", k_corners);
    write_map("Town.PNG", "\x89PNG\r\n\x1a\n garbage");
    EXPECT_EQ(make(map_file("Town.INF"), 0), Messages{});
    EXPECT_TRUE(std::filesystem::is_empty(underlays.path()));
}

TEST_F(UnderlayCreation, RunningTwiceReplacesBothFiles) {
    write_map("Town.INF", "51N, 1W\r\n50N, 0E\r\n");
    write_map("Town.BMP", bmp(0xFF000000u));
    EXPECT_EQ(make(map_file("Town.INF")), Messages{k_done});
    EXPECT_EQ(test::read_bytes(underlay("Town.SAT")), "-1, 51, 0, 50\r\n");
    write_map("Town.INF", k_corners);
    write_map("Town.BMP", bmp(0xFFFFFFFFu));
    EXPECT_EQ(make(map_file("Town.INF")), Messages{k_done});
    EXPECT_EQ(test::read_bytes(underlay("Town.SAT")), k_sat_line);
    EXPECT_EQ(engine::read_bitmap(underlay("Town.BMP")).pixels, (std::vector<std::uint32_t>{0xFFFFFFFFu}));
}

TEST_F(UnderlayCreation, AnUnwritableUnderlayFolderEndsWithoutAWord) {
    write_map("Town.INF", k_corners);
    write_map("Town.BMP", bmp(0xFF000000u));
    strUnderlaysFolder = underlays.file("missing") + "/";
    EXPECT_EQ(make(map_file("Town.INF"), 0), Messages{});
}

// A full disk, a read-only folder or a failing disk at any step of writing the bitmap or its extent
// file: the underlay made before stays whole, as the user had it, and nothing half-written is left.
TEST_F(UnderlayCreation, AWriteThatFailsAtAnyStepKeepsTheEarlierUnderlayWhole) {
    using platform::FileStep;
    write_map("Town.INF", "51N, 1W\r\n50N, 0E\r\n");
    write_map("Town.BMP", bmp(0xFF000000u));
    ASSERT_EQ(make(map_file("Town.INF")), Messages{k_done});
    const std::string old_extent = test::read_bytes(underlay("Town.SAT"));

    write_map("Town.INF", k_corners);
    write_map("Town.BMP", bmp(0xFFFFFFFFu));
    for (FileStep step : {FileStep::open, FileStep::write, FileStep::sync, FileStep::rename}) {
        for (std::errc error : {std::errc::no_space_on_device, std::errc::permission_denied, std::errc::io_error}) {
            // skip 0 fails the bitmap, skip 1 the extent file after the bitmap was written.
            for (int skip : {0, 1}) {
                const std::string bitmap_before = test::read_bytes(underlay("Town.BMP"));
                platform::detail::inject_file_fault_for_testing({step, error, skip});
                const Messages shown = make(map_file("Town.INF"), 0);
                platform::detail::clear_file_faults_for_testing();
                EXPECT_EQ(shown, Messages{}) << "a failed write ends without the success message";
                if (skip == 0) {
                    EXPECT_EQ(test::read_bytes(underlay("Town.BMP")), bitmap_before);
                }
                EXPECT_EQ(test::read_bytes(underlay("Town.SAT")), old_extent);
                std::size_t files = 0;
                for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(underlays.path())) ++files;
                EXPECT_EQ(files, 2u) << "no stray file beside the underlay";
            }
        }
    }
}

#ifndef _WIN32
TEST_F(UnderlayCreation, AMetafileNamesItsFormatWhereItCannotBeRead) {
    write_map("Plan.INF", k_corners);
    write_map("Plan.EMF", "an enhanced metafile");
    const auto messages = make(map_file("Plan.INF"));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("EMF picture"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(underlays.path()));
}
#endif

}  // namespace
}  // namespace tolm::server
