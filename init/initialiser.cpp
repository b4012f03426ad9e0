#include "init/initialiser.h"

#include "common/cRegistry.h"
#include "common/clsIni.h"
#include "common/path_text.h"
#include "platform/atomic_file.h"
#include "platform/files.h"
#include "platform/runtime_error.h"
#include "platform/saved_settings.h"
#include "platform/window_system.h"
#include "ui/forms/dialogs.h"

#include <array>
#include <fstream>
#include <iterator>
#include <string_view>
#include <utility>

namespace tolm::init {

namespace {

constexpr const char* k_source = "InitTolmServer7";

// A REG_SZ default value through cRegistry, as text. Empty when the key or the value is missing; a
// value that has no text form (a byte array) raises, which the caller turns into "not found".
std::string read_classes_default(const std::string& key) {
    cRegistry registry;
    registry.ClassKey(cRegistry::HKEY_CLASSES_ROOT);
    registry.SectionKey(key);
    registry.ValueKey("");
    registry.ValueType(cRegistry::REG_SZ);
    return registry.Value().to_string();
}

// The whole file, or a run-time error when it can't be read (missing, locked, no rights).
std::string read_file_bytes(const std::string& path) {
    std::ifstream in(platform::path_from_utf8(path), std::ios::binary);
    if (!in) throw RuntimeError(runtime_errors::file_not_found, k_source, runtime_error_text(runtime_errors::file_not_found));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw RuntimeError(runtime_errors::path_file_access_error, k_source,
                           runtime_error_text(runtime_errors::path_file_access_error));
    return bytes;
}

// FileCopy, replacing the target. The copy is made beside the target and renamed over it, so a copy
// that fails half way (full disk, a file held open, a read-only folder) leaves the old target as it
// was; the failure is a run-time error.
void copy_file_replacing(const std::string& source, const std::string& target) {
    const std::string bytes = read_file_bytes(source);
    if (platform::replace_file_contents(platform::path_from_utf8(target), bytes))
        throw RuntimeError(runtime_errors::path_file_access_error, k_source,
                           runtime_error_text(runtime_errors::path_file_access_error));
}

void inform(const std::string& text) {
    forms::message_box(text, platform::message_box_style::ok_only | platform::message_box_style::information, k_title);
}

// Folder and name joined as the platform's paths are; the folder is taken as given, so a folder
// that already ends with a separator gets no second one.
std::string in_folder(const std::string& folder, std::string_view name) { return join_path(folder, name); }

}  // namespace

std::string map_entry_source(const std::string& program_folder) { return in_folder(program_folder, "!!TolmServer7.INF"); }

std::string map_entry_target(const std::string& host_folder) {
    return in_folder(in_folder(host_folder, "Maps"), "!!TolmServer7.INF");
}

std::string new_settings_file(const std::string& program_folder) { return in_folder(program_folder, "TolmServer7.INI"); }

std::string new_favourites_file(const std::string& program_folder) { return in_folder(program_folder, "TolmServer7.FAV"); }

std::string registered_server_folder(const std::string& prog_id) noexcept {
    try {
        const std::string class_id = read_classes_default(prog_id + "\\CLSID");
        if (class_id.empty()) return {};
        const std::string library = read_classes_default("CLSID\\" + class_id + "\\InprocServer32");
        if (library.empty()) return {};
        // The client's paths use "\"; a Linux registration names its library with "/".
        const auto separator = library.find_last_of("\\/");
        if (separator == std::string::npos) return {};
        return library.substr(0, separator + 1);
    } catch (...) {
        return {};
    }
}

bool migrate_previous_server(const std::string& program_folder) noexcept {
    try {
        const std::string new_settings = new_settings_file(program_folder);
        if (platform::file_exists(new_settings)) return false;
        const std::string old_folder = registered_server_folder(k_previous_prog_id);
        if (old_folder.empty()) return false;
        const std::string old_settings = old_folder + "tolmserver6.ini";
        if (!platform::file_exists(old_settings)) return false;

        clsIni old_ini;
        old_ini.strIniName(old_settings);
        clsIni new_ini;
        new_ini.strIniName(new_settings);
        // The shading keys default to the runtime's True, the background to its False.
        static constexpr std::array<std::pair<const char*, const char*>, 5> k_keys{{
            {"SHADE_MCD", "True"},
            {"SHADE_PLACE", "True"},
            {"SHADE_COUNTY", "True"},
            {"SHADE_STATE", "True"},
            {"WHITE_BACKGROUND", "False"},
        }};
        for (const auto& [key, fallback] : k_keys) {
            Variant value = old_ini.GetIniString("SETUP", key, fallback);
            new_ini.SaveIniString("SETUP", key, value);
        }

        const std::string old_favourites = old_folder + "TolmServer6.FAV";
        if (platform::file_exists(old_favourites)) copy_file_replacing(old_favourites, new_favourites_file(program_folder));
        return true;
    } catch (...) {
        return false;
    }
}

void run_initialiser(const std::string& program_folder) noexcept {
    try {
        const std::string host_folder = platform::get_setting("Orvensa", "Wendal32", "Program Folder", "");
        if (host_folder.empty()) {
            inform(k_never_run_text);
            return;
        }
        const std::string source = map_entry_source(program_folder);
        if (!platform::file_exists(source)) {
            inform(k_missing_entry_text);
            return;
        }
        copy_file_replacing(source, map_entry_target(host_folder));
        std::string text = k_done_text;
        if (migrate_previous_server(program_folder)) text += std::string("\r\n\r\n") + k_old_server_text;
        inform(text);
    } catch (...) {
        // Every failure ends the run silently; what was done so far stays done.
    }
}

}  // namespace tolm::init
