// The GeoJSON overlay reader works event by event: members may come in any order or twice, faults
// are found before the file has been read to its end, and a file comes in pieces. Each of those
// must give what a reader of the whole document would.
#include "engine/overlay.h"
#include "support/errors.h"

#include "platform/runtime_error.h"
#include "support/scratch.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace tolm::engine {
namespace {

using test::error_of;

std::string refused(const std::string& text) { return error_of([&] { Overlay::parse(text, "o.OVR"); }); }

// Everything an item holds, in one text to compare.
std::string items_of(const Overlay& overlay) {
    std::ostringstream out;
    for (const auto& item : overlay.items()) {
        out << static_cast<int>(item.kind) << ' ' << item.label << ' ' << item.look.stroke_rgb << ' ' << item.look.fill_opacity << " starts";
        for (auto s : item.starts) out << ' ' << s;
        out << " points";
        for (const auto& p : item.points) out << ' ' << p.lon << ',' << p.lat;
        out << '\n';
    }
    return out.str();
}

TEST(GeoJsonReader, MembersInAnyOrderReadAlike) {
    const std::string usual = R"({"type":"FeatureCollection","features":[
        {"type":"Feature","properties":{"title":"Lake","fill":"#0000ff","fill-opacity":0.3},
         "geometry":{"type":"Polygon","coordinates":[[[0,0],[2,0],[2,2],[0,0]],[[0.5,0.5],[1,0.5],[1,1],[0.5,0.5]]]}},
        {"type":"Feature","properties":null,"geometry":{"type":"MultiPoint","coordinates":[[1,1],[2,2],[3,3]]}}]})";
    const std::string backwards = R"({"features":[
        {"geometry":{"coordinates":[[[0,0],[2,0],[2,2],[0,0]],[[0.5,0.5],[1,0.5],[1,1],[0.5,0.5]]],"type":"Polygon"},
         "properties":{"fill-opacity":0.3,"fill":"#0000ff","title":"Lake"},"type":"Feature"},
        {"geometry":{"coordinates":[[1,1],[2,2],[3,3]],"type":"MultiPoint"},"type":"Feature","properties":null}],
        "type":"FeatureCollection"})";
    const std::string expected = items_of(Overlay::parse(usual, "u"));
    EXPECT_EQ(items_of(Overlay::parse(backwards, "b")), expected);
    EXPECT_NE(expected.find("starts 0 4 points"), std::string::npos) << expected;
    EXPECT_NE(expected.find("starts 0 1 2 points"), std::string::npos) << expected;
}

TEST(GeoJsonReader, ARepeatedMemberCountsWithItsLastValue) {
    // The earlier coordinates would be a fault for a LineString; the later ones are what counts.
    const Overlay line = Overlay::parse(R"({"type":"Point","coordinates":[[1]],"type":"LineString","coordinates":[[1,2],[3,4]]})", "r");
    ASSERT_EQ(line.items().size(), 1u);
    EXPECT_EQ(line.items()[0].kind, Overlay::Kind::line);
    EXPECT_EQ(line.items()[0].points.size(), 2u);
    EXPECT_TRUE(Overlay::parse(R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":{"type":"Point","coordinates":[1,2]}}],"features":[]})",
                               "r")
                    .empty());
    EXPECT_NE(refused(R"({"type":"Point","coordinates":[1,2],"coordinates":"here"})"), "no error");
}

TEST(GeoJsonReader, TheFirstFaultToldIsTheOneAWholeDocumentReaderFinds) {
    // Invalid JSON anywhere beats a fault of meaning before it.
    EXPECT_NE(refused(R"({"type":"Circle","coordinates":[1,2]} trailing)").find("not valid JSON"), std::string::npos);
    // Two faulty properties: told by the members' names in order, not by where they stand.
    EXPECT_NE(refused(R"({"type":"Feature","properties":{"stroke":1,"fill":2},"geometry":null})").find("\"fill\""), std::string::npos);
    // The type decides what coordinates mean, even when it comes after them.
    EXPECT_NE(refused(R"({"coordinates":[[1,2]],"type":"LineString"})").find("too few"), std::string::npos);
    EXPECT_NE(refused(R"({"coordinates":[[1,2]],"type":"MultiLineString"})").find("a position is not"), std::string::npos);
    // A line too short is told before a bad entry in it; a long enough one tells the entry.
    EXPECT_NE(refused(R"({"type":"LineString","coordinates":["x"]})").find("too few"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"LineString","coordinates":["x",[1,2]]})").find("a position is not"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"Polygon","coordinates":[[[0,0],[1,0],[500,0]]]})").find("too few"), std::string::npos);
    EXPECT_NE(refused(R"({"type":"Polygon","coordinates":[[[0,0],[1,0],[500,0],[0,0]]]})").find("outside"), std::string::npos);
    // After a faulty feature the rest is only checked as JSON; the fault names its feature.
    const std::string second = refused(R"({"type":"FeatureCollection","features":[{"type":"Feature","geometry":null},7,{"type":"Bad"}]})");
    EXPECT_NE(second.find("is not a Feature (feature 2)"), std::string::npos) << second;
}

TEST(GeoJsonReader, AFaultOfMeaningIsToldBeforeTooManyPositions) {
    std::string positions;
    for (std::size_t i = 0; i <= Overlay::k_max_overlay_positions; ++i) positions += "[1,2],";
    positions.pop_back();
    const std::string line = R"({"type":"Feature","geometry":{"type":"LineString","coordinates":[)" + positions + "]}}";
    EXPECT_NE(refused(line).find("1,000,000 positions"), std::string::npos);
    const std::string then_bad = R"({"type":"FeatureCollection","features":[)" + line + R"(,{"type":"Feature","properties":{"title":1},"geometry":null}]})";
    EXPECT_NE(refused(then_bad).find("\"title\" is not a text (feature 2)"), std::string::npos);
}

TEST(GeoJsonReader, AFileReadInPiecesGivesWhatItsTextGives) {
    test::ScratchFolder folder("geojson");
    // Well over one piece of the file reader, after a byte order mark and blank lines.
    std::string text = R"({"type":"FeatureCollection","features":[)";
    for (int i = 0; i < 3000; ++i)
        text += std::string(i ? "," : "") + R"({"type":"Feature","properties":{"title":"n)" + std::to_string(i) +
                R"("},"geometry":{"type":"LineString","coordinates":[[)" + std::to_string(i % 180) + ".25,1],[2," + std::to_string(i % 90) + "]]}}";
    text += "]}";
    const std::string file = "\xEF\xBB\xBF\r\n\n   " + text;
    test::write_bytes(folder.file("big.OVR"), file);
    const Overlay read = Overlay::read(folder.file("big.OVR"));
    EXPECT_EQ(read.items().size(), 3000u);
    EXPECT_EQ(items_of(read), items_of(Overlay::parse(file, "big")));
    // Cut short in the middle: the same JSON error as the text gives, naming the file.
    const std::string cut = file.substr(0, file.size() / 2);
    test::write_bytes(folder.file("cut.OVR"), cut);
    const std::string from_file = error_of([&] { Overlay::read(folder.file("cut.OVR")); });
    const std::string from_text = refused(cut);
    ASSERT_NE(from_file.find("not valid JSON"), std::string::npos) << from_file;
    EXPECT_EQ(from_file.substr(from_file.find(": ")), from_text.substr(from_text.find(": ")));
    // Blanks alone, or the plain text form, are not GeoJSON and read as before.
    test::write_bytes(folder.file("blank.OVR"), "\xEF\xBB\xBF   \n");
    EXPECT_TRUE(Overlay::read(folder.file("blank.OVR")).empty());
    test::write_bytes(folder.file("text.OVR"), "  POINT=-100,40,Camp\n");
    EXPECT_EQ(Overlay::read(folder.file("text.OVR")).items().size(), 1u);
}

}  // namespace
}  // namespace tolm::engine
