#include "server/MakeUnderlay.h"

#include "common/path_text.h"
#include "engine/picture_file.h"
#include "platform/metafile.h"
#include "platform/module_info.h"
#include "platform/text.h"
#include "server/Tolm.h"
#include "server/host_folders.h"
#include "server/sat_file.h"
#include "server/text_file.h"
#include "ui/forms/dialogs.h"

#include <filesystem>
#include <system_error>

namespace tolm::server {

namespace {

constexpr std::int32_t k_file_must_exist = 4096;

void tell(const std::string& text) {
    forms::message_box(text, platform::message_box_style::ok_only | platform::message_box_style::information);
}

// The path itself when it exists; otherwise an entry of its folder whose name matches it without
// regard to case; otherwise empty.
std::string existing_file_ignoring_case(const std::string& path) {
    if (FileExists(path)) return path;
    std::size_t cut = path.size();
    while (cut > 0 && !is_path_separator(path[cut - 1])) --cut;
    if (cut == 0 || cut == path.size()) return {};
    const std::string folder = path.substr(0, cut), name = path.substr(cut);
    std::error_code error;
    for (std::filesystem::directory_iterator it(file_system_path(folder), error), end; !error && it != end; it.increment(error)) {
        const std::u8string utf8 = it->path().filename().u8string();
        const std::string entry(utf8.begin(), utf8.end());
        if (equals_ignoring_case(entry, name)) return folder + entry;
    }
    return {};
}

// A map server's INF file (the server's own "!!TolmServer7.INF" and its kind) sits behind "\!!".
bool is_map_server_inf(const std::string& path) {
    for (std::size_t at = path.find("!!"); at != std::string::npos; at = path.find("!!", at + 1))
        if (at > 0 && is_path_separator(path[at - 1])) return true;
    return false;
}

}  // namespace

std::string FindUnderlayPicture(const std::string& inf_path) {
    if (inf_path.size() < 3) return {};
    const std::string stem = inf_path.substr(0, inf_path.size() - 3);
    for (const char* extension : {"BMP", "GIF", "JPG", "PNG", "EMF"}) {
        const std::string found = existing_file_ignoring_case(stem + extension);
        if (!found.empty()) return found;
    }
    return {};
}

void MakeUnderlayFromInf(const std::string& inf_path) {
    if (inf_path.empty()) return;
    if (is_map_server_inf(inf_path)) {
        tell("You have selected a map server INF file. You cannot make an underlay from a map server.");
        return;
    }
    const std::string picture_path = FindUnderlayPicture(inf_path);
    if (picture_path.empty()) {
        tell("No image file matches that INF file.");
        return;
    }
    const bool metafile = equals_ignoring_case(std::string_view(picture_path).substr(picture_path.size() - 3), "EMF");
    if (metafile && !platform::metafiles_supported()) {
        // Not a damaged picture but one this platform cannot draw: the user can do something about it.
        tell("The picture " + picture_path +
             " is an EMF picture (Windows enhanced metafile). EMF pictures can be made into underlays only on "
             "Windows; save the picture as BMP, PNG, JPG or GIF.");
        return;
    }
    const std::string stem = inf_path.substr(0, inf_path.size() - 3);
    std::size_t cut = stem.size();
    while (cut > 0 && !is_path_separator(stem[cut - 1])) --cut;
    const std::string base = stem.substr(cut);  // ends with the point

    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    try {
        engine::write_bitmap(strUnderlaysFolder + base + "BMP", engine::read_picture(picture_path));
    } catch (...) {
        // A picture that cannot be read or a folder that cannot be written ends it without a word.
        return;
    }
    if (!ReadInfCorners(inf_path, x1, y1, x2, y2)) {
        tell("An error occurred reading the INF file.");
        return;
    }
    try {
        write_text_lines_replacing(strUnderlaysFolder + base + "SAT", {FormatSatLine(x1, y1, x2, y2)});
    } catch (...) {
        return;
    }
    tell("The underlay has been successfully created.");
}

void MakeUnderlay(platform::WindowHandle owner) {
    const std::string inf = PickFile(static_cast<std::int32_t>(owner), "", "", join_path(strHostFolder, "Maps"),
                                     "INF files|*.INF", "Select a map INF file", k_file_must_exist);
    MakeUnderlayFromInf(inf);
}

}  // namespace tolm::server
