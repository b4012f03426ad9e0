#include "common/cRegistry.h"

#include "platform/module_info.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <exception>

namespace tolm {

namespace reg = platform::registry;

namespace {

reg::Key root_key(std::int32_t class_key) { return static_cast<reg::Key>(static_cast<std::uint32_t>(class_key)); }

std::string source() { return platform::module_base_name() + ".cRegistry"; }

// Closes a key however the member that opened it is left.
class OpenedKey {
public:
    OpenedKey() = default;
    ~OpenedKey() {
        if (m_key) reg::close_key(m_key);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    reg::Key& handle() noexcept { return m_key; }
    reg::Key get() const noexcept { return m_key; }

private:
    reg::Key m_key = 0;
};

// A text is stored as REG_EXPAND_SZ when it holds a "%" with a further "%" at least two places after
// it: %A% qualifies, %% and 100% do not.
bool looks_expandable(const std::string& text) {
    auto first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos;
}

// The text form of a value inside an error text; byte arrays show their bytes in hexadecimal.
std::string text_form(const Variant& value) {
    if (value.type() == VariantType::byte_array) {
        static const char* digits = "0123456789ABCDEF";
        std::string out;
        for (auto b : value.as_byte_array().bytes) {
            if (!out.empty()) out += ' ';
            out += digits[b >> 4];
            out += digits[b & 15];
        }
        return out;
    }
    return value.to_string();
}

std::string quote_path(std::string path) {
    path = trim_blanks(path);
    if (path.empty() || path.front() != '"') path.insert(path.begin(), '"');
    if (path.size() < 2 || path.back() != '"') path.push_back('"');
    return path;
}

}  // namespace

void cRegistry::raise(std::int32_t number, const std::string& text) const { throw RuntimeError(number, source(), text); }

std::string cRegistry::set_value_text(const Variant& value) const {
    return "Failed to set registry value Key: '" + std::to_string(m_class_key) + "',Section: '" + m_section_key +
           "',Key: '" + m_value_key + "' to value: '" + text_form(value) + "'";
}

bool cRegistry::KeyExists() {
    OpenedKey key;
    return reg::open_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_QUERY_VALUE, key.handle()) ==
           reg::ERROR_SUCCESS;
}

bool cRegistry::CreateKey() {
    OpenedKey key;
    if (reg::create_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_ALL_ACCESS_CLASSIC,
                        key.handle()) != reg::ERROR_SUCCESS)
        raise(k_error_key, "Failed to create registry Key: '" + m_section_key);
    return true;
}

bool cRegistry::DeleteKey() {
    if (reg::delete_key(root_key(m_class_key), utf8_to_ansi(m_section_key)) != reg::ERROR_SUCCESS)
        raise(k_error_key, "Failed to delete registry Key: '" + std::to_string(m_class_key) + "',Section: '" +
                               m_section_key);
    return true;
}

bool cRegistry::DeleteValue() {
    OpenedKey key;
    if (reg::open_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_ALL_ACCESS_CLASSIC,
                      key.handle()) != reg::ERROR_SUCCESS)
        raise(k_error_key, "Failed to open key '" + std::to_string(m_class_key) + "',Section: '" + m_section_key +
                               "' for delete access");
    if (reg::delete_value(key.get(), utf8_to_ansi(m_value_key)) != reg::ERROR_SUCCESS)
        raise(k_error_key, "Failed to delete registry Key: '" + std::to_string(m_class_key) + "',Section: '" +
                               m_section_key + "',Key: '" + m_value_key);
    return true;
}

Variant cRegistry::Value() {
    OpenedKey key;
    // A key that can't be opened leaves the handle empty, and the query below fails on it.
    reg::open_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_QUERY_VALUE, key.handle());
    const std::string name = utf8_to_ansi(m_value_key);
    std::uint8_t probe[4] = {};
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    reg::Status status = reg::query_value(key.get(), name, &type, probe, &size);
    if (status != reg::ERROR_MORE_DATA && status != reg::ERROR_SUCCESS) return m_default;
    m_value_type = static_cast<std::int32_t>(type);

    std::vector<std::uint8_t> data(size);
    if (size > 0) {
        std::uint32_t read = size;
        if (reg::query_value(key.get(), name, &type, data.data(), &read) != reg::ERROR_SUCCESS) return m_default;
        data.resize(read);
    }
    switch (type) {
        case reg::REG_SZ:
        case reg::REG_MULTI_SZ:
        case reg::REG_EXPAND_SZ: {
            // The text without the closing NUL; a multi-string keeps the NUL after each part. A value
            // stored with size 0 is the empty string.
            std::string text = data.empty() ? std::string()
                                            : std::string(data.begin(), data.end() - 1);
            text = ansi_to_utf8(text);
            if (type == reg::REG_EXPAND_SZ) text = ExpandEnvironmentText(text);
            return Variant(std::move(text));
        }
        case reg::REG_DWORD:
        case reg::REG_DWORD_BIG_ENDIAN: {
            std::uint32_t raw = 0;
            for (std::size_t i = 0; i < 4 && i < data.size(); ++i) raw |= static_cast<std::uint32_t>(data[i]) << (8 * i);
            auto number = static_cast<std::int32_t>(raw);
            return Variant(type == reg::REG_DWORD ? number : SwapLongBytes(number));
        }
        default: {
            // The bytes with bounds (0 To size): one zero byte follows them.
            data.push_back(0);
            return Variant(ByteArray{0, std::move(data)});
        }
    }
}

void cRegistry::Value(const Variant& vValue) {
    OpenedKey key;
    if (reg::create_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_ALL_ACCESS_CLASSIC,
                        key.handle()) != reg::ERROR_SUCCESS)
        raise(k_error_key, set_value_text(vValue));
    const std::string name = utf8_to_ansi(m_value_key);
    reg::Status status = reg::ERROR_SUCCESS;
    switch (m_value_type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            std::string text = utf8_to_ansi(vValue.to_string());
            std::uint32_t stored_type = looks_expandable(text) ? reg::REG_EXPAND_SZ : reg::REG_SZ;
            status = reg::set_value(key.get(), name, stored_type, reinterpret_cast<const std::uint8_t*>(text.c_str()),
                                    static_cast<std::uint32_t>(text.size() + 1));
            break;
        }
        case REG_BINARY: {
            if (vValue.type() != VariantType::byte_array)
                raise(k_error_key, runtime_error_text(k_error_key));
            const auto& bytes = vValue.as_byte_array().bytes;
            status = reg::set_value(key.get(), name, reg::REG_BINARY, bytes.data(),
                                    static_cast<std::uint32_t>(bytes.size()));
            break;
        }
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN: {
            // Only a 16-bit or 32-bit integer is written; anything else is quietly left out.
            if (vValue.type() != VariantType::integer && vValue.type() != VariantType::long_integer) break;
            auto number = static_cast<std::uint32_t>(vValue.to_int32());
            std::uint8_t bytes[4] = {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
                                     static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
            status = reg::set_value(key.get(), name, reg::REG_DWORD, bytes, 4);
            break;
        }
        default:
            status = runtime_errors::type_mismatch;  // invalid data: nothing is written
            break;
    }
    if (status != reg::ERROR_SUCCESS) raise(k_error_set_value, set_value_text(vValue));
}

bool cRegistry::EnumerateValues(StringArray& sKeyNames, std::int32_t& iKeyCount) {
    sKeyNames = StringArray();
    iKeyCount = 0;
    OpenedKey key;
    if (reg::open_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_QUERY_VALUE, key.handle()) !=
        reg::ERROR_SUCCESS)
        return true;
    std::uint32_t longest = 0;
    reg::query_longest_value_name(key.get(), longest);
    std::vector<char> buffer(std::max<std::uint32_t>(longest + 1, 1));
    for (std::uint32_t index = 0;; ++index) {
        auto size = static_cast<std::uint32_t>(buffer.size());
        if (reg::enum_value(key.get(), index, buffer.data(), &size) != reg::ERROR_SUCCESS) break;
        if (!sKeyNames.allocated) sKeyNames = StringArray(1, {});
        sKeyNames.items.push_back(ansi_to_utf8(std::string_view(buffer.data(), size)));
        ++iKeyCount;
    }
    return true;
}

bool cRegistry::EnumerateSections(StringArray& sSect, std::int32_t& iSectCount) {
    sSect = StringArray();
    iSectCount = 0;
    OpenedKey key;
    try {
        reg::open_key(root_key(m_class_key), utf8_to_ansi(m_section_key), reg::KEY_ENUMERATE_SUB_KEYS, key.handle());
        char name[255];
        for (std::uint32_t index = 0;; ++index) {
            if (reg::enum_key(key.get(), index, name, sizeof name) != reg::ERROR_SUCCESS) break;
            if (!sSect.allocated) sSect = StringArray(1, {});
            std::string_view found(name, sizeof name);
            sSect.items.push_back(ansi_to_utf8(found.substr(0, found.find('\0'))));
            ++iSectCount;
        }
    } catch (const std::exception& error) {
        raise(k_error_enumerate, error.what());
    }
    return true;
}

void cRegistry::WriteClassesValue(const std::string& text) {
    const std::string section = m_section_key;
    struct Restore {
        cRegistry& self;
        const std::string& section;
        ~Restore() { self.m_section_key = section; }
    } restore{*this, section};
    m_class_key = HKEY_CLASSES_ROOT;
    Value(Variant(text));
    m_class_key = HKEY_LOCAL_MACHINE;
    m_section_key = "SOFTWARE\\Classes\\" + section;
    Value(Variant(text));
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription, const std::string& sAssociation,
                                     const std::string& sOpenMenuText, bool bSupportPrint,
                                     const std::string& sPrintMenuText, bool bSupportNew,
                                     const std::string& sNewMenuText, bool bSupportInstall,
                                     const std::string& sInstallMenuText, std::int32_t lDefaultIconIndex) {
    const std::string exe = quote_path(sExePath);
    m_value_type = REG_SZ;
    m_value_key.clear();
    auto write = [this](const std::string& section, const std::string& text) {
        m_section_key = section;
        WriteClassesValue(text);
    };
    auto verb = [&](const std::string& name, const std::string& text, const std::string& fallback,
                    const std::string& option) {
        write(sClassName + "\\shell\\" + name, text.empty() ? fallback : text);
        write(sClassName + "\\shell\\" + name + "\\command", exe + " " + option + "\"%1\"");
    };
    write("." + sAssociation, sClassName);
    write(sClassName, sClassDescription);
    verb("open", sOpenMenuText, "&Open", "");
    if (bSupportPrint) verb("print", sPrintMenuText, "&Print", "/p ");
    if (bSupportInstall) verb("add", sInstallMenuText, "&Install " + sAssociation, "/a ");
    if (bSupportNew) verb("new", sNewMenuText, "&New", "/n ");
    if (lDefaultIconIndex >= 0) write(sClassName + "\\DefaultIcon", exe + "," + std::to_string(lDefaultIconIndex));
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<Variant>& vItems) {
    m_last_error.reset();
    auto record = [this](std::int32_t number, const std::string& text) {
        m_last_error = RuntimeError(number, source(), text);
    };
    if (vItems.empty() || vItems.size() % 3 != 0) {
        record(k_error_parameters,
               "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
        return;
    }
    m_section_key = sClassName;
    if (!KeyExists()) {
        record(k_error_no_class, "Error - attempt to create additional associations before class defined.");
        return;
    }
    m_value_type = REG_SZ;
    m_value_key.clear();
    for (std::size_t i = 0; i < vItems.size(); i += 3) {
        try {
            const std::string verb = sClassName + "\\shell\\" + vItems[i].to_string();
            m_section_key = verb;
            WriteClassesValue(vItems[i + 1].to_string());
            m_section_key = verb + "\\command";
            WriteClassesValue(vItems[i + 2].to_string());
        } catch (const RuntimeError& error) {
            m_last_error = error;
        } catch (const std::exception& error) {
            record(runtime_errors::invalid_procedure_call, error.what());
        }
    }
}

std::int32_t cRegistry::SwapLongBytes(std::int32_t value) noexcept {
    auto u = static_cast<std::uint32_t>(value);
    u = (u >> 24) | ((u >> 8) & 0x0000FF00u) | ((u << 8) & 0x00FF0000u) | (u << 24);
    return static_cast<std::int32_t>(u);
}

std::string cRegistry::ExpandEnvironmentText(const std::string& text) const {
    std::string ansi = utf8_to_ansi(text);
    std::uint32_t needed = reg::expand_environment_strings(ansi, nullptr, 0);
    if (needed == 0) raise_runtime_error(runtime_errors::invalid_procedure_call, source());
    std::string buffer(needed, '\0');
    std::uint32_t got = reg::expand_environment_strings(ansi, buffer.data(), needed);
    if (got == 0 || got > needed) raise_runtime_error(runtime_errors::invalid_procedure_call, source());
    buffer.resize(got - 1);
    return ansi_to_utf8(buffer);
}

}  // namespace tolm
