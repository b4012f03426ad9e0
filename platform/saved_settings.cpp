#include "platform/saved_settings.h"

#include "platform/registry.h"
#include "platform/runtime_error.h"

namespace tolm::platform {

namespace {

constexpr const char* k_settings_root = "Software\\VB and VBA Program Settings";

[[noreturn]] void invalid_call(const char* source) {
    throw RuntimeError(runtime_errors::invalid_procedure_call, source, runtime_error_text(runtime_errors::invalid_procedure_call));
}

}  // namespace

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

}  // namespace tolm::platform
