#include "platform/services.h"

#include "platform/module_info.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"

#include <optional>

namespace tolm::platform {

namespace {

// The App object belongs to the module (the server library has its own, the host program its own),
// so these are module-level values, not process-wide ones.
struct AppState {
    std::optional<std::string> title;
    std::string help_file;
    WindowHandle help_owner = 0;
};

AppState& app() {
    static AppState state;
    return state;
}

constexpr const char* k_settings_root = "Software\\VB and VBA Program Settings";

[[noreturn]] void invalid_call(const char* source) {
    throw RuntimeError(runtime_errors::invalid_procedure_call, source, runtime_error_text(runtime_errors::invalid_procedure_call));
}

}  // namespace

WindowHandle find_window_by_title(const std::string& title) { return window_system().find_window(title); }

std::int32_t screen_width_twips() { return window_system().screen_metrics().width_twips(); }
std::int32_t screen_height_twips() { return window_system().screen_metrics().height_twips(); }

std::string app_path() { return module_folder(); }
std::string app_exe_name() { return module_base_name(); }

std::string app_title() {
    const auto& title = app().title;
    return title ? *title : module_base_name();
}

void set_app_title(const std::string& title) { app().title = title; }

std::string app_help_file() { return app().help_file; }
void set_app_help_file(const std::string& path) { app().help_file = path; }

std::string saved_settings_key(const std::string& application, const std::string& section) {
    return std::string(k_settings_root) + "\\" + application + "\\" + section;
}

std::string get_setting(const std::string& application, const std::string& section, const std::string& key,
                        const std::string& default_value) {
    if (application.empty() || section.empty() || key.empty()) return default_value;
    std::string value;
    if (!registry::read_string(registry::HKEY_CURRENT_USER, saved_settings_key(application, section), key, value)) {
        return default_value;
    }
    return value;
}

void save_setting(const std::string& application, const std::string& section, const std::string& key,
                  const std::string& value) {
    if (application.empty() || section.empty() || key.empty()) invalid_call("SaveSetting");
    if (!registry::write_string(registry::HKEY_CURRENT_USER, saved_settings_key(application, section), key, value)) {
        invalid_call("SaveSetting");
    }
}

void delete_setting(const std::string& application, const std::string& section, const std::string& key) {
    if (application.empty() || section.empty()) invalid_call("DeleteSetting");
    const std::string path = saved_settings_key(application, section);
    registry::Key opened = 0;
    if (registry::open_key(registry::HKEY_CURRENT_USER, path, registry::KEY_ALL_ACCESS_CLASSIC, opened) !=
        registry::ERROR_SUCCESS) {
        invalid_call("DeleteSetting");
    }
    registry::Status status = registry::ERROR_SUCCESS;
    if (!key.empty()) status = registry::delete_value(opened, key);
    registry::close_key(opened);
    if (status != registry::ERROR_SUCCESS) invalid_call("DeleteSetting");
    if (key.empty() && !registry::delete_tree(registry::HKEY_CURRENT_USER, path)) invalid_call("DeleteSetting");
}

std::string help_file_in(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path.push_back(path_separator());
    return path + help_file_name;
}

void InitHelp(WindowHandle owner) {
    app().help_owner = owner;
    app().help_file = help_file_in(module_folder());
}

void ShowHelpTopic(std::int32_t topic) {
    window_system().win_help(app().help_owner, app().help_file, HELP_CONTEXT, static_cast<std::uintptr_t>(topic));
}

void CloseHelp() { window_system().win_help(app().help_owner, app().help_file, HELP_QUIT, 0); }

}  // namespace tolm::platform
