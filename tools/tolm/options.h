#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What one run of the command-line host does, from its arguments.
namespace tolm::cli {

enum class StepKind { zoom_in, zoom_out, zoom_all, pan, resize, zoom_underlay, zoom_overlay };

struct Step {
    StepKind kind = StepKind::zoom_in;
    int pan_code = 0;
};

struct Corners {
    double west = 0;
    double north = 0;
    double east = 0;
    double south = 0;
};

struct Centre {
    double lon = 0;
    double lat = 0;
};

// The search dialog's kinds, in the order of its kind buttons (optType 0 to 5).
inline constexpr const char* k_search_kind_names[] = {"address", "phone", "callsign", "state", "county", "milemarker"};

// The kind button's index for a kind's name (any case), or -1.
int search_kind_index(std::string_view name);

// A search run through the server's dialog: the kind button, the text typed, and the row (from 1)
// to go to afterwards.
struct SearchRequest {
    int kind = 0;
    std::string text;
    std::optional<int> go_to;
};

// A station the client knows, which its events object names when the server asks for a callsign.
struct Station {
    std::string callsign;
    double lon = 0;
    double lat = 0;
};

// A published property to put by name after Initialize, as a late-binding client sets options.
struct PropertySetting {
    std::string name;
    std::string value;
};

// An answer to a folder or file dialog the server opens, in the order the dialogs come.
struct DialogAnswer {
    enum class Kind { folder, cancel_folder, file, cancel_file };
    Kind kind = Kind::folder;
    std::string path;
};

struct Options {
    std::string library;         // the server library to register and load
    std::string work_folder;     // registry store and the client's folder live here
    std::string product_folder;  // answered to the data-path dialogs on a first run
    std::optional<Corners> corners;
    std::optional<Centre> centre;
    std::vector<Step> steps;     // zooms and pans after the first drawing, in order
    // --then: zooms and pans after the search's Go To, to see the found item's mark around it.
    std::vector<Step> after_search;
    int width = 1024;
    int height = 768;
    std::string png;             // where the picture goes
    bool program_folder = true;  // give the client its "Program Folder" setting
    bool before_initialize = false;  // draw before Initialize (the placeholder picture)
    std::optional<SearchRequest> search;
    std::vector<Station> stations;
    std::vector<PropertySetting> settings;
    // `tolm panel [CLICK...]`: the control panel, its items clicked by their captions in order.
    bool panel = false;
    std::vector<std::string> panel_clicks;
    std::vector<DialogAnswer> answers;
    // Overlays and underlays: listed, chosen through the server's chooser by file name (any case).
    bool list_layers = false;
    std::optional<std::string> overlay;
    std::optional<std::string> underlay;
    // "tolm make-underlay FILE.INF": the control panel's Make Underlay with FILE.INF chosen.
    std::optional<std::string> make_underlay;
    // --map-aids: the engine's map aids to show from this run on (scale, grid, locator; none).
    std::optional<std::vector<std::string>> map_aids;
    bool help = false;
    bool version = false;
};

// The names --map-aids takes, and the engine settings file's key of each.
inline constexpr const char* k_map_aid_names[] = {"scale", "grid", "locator"};
inline constexpr const char* k_map_aid_keys[] = {"SCALE_BAR", "LATLON_GRID", "LOCATOR_GRID"};

// A step of --then: zoom-in, zoom-out, zoom-all, resize or pan:CODE; throws std::invalid_argument.
Step after_search_step(const std::string& text);

// Parses the arguments; throws std::invalid_argument with a sentence on a bad one.
Options parse_options(const std::vector<std::string>& args);
std::string usage();

}  // namespace tolm::cli
