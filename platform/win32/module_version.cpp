#include "platform/module_version.h"

#include "platform/module_info.h"
#include "platform/text.h"

#include <windows.h>

#include <vector>

namespace tolm::platform {

namespace {

// One string of the resource's first translation, or "" when it has none.
std::string version_string(const std::vector<char>& block, const std::string& translation, const char* name) {
    const std::string query = "\\StringFileInfo\\" + translation + "\\" + name;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value ||
        length == 0)
        return {};
    return ansi_to_utf8(std::string(value, strnlen(value, length)));
}

}  // namespace

std::optional<ModuleVersion> module_version_resource() {
    const std::string path = utf8_to_ansi(module_path());
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return std::nullopt;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixed_length = 0;
    if (!VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &fixed_length) || !fixed ||
        fixed_length < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    ModuleVersion version;
    version.major = static_cast<std::int32_t>(HIWORD(fixed->dwFileVersionMS));
    version.minor = static_cast<std::int32_t>(LOWORD(fixed->dwFileVersionMS));
    version.revision = static_cast<std::int32_t>(LOWORD(fixed->dwFileVersionLS));

    std::string translation = "040904B0";
    struct LanguageCodePage {
        WORD language;
        WORD code_page;
    }* pages = nullptr;
    UINT pages_length = 0;
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pages), &pages_length) &&
        pages && pages_length >= sizeof(LanguageCodePage)) {
        char text[16];
        wsprintfA(text, "%04X%04X", pages[0].language, pages[0].code_page);
        translation = text;
    }
    version.comments = version_string(block, translation, "Comments");
    version.file_description = version_string(block, translation, "FileDescription");
    version.legal_copyright = version_string(block, translation, "LegalCopyright");
    return version;
}

}  // namespace tolm::platform
