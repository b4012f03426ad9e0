#include "tools/tolm-import/overlay_import.h"

#include "engine/overlay.h"
#include "support/scratch.h"
#include "tools/tolm-import/import_error.h"

#include <gtest/gtest.h>

namespace tolm::importer {
namespace {

const char* const k_gpx = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="test" xmlns="http://www.topografix.com/GPX/1/1">
  <wpt lat="45.5152" lon="-122.6731"><name>Repeater</name></wpt>
  <trk><name>Morning drive</name><trkseg>
    <trkpt lat="45.50" lon="-122.70"><ele>30</ele></trkpt>
    <trkpt lat="45.53" lon="-122.65"><ele>35</ele></trkpt>
    <trkpt lat="45.52" lon="-122.60"><ele>40</ele></trkpt>
  </trkseg></trk>
</gpx>
)";

TEST(OverlayImport, AGpxTrackAndWaypointBecomeAnOverlayTheServerDraws) {
    test::ScratchFolder folder("gpx");
    test::write_bytes(folder.file("drive.gpx"), k_gpx);
    const auto result = import_overlay(folder.file("drive.gpx"), folder.file("Drive.OVR"));
    EXPECT_EQ(result.features, 2u);  // the track's points are not repeated as points
    const auto overlay = engine::Overlay::read(folder.file("Drive.OVR"));
    ASSERT_EQ(overlay.items().size(), 2u);
    const auto& point = overlay.items()[0];
    EXPECT_EQ(point.kind, engine::Overlay::Kind::point);
    EXPECT_EQ(point.label, "Repeater");
    EXPECT_NEAR(point.points[0].lon, -122.6731, 1e-9);
    const auto& track = overlay.items()[1];
    EXPECT_EQ(track.kind, engine::Overlay::Kind::line);
    EXPECT_EQ(track.label, "Morning drive");
    EXPECT_EQ(track.points.size(), 3u);
    EXPECT_EQ(track.look.stroke_rgb, 0xD00000u);
}

TEST(OverlayImport, UnreadableOrEmptySourcesAreRefused) {
    test::ScratchFolder folder("gpx");
    test::write_bytes(folder.file("empty.gpx"), R"(<?xml version="1.0"?><gpx version="1.1" creator="t" xmlns="http://www.topografix.com/GPX/1/1"></gpx>)");
    EXPECT_THROW(import_overlay(folder.file("empty.gpx"), folder.file("out.OVR")), ImportError);
    EXPECT_THROW(import_overlay(folder.file("missing.gpx"), folder.file("out.OVR")), ImportError);
    EXPECT_FALSE(test::file_exists(folder.file("out.OVR")));
}

}  // namespace
}  // namespace tolm::importer
