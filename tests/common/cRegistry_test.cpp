#include "common/cRegistry.h"

#include "platform/module_info.h"
#include "platform/registry.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace {

using tolm::cRegistry;
using tolm::Variant;
namespace reg = tolm::platform::registry;

class CRegistryTest : public ::testing::Test {
protected:
    std::string m_base;
    cRegistry m_reg;

    void SetUp() override {
        tolm::test::use_scratch_registry_store();
        std::random_device random;
        m_base = "Software\\TolmServer7Tests\\creg" + std::to_string(random());
        m_reg.ClassKey(cRegistry::HKEY_CURRENT_USER);
        m_reg.SectionKey(m_base);
    }
    void TearDown() override { reg::delete_tree(reg::HKEY_CURRENT_USER, m_base); }

    // Writes a value through the port, bypassing the class.
    void store(const std::string& name, std::uint32_t type, std::vector<std::uint8_t> bytes) {
        ASSERT_TRUE(m_reg.CreateKey());
        reg::Key key = 0;
        ASSERT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, m_base, reg::KEY_ALL_ACCESS_CLASSIC, key), reg::ERROR_SUCCESS);
        reg::set_value(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        reg::close_key(key);
    }
    std::uint32_t stored_type(const std::string& name) {
        reg::Key key = 0;
        std::uint32_t type = 0;
        std::uint32_t size = 0;
        reg::open_key(reg::HKEY_CURRENT_USER, m_base, reg::KEY_QUERY_VALUE, key);
        reg::Status status = reg::query_value(key, name, &type, nullptr, &size);
        reg::close_key(key);
        return status == reg::ERROR_SUCCESS ? type : 0xFFFFFFFFu;
    }
    std::vector<std::uint8_t> stored_bytes(const std::string& name) {
        reg::Key key = 0;
        std::uint32_t size = 64;
        std::vector<std::uint8_t> bytes(size);
        reg::open_key(reg::HKEY_CURRENT_USER, m_base, reg::KEY_QUERY_VALUE, key);
        reg::query_value(key, name, nullptr, bytes.data(), &size);
        reg::close_key(key);
        bytes.resize(size);
        return bytes;
    }
    void expect_error(const std::function<void()>& call, std::int32_t number, const std::string& text) {
        try {
            call();
            ADD_FAILURE() << "no error raised";
        } catch (const tolm::RuntimeError& e) {
            EXPECT_EQ(e.number(), number);
            EXPECT_EQ(e.source(), tolm::platform::module_base_name() + ".cRegistry");
            EXPECT_EQ(e.description(), text);
        }
    }
};

TEST_F(CRegistryTest, NothingToReadGivesTheDefault) {
    cRegistry fresh;
    EXPECT_FALSE(fresh.KeyExists());
    EXPECT_TRUE(fresh.Value().is_empty());
    m_reg.ValueKey("absent");
    m_reg.ValueType(cRegistry::REG_BINARY);
    EXPECT_TRUE(m_reg.Value().is_empty());
    m_reg.Default(Variant("C:\\Program Files"));
    EXPECT_EQ(m_reg.Value(), Variant("C:\\Program Files"));
    EXPECT_EQ(m_reg.ValueType(), cRegistry::REG_BINARY);
}

TEST_F(CRegistryTest, StringsStoreTheirTypeFromTheText) {
    m_reg.ValueType(cRegistry::REG_SZ);
    m_reg.ValueKey("expand");
    m_reg.Value(Variant("C:\\%WINDIR%\\x"));
    EXPECT_EQ(stored_type("expand"), reg::REG_EXPAND_SZ);
    m_reg.ValueType(cRegistry::REG_EXPAND_SZ);
    m_reg.ValueKey("plain");
    m_reg.Value(Variant("50%"));
    EXPECT_EQ(stored_type("plain"), reg::REG_SZ);
    m_reg.ValueKey("twice");
    m_reg.Value(Variant("%%"));
    EXPECT_EQ(stored_type("twice"), reg::REG_SZ);
    m_reg.ValueKey("plain");
    m_reg.ValueType(0);
    EXPECT_EQ(m_reg.Value(), Variant("50%"));
    EXPECT_EQ(m_reg.ValueType(), cRegistry::REG_SZ);
}

TEST_F(CRegistryTest, ReadsEveryType) {
    store("dword", reg::REG_DWORD, {7, 0, 0, 0});
    store("big", reg::REG_DWORD_BIG_ENDIAN, {0, 0, 0, 7});
    store("bin", reg::REG_BINARY, {1, 2, 3});
    store("multi", reg::REG_MULTI_SZ, {'a', 0, 'b', 0, 0});
    store("empty", reg::REG_SZ, {});
    tolm::test::set_environment("TOLM_TEST_MAPS", "/maps");
    std::string expandable = "%TOLM_TEST_MAPS%\\x";
    store("expand", reg::REG_EXPAND_SZ, std::vector<std::uint8_t>(expandable.c_str(), expandable.c_str() + expandable.size() + 1));
    auto read = [this](const std::string& name) {
        m_reg.ValueKey(name);
        return m_reg.Value();
    };
    EXPECT_EQ(read("dword"), Variant(std::int32_t{7}));
    EXPECT_EQ(m_reg.ValueType(), cRegistry::REG_DWORD);
    EXPECT_EQ(read("big"), Variant(std::int32_t{7}));
    EXPECT_EQ(read("bin"), Variant(tolm::ByteArray{0, {1, 2, 3, 0}}));
    EXPECT_EQ(read("multi"), Variant(std::string("a\0b\0", 4)));
    // A string value of size 0 is the empty string.
    EXPECT_EQ(read("empty"), Variant(""));
    EXPECT_EQ(m_reg.ValueType(), cRegistry::REG_SZ);
    EXPECT_EQ(read("expand"), Variant("/maps\\x"));
}

TEST_F(CRegistryTest, WritesNumbersAndBytes) {
    m_reg.ValueType(cRegistry::REG_DWORD);
    m_reg.ValueKey("n");
    m_reg.Value(Variant("7"));  // not an integer: nothing written, nothing raised
    EXPECT_EQ(stored_type("n"), 0xFFFFFFFFu);
    m_reg.Value(Variant(std::int32_t{7}));
    EXPECT_EQ(stored_bytes("n"), (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(m_reg.Value(), Variant(std::int32_t{7}));
    m_reg.ValueType(cRegistry::REG_DWORD_BIG_ENDIAN);
    m_reg.ValueKey("small");
    m_reg.Value(Variant(std::int16_t{-2}));
    EXPECT_EQ(stored_type("small"), reg::REG_DWORD);
    EXPECT_EQ(m_reg.Value(), Variant(std::int32_t{-2}));

    m_reg.ValueType(cRegistry::REG_BINARY);
    m_reg.ValueKey("b");
    m_reg.Value(Variant(tolm::ByteArray{1, {9, 8}}));
    EXPECT_EQ(m_reg.Value(), Variant(tolm::ByteArray{0, {9, 8, 0}}));
    m_reg.ValueType(cRegistry::REG_BINARY);
    expect_error([&] { m_reg.Value(Variant("text")); }, cRegistry::k_error_key,
                 "Application-defined or object-defined error");
}

TEST_F(CRegistryTest, UnknownTypeIsRefusedWithTheSetValueText) {
    m_reg.ValueType(11);
    m_reg.ValueKey("q");
    expect_error([&] { m_reg.Value(Variant(std::int32_t{5})); }, static_cast<std::int32_t>(0x800469A9u),
                 "Failed to set registry value Key: '-2147483647',Section: '" + m_base + "',Key: 'q' to value: '5'");
}

TEST_F(CRegistryTest, KeysAndValuesAreCreatedAndDeleted) {
    EXPECT_FALSE(m_reg.KeyExists());
    EXPECT_TRUE(m_reg.CreateKey());
    EXPECT_TRUE(m_reg.CreateKey());
    EXPECT_TRUE(m_reg.KeyExists());
    m_reg.ValueType(cRegistry::REG_SZ);
    m_reg.ValueKey("v");
    m_reg.Value(Variant("x"));
    EXPECT_TRUE(m_reg.DeleteValue());
    expect_error([&] { m_reg.DeleteValue(); }, cRegistry::k_error_key,
                 "Failed to delete registry Key: '-2147483647',Section: '" + m_base + "',Key: 'v");
    EXPECT_TRUE(m_reg.DeleteKey());
    EXPECT_FALSE(m_reg.KeyExists());
    expect_error([&] { m_reg.DeleteValue(); }, cRegistry::k_error_key,
                 "Failed to open key '-2147483647',Section: '" + m_base + "' for delete access");
    m_reg.ClassKey(cRegistry::HKEY_LOCAL_MACHINE);
    expect_error([&] { m_reg.DeleteKey(); }, cRegistry::k_error_key,
                 "Failed to delete registry Key: '-2147483646',Section: '" + m_base);
    m_reg.ClassKey(0);
    expect_error([&] { m_reg.CreateKey(); }, cRegistry::k_error_key, "Failed to create registry Key: '" + m_base);
}

TEST_F(CRegistryTest, EnumeratesSectionsAndValues) {
    tolm::StringArray names;
    std::int32_t count = -1;
    EXPECT_TRUE(m_reg.EnumerateSections(names, count));  // the key is not even there
    EXPECT_EQ(count, 0);
    ASSERT_TRUE(m_reg.CreateKey());
    EXPECT_TRUE(m_reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(names.allocated);
    for (const char* child : {"b", "a"}) {
        cRegistry sub;
        sub.ClassKey(cRegistry::HKEY_CURRENT_USER);
        sub.SectionKey(m_base + "\\" + child);
        sub.CreateKey();
    }
    EXPECT_TRUE(m_reg.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, tolm::StringArray(1, {"a", "b"}));

    EXPECT_TRUE(m_reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_FALSE(names.allocated);
    m_reg.ValueType(cRegistry::REG_SZ);
    m_reg.ValueKey("Program Folder");
    m_reg.Value(Variant("C:\\Wendal32"));
    EXPECT_TRUE(m_reg.EnumerateValues(names, count));
    EXPECT_EQ(count, 1);
    EXPECT_EQ(names, tolm::StringArray(1, {"Program Folder"}));
}

class CRegistryAssociationTest : public ::testing::Test {
protected:
    std::string m_class = "TolmTest" + std::to_string(std::random_device()());
    std::string m_extension = "tolm" + std::to_string(std::random_device()() % 100000);
    cRegistry m_reg;

    void SetUp() override { tolm::test::use_scratch_registry_store(); }
    void TearDown() override {
        for (reg::Key root : {reg::HKEY_CLASSES_ROOT, reg::HKEY_LOCAL_MACHINE}) {
            std::string prefix = root == reg::HKEY_LOCAL_MACHINE ? "SOFTWARE\\Classes\\" : "";
            reg::delete_tree(root, prefix + m_class);
            reg::delete_tree(root, prefix + "." + m_extension);
        }
    }
    std::string default_value(const std::string& path) {
        std::string text;
        return reg::read_string(reg::HKEY_CLASSES_ROOT, path, "", text) ? text : "<missing>";
    }
};

TEST_F(CRegistryAssociationTest, RegistersTheFileTypeAndItsVerbs) {
    m_reg.CreateEXEAssociation("  C:\\Tolm\\tolm.exe ", m_class, "Tolm map", m_extension, "", true, "", false, "",
                               true, "", 2);
    EXPECT_EQ(default_value("." + m_extension), m_class);
    EXPECT_EQ(default_value(m_class), "Tolm map");
    EXPECT_EQ(default_value(m_class + "\\shell\\open"), "&Open");
    EXPECT_EQ(default_value(m_class + "\\shell\\open\\command"), "\"C:\\Tolm\\tolm.exe\" \"%1\"");
    EXPECT_EQ(default_value(m_class + "\\shell\\print\\command"), "\"C:\\Tolm\\tolm.exe\" /p \"%1\"");
    EXPECT_EQ(default_value(m_class + "\\shell\\add"), "&Install " + m_extension);
    EXPECT_EQ(default_value(m_class + "\\shell\\add\\command"), "\"C:\\Tolm\\tolm.exe\" /a \"%1\"");
    EXPECT_EQ(default_value(m_class + "\\shell\\new"), "<missing>");
    EXPECT_EQ(default_value(m_class + "\\DefaultIcon"), "\"C:\\Tolm\\tolm.exe\",2");
    EXPECT_EQ(m_reg.ClassKey(), cRegistry::HKEY_LOCAL_MACHINE);

    m_reg.ClassKey(cRegistry::HKEY_CLASSES_ROOT);
    m_reg.CreateAdditionalEXEAssociations(m_class, {Variant("view"), Variant("&View"), Variant("tolm.exe /v \"%1\"")});
    EXPECT_FALSE(m_reg.last_error().has_value());
    EXPECT_EQ(default_value(m_class + "\\shell\\view"), "&View");
    EXPECT_EQ(default_value(m_class + "\\shell\\view\\command"), "tolm.exe /v \"%1\"");
}

TEST_F(CRegistryAssociationTest, AdditionalAssociationsRecordTheirErrors) {
    m_reg.ClassKey(cRegistry::HKEY_CLASSES_ROOT);
    EXPECT_NO_THROW(m_reg.CreateAdditionalEXEAssociations(m_class, {Variant("a"), Variant("b")}));
    ASSERT_TRUE(m_reg.last_error().has_value());
    EXPECT_EQ(m_reg.last_error()->number(), static_cast<std::int32_t>(0x800469ACu));
    EXPECT_EQ(m_reg.last_error()->description(),
              "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command");
    m_reg.CreateAdditionalEXEAssociations(m_class, {});
    EXPECT_EQ(m_reg.last_error()->number(), static_cast<std::int32_t>(0x800469ACu));
    m_reg.CreateAdditionalEXEAssociations(m_class, {Variant("a"), Variant("b"), Variant("c")});
    ASSERT_TRUE(m_reg.last_error().has_value());
    EXPECT_EQ(m_reg.last_error()->number(), static_cast<std::int32_t>(0x800469ADu));
    EXPECT_EQ(m_reg.last_error()->description(),
              "Error - attempt to create additional associations before class defined.");
    EXPECT_EQ(m_reg.last_error()->source(), tolm::platform::module_base_name() + ".cRegistry");
}

}  // namespace
