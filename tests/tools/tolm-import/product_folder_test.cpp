#include "tools/tolm-import/product_folder.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/import_error.h"

#include "import_test_support.h"

#include "engine/pack/pack_reader.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tolm::importer {
namespace {

namespace fs = std::filesystem;
using testing::RecordedProgress;
using testing::ScratchFolder;

ImportData small_data() {
    ImportData data;
    engine::AreaFeature texas;
    texas.kind = engine::AreaKind::state;
    texas.name = "Texas";
    texas.code = "48";
    texas.state_code = "TX";
    texas.rings = {{{-106.65, 25.84}, {-93.51, 25.84}, {-93.51, 36.5}, {-106.65, 36.5}, {-106.65, 25.84}}};
    data.features.areas.push_back(texas);
    engine::AreaFeature travis = texas;
    travis.kind = engine::AreaKind::county;
    travis.name = "Travis";
    travis.code = "48453";
    travis.rings = {{{-98.17, 30.02}, {-97.37, 30.02}, {-97.37, 30.63}, {-98.17, 30.63}, {-98.17, 30.02}}};
    data.features.areas.push_back(travis);
    engine::PlaceFeature austin;
    austin.name = "Austin";
    austin.state_code = "TX";
    austin.position = {-97.74, 30.27};
    data.features.places.push_back(austin);
    return data;
}

TEST(ProductFolder, MapIniNamesTheFourFoldersInTheApplicationInterfaceSection) {
    ScratchFolder folder;
    ProductFolder product({folder.file("Product/"), ""});
    std::string root = folder.file("Product");
    EXPECT_EQ(product.map_ini_text(), "[Application Interface]\r\nData1Path=" + root + "/Data1\r\nData2Path=" + root +
                                          "/Data2\r\nData3Path=" + root + "/Data3\r\nStatesPath=" + root + "/States\r\n");

    ProductFolder under_wine({folder.file("Product"), "Z:\\maps\\Product"});
    EXPECT_EQ(under_wine.map_ini_text(),
              "[Application Interface]\r\nData1Path=Z:\\maps\\Product\\Data1\r\nData2Path=Z:\\maps\\Product\\Data2\r\n"
              "Data3Path=Z:\\maps\\Product\\Data3\r\nStatesPath=Z:\\maps\\Product\\States\r\n");
}

TEST(ProductFolder, WritesPacksWhereTheirKindBelongsWithCreditsBesideThem) {
    ScratchFolder folder;
    ProductFolder product({folder.file("Product"), ""});
    RecordedProgress recorded;
    ImportData data = small_data();
    product.write(data, {SourceKind::census_atlas, SourceKind::geonames}, recorded.progress);
    product.write_region_files(data, recorded.progress);

    fs::path root = folder.file("Product");
    EXPECT_TRUE(fs::exists(root / "MAP.INI"));
    EXPECT_TRUE(fs::exists(root / "States" / "boundaries.pack"));
    EXPECT_TRUE(fs::exists(root / "Data1" / "gazetteer.pack"));
    EXPECT_TRUE(fs::is_directory(root / "Data2"));
    EXPECT_FALSE(fs::exists(root / "Data2" / "streets.pack"));
    EXPECT_TRUE(fs::is_directory(root / "Data3"));

    std::string credits = read_whole_file((root / "ATTRIBUTION").string());
    EXPECT_NE(credits.find("CC BY 4.0"), std::string::npos);
    EXPECT_NE(credits.find("Census"), std::string::npos);
    EXPECT_EQ(credits.find("OpenStreetMap"), std::string::npos);
    EXPECT_NE(credits.find("\r\n"), std::string::npos);

    EXPECT_EQ(read_whole_file((root / "statell.dat").string()),
              "TX\tTexas\t-106.650000\t-93.510000\t25.840000\t36.500000\r\n");
    EXPECT_EQ(read_whole_file((root / "countyll.dat").string()),
              "Travis\tTX\t-98.170000\t-97.370000\t30.020000\t30.630000\r\n");
    for (const auto& entry : fs::recursive_directory_iterator(root))
        EXPECT_EQ(entry.path().string().find(".writing"), std::string::npos) << entry.path();

    // The engine reads what was written.
    engine::Pack boundaries((root / "States" / "boundaries.pack").string());
    EXPECT_EQ(boundaries.view().area_count(), 2u);
    engine::Pack gazetteer((root / "Data1" / "gazetteer.pack").string());
    EXPECT_EQ(gazetteer.view().place_count(), 1u);
    EXPECT_EQ(gazetteer.view().area_count(), 0u);
}

TEST(ProductFolder, ALaterImportAddsStreetsAndKeepsWhatWasThere) {
    ScratchFolder folder;
    ProductFolder product({folder.file("Product"), ""});
    RecordedProgress recorded;
    product.write(small_data(), {SourceKind::census_atlas, SourceKind::geonames}, recorded.progress);

    ImportData streets;
    engine::RoadFeature road;
    road.name = "Congress Ave";
    road.points = {{-97.74, 30.26}, {-97.74, 30.28}};
    streets.features.roads.push_back(road);
    product.write(streets, {SourceKind::openstreetmap}, recorded.progress);

    fs::path root = folder.file("Product");
    EXPECT_TRUE(fs::exists(root / "States" / "boundaries.pack"));
    EXPECT_TRUE(fs::exists(root / "Data2" / "streets.pack"));
    std::string credits = read_whole_file((root / "ATTRIBUTION").string());
    EXPECT_NE(credits.find("OpenStreetMap contributors"), std::string::npos);
    EXPECT_NE(credits.find("ODbL"), std::string::npos);
    EXPECT_NE(credits.find("GeoNames"), std::string::npos);
}

TEST(ProductFolder, AProductFolderThatIsAFileIsAClearError) {
    ScratchFolder folder;
    auto blocker = folder.write("Product", "not a folder");
    ProductFolder product({blocker, ""});
    RecordedProgress recorded;
    EXPECT_THROW(product.write(small_data(), {SourceKind::census_atlas}, recorded.progress), ImportError);
}

TEST(AtomicFile, ReplacesTheOldFileOnlyWhenTheNewOneIsComplete) {
    ScratchFolder folder;
    auto path = folder.write("statell.dat", "old");
    write_file_atomically(path, "new");
    EXPECT_EQ(read_whole_file(path), "new");
    // A target inside a missing folder fails before touching anything.
    EXPECT_THROW(write_file_atomically(folder.file("missing/statell.dat"), "x"), ImportError);
    EXPECT_EQ(read_whole_file(path), "new");
    for (const auto& entry : fs::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().filename(), "statell.dat") << "nothing may be left beside the file";
}

}  // namespace
}  // namespace tolm::importer
