// The importer program run by CTest between these two tests (tests/tools/CMakeLists.txt): they are
// skipped when run on their own, without the folder the run shares.
#include "tools/tolm-import/atomic_file.h"

#include "osm_sample_support.h"

#include "engine/pack/pack_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tolm::importer {
namespace {

namespace fs = std::filesystem;

std::string command_folder() {
    const char* folder = std::getenv("TOLM_IMPORT_COMMAND_FOLDER");
    return folder ? folder : "";
}

TEST(ImportCommand, WriteSampleExtract) {
    const std::string folder = command_folder();
    if (folder.empty()) GTEST_SKIP() << "run by CTest before the importer";
    fs::remove_all(folder);
    fs::create_directories(folder);
    testing::write_sample_extract((fs::path(folder) / "sample.osm.pbf").string());
}

TEST(ImportCommand, CheckProduct) {
    const std::string folder = command_folder();
    if (folder.empty()) GTEST_SKIP() << "run by CTest after the importer";
    const fs::path product = fs::path(folder) / "Product";
    ASSERT_TRUE(fs::exists(product / "MAP.INI"));
    EXPECT_NE(read_whole_file((product / "ATTRIBUTION").string()).find("OpenStreetMap"), std::string::npos);
    engine::Pack pack((product / "Data2" / "streets.pack").string());
    const auto& view = pack.view();
    EXPECT_EQ(view.road_count(), 5u);
    EXPECT_EQ(view.area_count(), 3u);  // the pond, the lake with its island and the river
    EXPECT_EQ(view.place_count(), 1u);
    EXPECT_EQ(view.place(0).name, "Gresham");
    EXPECT_EQ(view.address_range_count(), 2u);
    // Nothing is left of the node index beside the product.
    for (const auto& entry : fs::directory_iterator(product))
        EXPECT_EQ(entry.path().filename().string().find("tolm-import-nodes"), std::string::npos) << entry.path();
}

}  // namespace
}  // namespace tolm::importer
