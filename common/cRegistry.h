#pragma once

#include "platform/runtime_error.h"
#include "platform/variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolm {

// The registry gateway of both deliverables: name a place through the properties (root, key path,
// value name, value type), then read or write it. Errors are run-time errors whose source is the
// module's base name followed by ".cRegistry".
class cRegistry {
public:
    // Numbers of the errors this class raises.
    static constexpr std::int32_t k_error_key = 26001;
    static constexpr std::int32_t k_error_set_value = runtime_errors::object_error_base + 27049;
    static constexpr std::int32_t k_error_enumerate = runtime_errors::object_error_base + 27050;
    static constexpr std::int32_t k_error_parameters = runtime_errors::object_error_base + 27052;
    static constexpr std::int32_t k_error_no_class = runtime_errors::object_error_base + 27053;

    static constexpr std::int32_t HKEY_CLASSES_ROOT = static_cast<std::int32_t>(0x80000000u);
    static constexpr std::int32_t HKEY_CURRENT_USER = static_cast<std::int32_t>(0x80000001u);
    static constexpr std::int32_t HKEY_LOCAL_MACHINE = static_cast<std::int32_t>(0x80000002u);
    static constexpr std::int32_t REG_SZ = 1;
    static constexpr std::int32_t REG_EXPAND_SZ = 2;
    static constexpr std::int32_t REG_BINARY = 3;
    static constexpr std::int32_t REG_DWORD = 4;
    static constexpr std::int32_t REG_DWORD_BIG_ENDIAN = 5;
    static constexpr std::int32_t REG_MULTI_SZ = 7;

    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();
    Variant Value();
    void Value(const Variant& vValue);
    bool EnumerateValues(StringArray& sKeyNames, std::int32_t& iKeyCount);
    bool EnumerateSections(StringArray& sSect, std::int32_t& iSectCount);
    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              const std::string& sOpenMenuText = "", bool bSupportPrint = false,
                              const std::string& sPrintMenuText = "", bool bSupportNew = false,
                              const std::string& sNewMenuText = "", bool bSupportInstall = false,
                              const std::string& sInstallMenuText = "", std::int32_t lDefaultIconIndex = -1);
    // Never raises: a failure is recorded as the current error (see last_error()).
    void CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<Variant>& vItems);

    std::int32_t ValueType() const noexcept { return m_value_type; }
    void ValueType(std::int32_t eValueType) noexcept { m_value_type = eValueType; }
    std::int32_t ClassKey() const noexcept { return m_class_key; }
    void ClassKey(std::int32_t eKey) noexcept { m_class_key = eKey; }
    const std::string& SectionKey() const noexcept { return m_section_key; }
    void SectionKey(const std::string& sSectionKey) { m_section_key = sSectionKey; }
    const std::string& ValueKey() const noexcept { return m_value_key; }
    void ValueKey(const std::string& sValueKey) { m_value_key = sValueKey; }
    const Variant& Default() const noexcept { return m_default; }
    void Default(const Variant& vDefault) { m_default = vDefault; }

    // The current error: what CreateAdditionalEXEAssociations recorded instead of raising it, the
    // way the runtime's error object holds an error that was resumed past. Cleared when that
    // member starts; nullopt when it met no error.
    const std::optional<RuntimeError>& last_error() const noexcept { return m_last_error; }

private:
    void WriteClassesValue(const std::string& text);
    static std::int32_t SwapLongBytes(std::int32_t value) noexcept;
    std::string ExpandEnvironmentText(const std::string& text) const;

    std::string set_value_text(const Variant& value) const;
    [[noreturn]] void raise(std::int32_t number, const std::string& text) const;

    std::int32_t m_class_key = 0;
    std::string m_section_key;
    std::string m_value_key;
    std::int32_t m_value_type = 0;
    Variant m_default;
    std::optional<RuntimeError> m_last_error;
};

}  // namespace tolm
