#include "tools/tolm-import/importer.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/import_error.h"
#include "tools/tolm-import/import_options.h"

#include "import_test_support.h"

#include "platform/atomic_file.h"
#include "tools/tolm-import/progress.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

namespace tolm::importer {
namespace {

namespace fs = std::filesystem;
using testing::ScratchFolder;

TEST(ImportOptions, SourcesRepeatAndMistakesAreNamed) {
    auto options = parse_import_options({"--out", "P", "--osm", "a.pbf", "--osm", "b.pbf", "--quiet", "--tiger-state", "mt"});
    EXPECT_EQ(options.output, "P");
    EXPECT_EQ(options.osm, (std::vector<std::string>{"a.pbf", "b.pbf"}));
    EXPECT_TRUE(options.quiet);
    EXPECT_EQ(options.tiger_state, "mt");
    EXPECT_EQ(parse_import_options({"--out", "P", "--world-land", "land.json"}).world_land,
              (std::vector<std::string>{"land.json"}));

    EXPECT_TRUE(parse_import_options({"--help"}).help);
    auto message = [](const std::vector<std::string>& arguments) {
        try {
            parse_import_options(arguments);
        } catch (const ImportError& error) {
            return std::string(error.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message({"--osm", "a.pbf"}), "no product folder given (--out FOLDER)");
    EXPECT_EQ(message({"--out", "P"}), "no source given: nothing to import");
    EXPECT_EQ(message({"--out", "P", "--shapes", "x"}), "unknown option --shapes");
    EXPECT_EQ(message({"--out", "P", "--boundaries", "b.json", "--lakes", "l.json"}),
              "--lakes are cut out of the world's land: give --world-land as well");
    EXPECT_EQ(message({"--out", "P", "--osm"}), "option --osm needs a value");
}

// A state with one county, as the Census TopoJSON has them, and one place in it.
std::string write_small_atlas(const ScratchFolder& folder) {
    return folder.write("counties.json", R"({"type":"Topology",
      "arcs":[[[-100,30],[-90,30],[-90,35],[-100,35],[-100,30]],[[-98,30],[-97,30],[-97,31],[-98,31],[-98,30]]],
      "objects":{
        "states":{"type":"GeometryCollection","geometries":[{"type":"Polygon","arcs":[[0]],"id":"48","properties":{"name":"Texas"}}]},
        "counties":{"type":"GeometryCollection","geometries":[{"type":"Polygon","arcs":[[1]],"id":"48453","properties":{"name":"Travis"}}]},
        "nation":{"type":"GeometryCollection","geometries":[{"type":"Polygon","arcs":[[0]]}]}}})");
}
std::string write_small_places(const ScratchFolder& folder) {
    return folder.write("cities.json", R"([{"name":"Austin","lat":"30.27","lng":"-97.74","country":"US","admin1":"TX","admin2":"453"}])");
}

// The whole tool, as the set-up script runs it, on sources small enough to write here.
TEST(TolmImportProgram, BuildsAProductFromSmallSourcesAndFailsCleanlyOnDamagedOnes) {
    ScratchFolder folder;
    auto atlas = write_small_atlas(folder);
    auto places = write_small_places(folder);
    auto markers = folder.write("markers.csv", "TX,20,EW,0,-106.6,100,-104.0\n");
    std::string product = folder.file("Product");
    std::string exe = TOLM_IMPORT_EXE;
    std::string log = folder.file("log.txt");

    std::string command = "'" + exe + "' --quiet --out '" + product + "' --boundaries '" + atlas + "' --places '" + places +
                          "' --mile-markers '" + markers + "' > '" + log + "' 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << read_whole_file(log);
    EXPECT_EQ(read_whole_file(log), "");  // quiet, and nothing to warn about
    for (const char* name : {"MAP.INI", "ATTRIBUTION", "statell.dat", "countyll.dat", "milemark.dat",
                             "States/boundaries.pack", "Data1/gazetteer.pack"})
        EXPECT_TRUE(fs::exists(fs::path(product) / name)) << name;
    EXPECT_EQ(read_whole_file(product + "/milemark.dat"), "TX20,EW,0,106.600000,100,104.000000\r\n");

    // A damaged source: a message naming it, exit code 2, no crash, and the product left as it was.
    auto damaged = folder.write("damaged.json", "{\"type\":\"Topology\",\"arcs\":[[[1,");
    std::string before = read_whole_file(product + "/statell.dat");
    command = "'" + exe + "' --out '" + product + "' --boundaries '" + damaged + "' > '" + log + "' 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_NE(read_whole_file(log).find("damaged.json"), std::string::npos);
    EXPECT_EQ(read_whole_file(product + "/statell.dat"), before);
}

// Every file an import replaces goes through the atomic replacement; a disk that fails at any of
// them (full, read-only, failing) ends the import with an error that says so, and each file of the
// product is whole: as the user had it, or as the import made it. Nothing half-written is left.
TEST(TolmImportProgram, AWriteThatFailsAnywhereLeavesEveryFileOfTheProductWhole) {
    ScratchFolder folder;
    auto atlas = write_small_atlas(folder);
    auto places = write_small_places(folder);
    auto more_places = folder.write("more.json", R"([{"name":"Round Rock","lat":"30.51","lng":"-97.68","country":"US","admin1":"TX","admin2":"453"}])");
    auto markers = folder.write("markers.csv", "TX,20,EW,0,-106.6,100,-104.0\n");
    auto new_markers = folder.write("new-markers.csv", "TX,35,NS,0,29.5,250,32.5\n");

    ImportOptions first;
    first.output = folder.file("Product");
    first.boundaries = {atlas};
    first.places = {places};
    first.mile_markers = markers;
    first.quiet = true;
    std::ostringstream quiet;
    Progress progress(quiet, true);
    run_import(first, progress);

    auto snapshot = [](const std::string& root) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = read_whole_file(entry.path().string());
        return files;
    };
    ImportOptions second = first;
    second.boundaries.clear();
    second.places = {more_places};
    second.mile_markers = new_markers;
    // The product as the user had it and as the second import makes it, both in the folder each
    // attempt uses (the map entry names its own folder).
    const std::string product = folder.file("Try");
    auto fresh_copy = [&] {
        fs::remove_all(product);
        fs::copy(first.output, product, fs::copy_options::recursive);
    };
    fresh_copy();
    const auto old_files = snapshot(product);
    second.output = product;
    run_import(second, progress);
    const auto new_files = snapshot(product);
    ASSERT_NE(old_files, new_files);
    EXPECT_NE(new_files.at("milemark.dat").find("TX20,EW"), std::string::npos) << "the earlier markers stay";
    EXPECT_NE(new_files.at("milemark.dat").find("TX35,NS"), std::string::npos);

    for (int skip = 0; skip < 12; ++skip) {
        for (std::errc error : {std::errc::no_space_on_device, std::errc::io_error}) {
            fresh_copy();
            platform::detail::inject_file_fault_for_testing({platform::FileStep::write, error, skip});
            std::string message;
            try {
                run_import(second, progress);
            } catch (const std::exception& e) {
                message = e.what();
            }
            platform::detail::clear_file_faults_for_testing();
            const auto files = snapshot(product);
            EXPECT_EQ(files.size(), old_files.size()) << "skip " << skip << ": no stray file";
            for (const auto& [name, bytes] : files) {
                const auto old_file = old_files.find(name);
                const auto new_file = new_files.find(name);
                const bool whole = (old_file != old_files.end() && old_file->second == bytes) ||
                                   (new_file != new_files.end() && new_file->second == bytes);
                EXPECT_TRUE(whole) << "skip " << skip << ": " << name << " is neither the old nor the new file";
            }
            if (message.empty()) {
                // More writes skipped than the import makes: it ran through.
                EXPECT_EQ(files, new_files);
                break;
            }
            EXPECT_NE(message.find(platform::file_error_text(std::make_error_code(error))), std::string::npos)
                << message;
        }
    }
}

}  // namespace
}  // namespace tolm::importer
