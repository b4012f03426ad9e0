#include "common/clsIni.h"

#include "common/path_text.h"
#include "platform/module_info.h"
#include "platform/profile.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <exception>

namespace tolm {

namespace {

constexpr std::uint32_t k_value_buffer = 500;
constexpr std::uint32_t k_key_list_buffer = 10000;
// A value no one stores: reading it back means the key is missing.
constexpr const char* k_missing = "$!*%";

std::string source() { return platform::module_base_name() + ".clsIni"; }

}  // namespace

const std::string& StringTable::at(std::int32_t row, std::int32_t column) const {
    if (!allocated || row < 0 || row > 1 || column < 0 || column > upper())
        raise_runtime_error(runtime_errors::subscript_out_of_range, source());
    auto index = static_cast<std::size_t>(column);
    return row == 0 ? names[index] : values[index];
}

clsIni::clsIni()
    : mstrIniName(join_path(platform::module_folder(), platform::module_base_name() + ".INI")) {}

std::optional<std::string> clsIni::file_for(const std::optional<std::string>& given) const {
    const std::string& file = given ? *given : mstrIniName;
    if (file.empty()) return std::nullopt;
    return utf8_to_ansi(file);
}

void clsIni::DeleteSection(const std::string& strSection, const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return;
    platform::profile::write_string(utf8_to_ansi(strSection), std::nullopt, std::nullopt, *file);
}

void clsIni::DeleteKey(const std::string& strSection, const std::string& strKey,
                       const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return;
    platform::profile::write_string(utf8_to_ansi(strSection), utf8_to_ansi(strKey), std::nullopt, *file);
}

bool clsIni::IsItTrue(std::string& a) {
    a = to_upper_ascii(a);
    return a == "TRUE" || a == "YES" || a == "1" || a == "ON";
}

StringTable clsIni::LoadAllKeysInSection(const std::string& strSection, const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return {};
    // Column 0 is created empty and stays so: the pairs start at column 1.
    StringTable table{true, {""}, {""}};
    try {
        std::string buffer(k_key_list_buffer, '\0');
        std::uint32_t count = platform::profile::get_string(utf8_to_ansi(strSection), std::nullopt, "", buffer.data(),
                                                            k_key_list_buffer, *file);
        std::string_view names(buffer.data(), count);
        std::size_t start = 0;
        while (start <= names.size()) {
            std::size_t end = names.find('\0', start);
            if (end == std::string_view::npos) end = names.size();
            std::string name = ansi_to_utf8(names.substr(start, end - start));
            start = end + 1;
            if (name.empty()) continue;
            std::string value = GetIniString(strSection, name, "", strIniName).to_string();
            table.names.push_back(std::move(name));
            table.values.push_back(std::move(value));
        }
    } catch (const std::exception&) {
        // What has been gathered so far is the answer.
    }
    return table;
}

void clsIni::strIniName(const std::string& strN) { mstrIniName = strN; }

std::string clsIni::TrueOrFalse(bool i) { return i ? "TRUE" : "FALSE"; }

Variant clsIni::GetIniString(const std::string& strSection, const std::string& strKey,
                             const std::string& strKeyDefault, const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return {};
    char buffer[k_value_buffer];
    std::uint32_t count = platform::profile::get_string(utf8_to_ansi(strSection), utf8_to_ansi(strKey),
                                                        utf8_to_ansi(strKeyDefault), buffer, k_value_buffer, *file);
    return Variant(ansi_to_utf8(std::string_view(buffer, count)));
}

void clsIni::SaveIniString(const std::string& strSection, const std::string& strKey, const Variant& varT,
                           const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return;
    std::string text = varT.to_string();
    // Written as "" so that the key exists and reads back empty.
    if (text.empty()) text = "\"\"";
    platform::profile::write_string(utf8_to_ansi(strSection), utf8_to_ansi(strKey), utf8_to_ansi(text), *file);
}

Variant clsIni::GetIniStringWriteDefault(const std::string& strSection, const std::string& strKey,
                                         const std::string& strKeyDefault,
                                         const std::optional<std::string>& strIniName) {
    auto file = file_for(strIniName);
    if (!file) return {};
    Variant found = GetIniString(strSection, strKey, k_missing, strIniName);
    if (found.to_string() != k_missing) return found;
    std::string stored = strKeyDefault;
    // Blanks at the ends survive the file only inside quotes.
    if (!stored.empty() && (stored.front() == ' ' || stored.back() == ' ')) stored = "\"" + stored + "\"";
    SaveIniString(strSection, strKey, Variant(stored), strIniName);
    return Variant(strKeyDefault);
}

}  // namespace tolm
