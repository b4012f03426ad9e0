#include "platform/app.h"

#include "platform/module_info.h"

#include <optional>

namespace tolm::platform {

namespace {

struct AppState {
    std::optional<std::string> title;
    std::string help_file;
};

AppState& app() {
    static AppState state;
    return state;
}

}  // namespace

std::string app_path() { return module_folder(); }
std::string app_exe_name() { return module_base_name(); }

std::string app_title() {
    const auto& title = app().title;
    return title ? *title : module_base_name();
}

void set_app_title(const std::string& title) { app().title = title; }

std::string app_help_file() { return app().help_file; }
void set_app_help_file(const std::string& path) { app().help_file = path; }

std::string help_file_in(const std::string& folder) {
    std::string path = folder;
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path.push_back(path_separator());
    return path + help_file_name;
}

}  // namespace tolm::platform
