#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The private-profile (INI file) functions as Windows offers them. On Windows these forward to
// GetPrivateProfileStringA and WritePrivateProfileStringA; on Linux our own reader and writer keeps
// their observable behaviour (see platform/posix/profile_file.cpp).
namespace tolm::platform::profile {

// GetPrivateProfileStringA. An absent section lists the file's section names, an absent key the
// section's key names, each ended by NUL with a final extra NUL. Returns the count of characters
// copied, without the terminating NUL, with Windows' truncation rules for a buffer that is too small.
std::uint32_t get_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                         const std::string& default_value, char* buffer, std::uint32_t size,
                         const std::string& file);

// WritePrivateProfileStringA. An absent key deletes the section, an absent value deletes the key.
// Returns false when the file cannot be written.
bool write_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                  const std::optional<std::string>& value, const std::string& file);

}  // namespace tolm::platform::profile
