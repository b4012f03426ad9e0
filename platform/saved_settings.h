#pragma once

#include <string>

// The runtime's per-user saved settings (GetSetting, SaveSetting, DeleteSetting), kept in the registry.
namespace tolm::platform {

// Where GetSetting and SaveSetting keep a section, under HKEY_CURRENT_USER.
std::string saved_settings_key(const std::string& application, const std::string& section);

// GetSetting: the value of key in HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// or default_value when it is missing or unreadable.
std::string get_setting(const std::string& application, const std::string& section, const std::string& key,
                        const std::string& default_value = {});

// SaveSetting: writes the value as REG_SZ, creating the keys. Raises run-time error 5 when an argument
// is empty or the store refuses, as the runtime does.
void save_setting(const std::string& application, const std::string& section, const std::string& key,
                  const std::string& value);

// DeleteSetting of one key (key given) or of a whole section (key empty). Raises error 5 when nothing
// of that name exists.
void delete_setting(const std::string& application, const std::string& section, const std::string& key = {});

}  // namespace tolm::platform
