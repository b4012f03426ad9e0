// The state, county and mile-marker files beside the server library. The input is split at NULs:
// the three files, then the text the user searches for (the first line of the state file when none
// is given). Every search reads only lines it can use and never fails.
#include "fuzz_support.h"
#include "server/search/found_items.h"
#include "server/search/region_files.h"

#include <array>
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace s = tolm::server;
    std::array<std::string_view, 4> parts{};
    std::string_view rest = tolm::fuzz::bytes_of(data, size);
    for (auto& part : parts) {
        const auto [head, tail] = tolm::fuzz::split_at_nul(rest);
        part = head;
        rest = tail;
    }
    tolm::fuzz::write_input(s::k_state_file, parts[0]);
    tolm::fuzz::write_input(s::k_county_file, parts[1]);
    tolm::fuzz::write_input(s::k_mile_marker_file, parts[2]);
    const std::string folder = tolm::fuzz::scratch_folder().string();
    std::string_view text = parts[3];
    if (text.empty()) text = parts[0].substr(0, std::min<std::size_t>(parts[0].find_first_of(",\r\n"), 40));

    std::size_t rows = 0;
    const s::AddToListSink add = [&](const s::FindResult&) { ++rows; };
    // The file's ANSI text becomes UTF-8, at most three bytes for each of its characters.
    for (const auto& region : s::FindStateRecords(folder, text))
        tolm::fuzz::check(region.strCode.size() <= 3 * parts[0].size(), "a state comes from the file");
    s::FindCountyRecords(folder, text);
    s::FindState(folder, text, add);
    s::FindCounty(folder, text, add);
    s::FindMileMarker(folder, text, add);
    if (const auto marker = s::LookUpMileMarker(folder, text.substr(0, 2), text, text)) {
        s::typRegion region{"", "", -100, -90, 45, 40};
        s::CentreRegionOnLine(region, marker->coordinate, marker->is_latitude);
    }
    return 0;
}
