#pragma once

#include "platform/variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolm {

// A two-dimensional String array with bounds (0 To 1, 0 To upper), as LoadAllKeysInSection returns
// it: row 0 holds key names, row 1 their values. An unallocated table has no bounds at all.
struct StringTable {
    bool allocated = false;
    std::vector<std::string> names;   // row 0, column by column from column 0
    std::vector<std::string> values;  // row 1

    std::int32_t upper() const noexcept { return static_cast<std::int32_t>(names.size()) - 1; }
    // Element (row, column); raises "Subscript out of range" outside the bounds.
    const std::string& at(std::int32_t row, std::int32_t column) const;
    bool operator==(const StringTable&) const = default;
};

// The one way the server and the initialiser read and write INI files. Every file operation may be
// given a file for that call; without one the instance's default file is used, and when that is
// empty the operation does nothing and returns an empty result. Strings are UTF-8 here and reach
// the file in the ANSI code page.
class clsIni {
public:
    // The default file lies beside the running module and bears its name: <folder>/<name>.INI.
    clsIni();

    void DeleteSection(const std::string& strSection, const std::optional<std::string>& strIniName = std::nullopt);
    void DeleteKey(const std::string& strSection, const std::string& strKey,
                   const std::optional<std::string>& strIniName = std::nullopt);
    // Upper-cases a in place, then True for "TRUE", "YES", "1" and "ON" exactly.
    bool IsItTrue(std::string& a);
    StringTable LoadAllKeysInSection(const std::string& strSection,
                                     const std::optional<std::string>& strIniName = std::nullopt);
    // The write-only property strIniName: the default file, taken as given.
    void strIniName(const std::string& strN);
    std::string TrueOrFalse(bool i);
    Variant GetIniString(const std::string& strSection, const std::string& strKey, const std::string& strKeyDefault,
                         const std::optional<std::string>& strIniName = std::nullopt);
    void SaveIniString(const std::string& strSection, const std::string& strKey, const Variant& varT,
                       const std::optional<std::string>& strIniName = std::nullopt);
    // Reads the key; when it is missing, writes the default (quoted if it has blanks at its ends)
    // and returns the default as given.
    Variant GetIniStringWriteDefault(const std::string& strSection, const std::string& strKey,
                                     const std::string& strKeyDefault,
                                     const std::optional<std::string>& strIniName = std::nullopt);

private:
    // The file for this call, or nullopt when there is none and the call does nothing.
    std::optional<std::string> file_for(const std::optional<std::string>& given) const;

    std::string mstrIniName;
};

}  // namespace tolm
