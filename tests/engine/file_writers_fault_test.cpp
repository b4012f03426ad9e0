// The engine's writers of a user's files (the map settings, an underlay bitmap, a data pack) under
// the file faults a real system gives at each step of a replacement: the call fails with a text
// that says why, the file the user had stays as it was, and nothing half-written is left beside it.
#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "engine/picture_file.h"
#include "engine/sample_features.h"
#include "engine/settings_file.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace tolm::engine {
namespace {

using platform::FileStep;

struct Writer {
    const char* what;
    const char* file_name;
    std::function<void(const std::string& path)> write_old;
    std::function<void(const std::string& path)> write_new;
};

std::size_t files_in(const std::filesystem::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

TEST(FileWritersUnderFaults, EveryStepsFailureKeepsTheOldFileAndSaysWhy) {
    const std::vector<Writer> writers{
        {"settings", "Cartix71.Cfg",
         [](const std::string& path) {
             SettingsFile settings;
             settings.set("Display", "WIDTH", "640");
             settings.save(path);
         },
         [](const std::string& path) {
             SettingsFile settings;
             settings.set("Display", "WIDTH", "1024");
             settings.save(path);
         }},
        {"bitmap", "Town.BMP", [](const std::string& path) { write_bitmap(path, Bitmap{1, 1, {0xFF000000u}}); },
         [](const std::string& path) { write_bitmap(path, Bitmap{2, 1, {0xFFFFFFFFu, 0xFFFFFFFFu}}); }},
        {"pack", "roads.tpk", [](const std::string& path) { write_pack(testing::sample_features(), path); },
         [](const std::string& path) {
             FeatureSet smaller;
             smaller.areas.push_back({AreaKind::state, "Only", "", "", {testing::square(0, 0, 1)}});
             write_pack(smaller, path);
         }},
    };
    for (const Writer& writer : writers) {
        test::ScratchFolder folder("writer-faults");
        const std::string path = folder.file(writer.file_name);
        writer.write_old(path);
        const std::string old_bytes = test::read_bytes(path);
        for (FileStep step : {FileStep::open, FileStep::write, FileStep::sync, FileStep::rename}) {
            for (std::errc error : {std::errc::no_space_on_device, std::errc::permission_denied, std::errc::io_error}) {
                platform::detail::inject_file_fault_for_testing({step, error, 0});
                std::string text;
                try {
                    writer.write_new(path);
                    ADD_FAILURE() << writer.what << ": the failed write was reported as done";
                } catch (const RuntimeError& e) {
                    text = e.description();
                }
                platform::detail::clear_file_faults_for_testing();
                EXPECT_NE(text.find(platform::file_error_text(std::make_error_code(error))), std::string::npos)
                    << writer.what << ": " << text;
                EXPECT_EQ(test::read_bytes(path), old_bytes) << writer.what;
                EXPECT_EQ(files_in(folder.path()), 1u) << writer.what << ": no stray file";
            }
        }
        // And without a fault the new contents arrive.
        writer.write_new(path);
        EXPECT_NE(test::read_bytes(path), old_bytes) << writer.what;
    }
    // The pack written before the faults is still a pack the engine opens.
    test::ScratchFolder folder("pack-after-faults");
    const std::string path = folder.file("roads.tpk");
    write_pack(testing::sample_features(), path);
    platform::detail::inject_file_fault_for_testing({FileStep::rename, std::errc::io_error, 0});
    EXPECT_THROW(write_pack(FeatureSet{}, path), RuntimeError);
    platform::detail::clear_file_faults_for_testing();
    EXPECT_EQ(Pack(path).view().area_count(), 8u);
}

}  // namespace
}  // namespace tolm::engine
