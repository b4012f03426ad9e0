#include "platform/profile.h"

#include <windows.h>

// The real private-profile functions; the Linux build keeps their behaviour in profile_file.cpp.
namespace tolm::platform::profile {

namespace {

const char* text_or_null(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

std::uint32_t get_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                         const std::string& default_value, char* buffer, std::uint32_t size,
                         const std::string& file) {
    return GetPrivateProfileStringA(text_or_null(section), text_or_null(key), default_value.c_str(), buffer, size,
                                    file.c_str());
}

bool write_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                  const std::optional<std::string>& value, const std::string& file) {
    return WritePrivateProfileStringA(text_or_null(section), text_or_null(key), text_or_null(value), file.c_str()) !=
           FALSE;
}

}  // namespace tolm::platform::profile
