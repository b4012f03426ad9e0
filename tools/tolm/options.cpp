#include "tools/tolm/options.h"

#include "platform/text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

namespace tolm::cli {

namespace {

double number(const std::string& text, const std::string& option) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    // strtod reads "nan" and "inf" too; no option takes them.
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
        throw std::invalid_argument(option + ": \"" + text + "\" is not a number");
    return value;
}

std::vector<double> numbers(const std::string& text, std::size_t count, const std::string& option) {
    std::vector<double> values;
    std::size_t start = 0;
    for (;;) {
        const auto comma = text.find(',', start);
        values.push_back(number(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start), option));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (values.size() != count)
        throw std::invalid_argument(option + " needs " + std::to_string(count) + " numbers separated by commas");
    return values;
}

int whole_number(const std::string& text, const std::string& option) {
    const double value = number(text, option);
    // The range first: converting a double outside an integer's range is undefined.
    if (value < 1 || value > 32767 || value != std::floor(value))
        throw std::invalid_argument(option + ": \"" + text + "\" is not a row number from 1");
    return static_cast<int>(value);
}

Station station(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == 0 || comma == std::string::npos)
        throw std::invalid_argument("--station needs CALLSIGN,LON,LAT");
    const auto position = numbers(text.substr(comma + 1), 2, "--station");
    return Station{text.substr(0, comma), position[0], position[1]};
}

DialogAnswer dialog_answer(const std::string& text) {
    if (text == "cancel-folder") return {DialogAnswer::Kind::cancel_folder, {}};
    if (text == "cancel-file") return {DialogAnswer::Kind::cancel_file, {}};
    if (text.rfind("folder=", 0) == 0 && text.size() > 7) return {DialogAnswer::Kind::folder, text.substr(7)};
    if (text.rfind("file=", 0) == 0 && text.size() > 5) return {DialogAnswer::Kind::file, text.substr(5)};
    throw std::invalid_argument("--answer needs folder=PATH, file=PATH, cancel-folder or cancel-file");
}

}  // namespace

Step after_search_step(const std::string& text) {
    if (text == "zoom-in") return {StepKind::zoom_in, 0};
    if (text == "zoom-out") return {StepKind::zoom_out, 0};
    if (text == "zoom-all") return {StepKind::zoom_all, 0};
    if (text == "resize") return {StepKind::resize, 0};
    if (text.rfind("pan:", 0) == 0) {
        const double code = number(text.substr(4), "--then pan");
        if (code < -32768 || code > 32767 || code != std::floor(code)) throw std::invalid_argument("--then pan: the code must fit an Integer");
        return {StepKind::pan, static_cast<int>(code)};
    }
    throw std::invalid_argument("--then takes zoom-in, zoom-out, zoom-all, resize or pan:CODE, not \"" + text + "\"");
}

int search_kind_index(std::string_view name) {
    for (int i = 0; i < static_cast<int>(std::size(k_search_kind_names)); ++i)
        if (equals_ignoring_case(name, k_search_kind_names[i])) return i;
    return -1;
}

std::string usage() {
    return "usage: tolm [--corners W,N,E,S | --centre LON,LAT] [--size WxH] [--zoom-in] [--zoom-out]\n"
           "            [--zoom-all] [--pan CODE] [--resize] --out PICTURE.png\n"
           "            [--library PATH] [--work FOLDER] [--product FOLDER] [--no-program-folder]\n"
           "            [--set PROPERTY=VALUE]...\n"
           "            [--before-initialize] [--map-aids scale,grid,locator|none]\n"
           "       tolm [drawing options] [--list-layers] [--overlay NAME] [--underlay NAME]\n"
           "            [--zoom-overlay] [--zoom-underlay]\n"
           "       tolm make-underlay FILE.INF [--library PATH] [--work FOLDER]\n"
           "       tolm --version | --help\n"
           "       tolm [drawing options] --search KIND TEXT [--go-to ROW] [--station CALL,LON,LAT]...\n"
           "            [--then zoom-in|zoom-out|zoom-all|resize|pan:CODE]... [--out PICTURE.png]\n"
           "       tolm panel [\"MENU/ITEM\"]... [--answer folder=PATH|file=PATH|cancel-folder|cancel-file]...\n"
           "            [drawing options] [--out PICTURE.png]\n"
           "Creates the map server by its ProgID, plays the client's part and writes the map to a PNG file.\n"
           "Prints the extent the server reported and the map entry file it wrote.\n"
           "--search opens the server's search dialog, picks KIND (address, phone, callsign, state, county,\n"
           "milemarker), types TEXT, presses Find and prints the rows in the dialog's order; --go-to shows\n"
           "row ROW (from 1) on the map, marked as the server marks a found item, before the picture is\n"
           "written; each --then zooms or pans after that, to see the mark in its surroundings.\n"
           "--overlay and --underlay check NAME in the server's chooser (files of its Tolm Overlays and\n"
           "Tolm Underlays folders) and hand the choice to the server; --zoom-overlay and --zoom-underlay\n"
           "are the special options Zoom Overlay and Zoom Underlay. make-underlay makes an underlay\n"
           "(NAME.BMP and NAME.SAT in Tolm Underlays) from a client map INF file and its picture.\n"
           "panel opens the server's control panel, clicks the items named by their captions (for example\n"
           "\"Options/Shade Counties\"), prints its menu with the check marks and closes it with Exit; the\n"
           "folder and file dialogs it opens take the --answer options in order.\n"
           "--map-aids shows the map engine's scale bar, latitude/longitude grid and Maidenhead locator\n"
           "grid (those named, the others off; none: all off) from this run on: the engine's settings\n"
           "file beside the server library keeps the choice.\n";
}

Options parse_options(const std::vector<std::string>& args) {
    Options options;
    std::size_t first = 0;
    if (!args.empty() && args[0] == "panel") {
        options.panel = true;
        first = 1;
    }
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& name = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw std::invalid_argument(name + " needs a value");
            return args[++i];
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "make-underlay" && i == 0) {
            options.make_underlay = value();
        } else if (name == "--list-layers") {
            options.list_layers = true;
        } else if (name == "--overlay") {
            options.overlay = value();
        } else if (name == "--underlay") {
            options.underlay = value();
        } else if (name == "--zoom-overlay") {
            options.steps.push_back({StepKind::zoom_overlay, 0});
        } else if (name == "--zoom-underlay") {
            options.steps.push_back({StepKind::zoom_underlay, 0});
        } else if (name == "--version") {
            options.version = true;
        } else if (name == "--corners") {
            const auto v = numbers(value(), 4, name);
            options.corners = Corners{v[0], v[1], v[2], v[3]};
        } else if (name == "--centre" || name == "--center") {
            const auto v = numbers(value(), 2, name);
            if (std::abs(v[0]) > 180 || std::abs(v[1]) > 90)
                throw std::invalid_argument(name + ": longitude -180 to 180 and latitude -90 to 90");
            options.centre = Centre{v[0], v[1]};
        } else if (name == "--size") {
            const std::string& text = value();
            const auto x = text.find('x');
            if (x == std::string::npos) throw std::invalid_argument("--size needs WIDTHxHEIGHT");
            const double width = number(text.substr(0, x), name), height = number(text.substr(x + 1), name);
            // Checked as doubles, before any conversion to int.
            if (width < 1 || height < 1 || width > 32767 || height > 32767 || width != std::floor(width) ||
                height != std::floor(height))
                throw std::invalid_argument("--size: each side must be a whole number of 1 to 32767 pixels");
            options.width = static_cast<int>(width);
            options.height = static_cast<int>(height);
        } else if (name == "--zoom-in") {
            options.steps.push_back({StepKind::zoom_in, 0});
        } else if (name == "--zoom-out") {
            options.steps.push_back({StepKind::zoom_out, 0});
        } else if (name == "--zoom-all") {
            options.steps.push_back({StepKind::zoom_all, 0});
        } else if (name == "--resize") {
            options.steps.push_back({StepKind::resize, 0});
        } else if (name == "--pan") {
            const double code = number(value(), name);
            if (code < -32768 || code > 32767 || code != std::floor(code)) throw std::invalid_argument("--pan: the code must fit an Integer");
            options.steps.push_back({StepKind::pan, static_cast<int>(code)});
        } else if (name == "--out") {
            options.png = value();
        } else if (name == "--library") {
            options.library = value();
        } else if (name == "--work") {
            options.work_folder = value();
        } else if (name == "--product") {
            options.product_folder = value();
        } else if (name == "--no-program-folder") {
            options.program_folder = false;
        } else if (name == "--before-initialize") {
            options.before_initialize = true;
        } else if (name == "--search") {
            const std::string kind = value();
            const int index = search_kind_index(kind);
            if (index < 0)
                throw std::invalid_argument("--search: unknown kind \"" + kind +
                                            "\" (address, phone, callsign, state, county or milemarker)");
            SearchRequest request;
            request.kind = index;
            request.text = value();
            if (options.search) request.go_to = options.search->go_to;
            options.search = request;
        } else if (name == "--go-to") {
            const int row = whole_number(value(), name);
            if (!options.search) options.search = SearchRequest{-1, {}, {}};
            options.search->go_to = row;
        } else if (name == "--then") {
            options.after_search.push_back(after_search_step(value()));
        } else if (name == "--set") {
            const std::string& text = value();
            const auto equals = text.find('=');
            if (equals == std::string::npos || equals == 0)
                throw std::invalid_argument("--set needs NAME=VALUE, e.g. blnOnewayShow=True");
            options.settings.push_back({text.substr(0, equals), text.substr(equals + 1)});
        } else if (name == "--station") {
            options.stations.push_back(station(value()));
        } else if (name == "--map-aids") {
            const std::string list = value();
            std::vector<std::string> aids;
            for (std::size_t start = 0; start <= list.size();) {
                std::size_t comma = list.find(',', start);
                if (comma == std::string::npos) comma = list.size();
                const std::string aid = list.substr(start, comma - start);
                start = comma + 1;
                if (aid == "none" && list == "none") break;
                if (std::find(std::begin(k_map_aid_names), std::end(k_map_aid_names), aid) == std::end(k_map_aid_names))
                    throw std::invalid_argument("--map-aids takes scale, grid and locator, separated by commas, or none");
                aids.push_back(aid);
            }
            options.map_aids = aids;
        } else if (name == "--answer") {
            options.answers.push_back(dialog_answer(value()));
        } else if (options.panel && name.rfind("--", 0) != 0) {
            options.panel_clicks.push_back(name);
        } else {
            throw std::invalid_argument("unknown option " + name);
        }
    }
    if (options.help || options.version || options.make_underlay) return options;
    if (options.corners && options.centre) throw std::invalid_argument("give --corners or --centre, not both");
    if (options.search && options.search->kind < 0) throw std::invalid_argument("--go-to needs --search KIND TEXT");
    if (!options.after_search.empty() && !(options.search && options.search->go_to))
        throw std::invalid_argument("--then goes after a search's Go To: give --search KIND TEXT --go-to ROW");
    // A search alone only lists rows; a picture is written when one is asked for.
    if (!options.panel && !options.answers.empty()) throw std::invalid_argument("--answer goes with panel");
    if (options.panel && options.before_initialize)
        throw std::invalid_argument("panel needs Initialize: leave out --before-initialize");
    if (options.png.empty() && !options.search && !options.panel && !options.list_layers)
        throw std::invalid_argument("no picture file given (--out PICTURE.png)");
    return options;
}

}  // namespace tolm::cli
