#include "platform/registry.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

// Only the port's functions are used, so the Windows build runs the same tests against the real
// registry (below HKEY_CURRENT_USER\Software\TolmServer7Tests) and Linux against its store file.
namespace {

namespace reg = tolm::platform::registry;
using reg::Key;
using reg::Status;

class RegistryTest : public ::testing::Test {
protected:
    std::string m_base;

    void SetUp() override {
        tolm::test::use_scratch_registry_store();
        std::random_device random;
        m_base = "Software\\TolmServer7Tests\\run" + std::to_string(random());
        Key key = 0;
        ASSERT_EQ(reg::create_key(reg::HKEY_CURRENT_USER, m_base, reg::KEY_ALL_ACCESS_CLASSIC, key), reg::ERROR_SUCCESS);
        reg::close_key(key);
    }
    void TearDown() override { EXPECT_TRUE(reg::delete_tree(reg::HKEY_CURRENT_USER, m_base)); }

    std::string path(const std::string& below) const { return m_base + "\\" + below; }

    Key open(const std::string& below, std::uint32_t access = reg::KEY_ALL_ACCESS_CLASSIC) {
        Key key = 0;
        EXPECT_EQ(reg::create_key(reg::HKEY_CURRENT_USER, path(below), access, key), reg::ERROR_SUCCESS);
        return key;
    }

    static Status put(Key key, const std::string& name, std::uint32_t type, const std::vector<std::uint8_t>& bytes) {
        return reg::set_value(key, name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    }

    struct Found {
        Status status = 0;
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
    };
    static Found get(Key key, const std::string& name) {
        Found f;
        std::uint32_t size = 0;
        f.status = reg::query_value(key, name, &f.type, nullptr, &size);
        if (f.status != reg::ERROR_SUCCESS) return f;
        f.bytes.resize(size);
        f.status = reg::query_value(key, name, &f.type, f.bytes.data(), &size);
        f.bytes.resize(size);
        return f;
    }
};

std::vector<std::uint8_t> bytes_of(std::string_view text) { return {text.begin(), text.end()}; }

TEST_F(RegistryTest, KeysAreCreatedOpenedAndClosed) {
    Key key = 0;
    EXPECT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, path("A\\B"), reg::KEY_QUERY_VALUE, key), reg::ERROR_FILE_NOT_FOUND);
    // Creating a deep key creates the keys above it; creating it again opens it.
    Key created = open("A\\B");
    EXPECT_EQ(reg::close_key(created), reg::ERROR_SUCCESS);
    created = open("a\\b");
    EXPECT_EQ(reg::close_key(created), reg::ERROR_SUCCESS);
    ASSERT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, path("A"), reg::KEY_QUERY_VALUE, key), reg::ERROR_SUCCESS);
    // A path below an open key.
    Key child = 0;
    EXPECT_EQ(reg::open_key(key, "b", reg::KEY_QUERY_VALUE, child), reg::ERROR_SUCCESS);
    reg::close_key(child);
    reg::close_key(key);
    EXPECT_NE(reg::open_key(0, "Software", reg::KEY_QUERY_VALUE, key), reg::ERROR_SUCCESS);
}

TEST_F(RegistryTest, TypedValuesKeepTypeAndBytes) {
    Key key = open("Values");
    const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> cases = {
        {reg::REG_SZ, bytes_of(std::string_view("C:\\Wendal32\0", 12))},
        {reg::REG_EXPAND_SZ, bytes_of(std::string_view("%WINDIR%\\x\0", 11))},
        {reg::REG_BINARY, {0x00, 0xFF, 0x0D, 0x0A, 0x22, 0x5C}},
        {reg::REG_DWORD, {7, 0, 0, 0}},
        {reg::REG_DWORD_BIG_ENDIAN, {0, 0, 0, 7}},
        {reg::REG_MULTI_SZ, bytes_of(std::string_view("one\0two\0\0", 9))},
        {reg::REG_BINARY, {}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        // Made with snprintf: GCC 12 at -O3 warns falsely (-Wrestrict) about "v" + std::to_string(i).
        char name_text[16];
        std::snprintf(name_text, sizeof name_text, "v%u", static_cast<unsigned>(i));
        const std::string name = name_text;
        ASSERT_EQ(put(key, name, cases[i].first, cases[i].second), reg::ERROR_SUCCESS) << name;
        Found found = get(key, name);
        EXPECT_EQ(found.status, reg::ERROR_SUCCESS) << name;
        EXPECT_EQ(found.type, cases[i].first) << name;
        EXPECT_EQ(found.bytes, cases[i].second) << name;
    }
    // Value names match without regard to case; writing again replaces type and data.
    ASSERT_EQ(put(key, "V3", reg::REG_SZ, bytes_of(std::string_view("x\0", 2))), reg::ERROR_SUCCESS);
    EXPECT_EQ(get(key, "v3").type, reg::REG_SZ);
    reg::close_key(key);
}

TEST_F(RegistryTest, QueryReportsSizeAndAsksForMoreRoom) {
    Key key = open("Sizes");
    ASSERT_EQ(put(key, "text", reg::REG_SZ, bytes_of(std::string_view("hello\0", 6))), reg::ERROR_SUCCESS);
    ASSERT_EQ(put(key, "empty", reg::REG_SZ, {}), reg::ERROR_SUCCESS);
    std::uint8_t small[4] = {};
    std::uint32_t size = 0;
    std::uint32_t type = 0;
    // The server's way: a four-byte buffer stated as size 0 learns type and size.
    EXPECT_EQ(reg::query_value(key, "text", &type, small, &size), reg::ERROR_MORE_DATA);
    EXPECT_EQ(type, reg::REG_SZ);
    EXPECT_EQ(size, 6u);
    size = 0;
    EXPECT_EQ(reg::query_value(key, "empty", &type, small, &size), reg::ERROR_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(reg::query_value(key, "absent", &type, small, &size), reg::ERROR_FILE_NOT_FOUND);
    reg::close_key(key);
}

TEST_F(RegistryTest, DefaultValueIsTheValueWithoutName) {
    Key key = open("Default");
    EXPECT_EQ(get(key, "").status, reg::ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(put(key, "", reg::REG_SZ, bytes_of(std::string_view("dflt\0", 5))), reg::ERROR_SUCCESS);
    EXPECT_EQ(get(key, "").bytes, bytes_of(std::string_view("dflt\0", 5)));
    std::string text;
    EXPECT_TRUE(reg::read_string(reg::HKEY_CURRENT_USER, path("Default"), "", text));
    EXPECT_EQ(text, "dflt");
    reg::close_key(key);
}

TEST_F(RegistryTest, DeletesValuesAndKeys) {
    Key key = open("Del\\Child");
    ASSERT_EQ(put(key, "x", reg::REG_DWORD, {1, 0, 0, 0}), reg::ERROR_SUCCESS);
    EXPECT_EQ(reg::delete_value(key, "X"), reg::ERROR_SUCCESS);
    EXPECT_EQ(reg::delete_value(key, "x"), reg::ERROR_FILE_NOT_FOUND);
    reg::close_key(key);
    // A key with sub-keys is not deleted in one step.
    EXPECT_NE(reg::delete_key(reg::HKEY_CURRENT_USER, path("Del")), reg::ERROR_SUCCESS);
    EXPECT_EQ(reg::delete_key(reg::HKEY_CURRENT_USER, path("Del\\Child")), reg::ERROR_SUCCESS);
    EXPECT_EQ(reg::delete_key(reg::HKEY_CURRENT_USER, path("Del")), reg::ERROR_SUCCESS);
    EXPECT_EQ(reg::delete_key(reg::HKEY_CURRENT_USER, path("Del")), reg::ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, HandleToDeletedKeyReportsIt) {
    Key key = open("Gone");
    ASSERT_EQ(put(key, "x", reg::REG_DWORD, {1, 0, 0, 0}), reg::ERROR_SUCCESS);
    ASSERT_EQ(reg::delete_key(reg::HKEY_CURRENT_USER, path("Gone")), reg::ERROR_SUCCESS);
    EXPECT_EQ(get(key, "x").status, reg::ERROR_KEY_DELETED);
    EXPECT_EQ(put(key, "y", reg::REG_DWORD, {1, 0, 0, 0}), reg::ERROR_KEY_DELETED);
    reg::close_key(key);
}

TEST_F(RegistryTest, AccessAskedForIsAccessGranted) {
    Key writer = open("Access");
    reg::close_key(writer);
    Key reader = 0;
    ASSERT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, path("Access"), reg::KEY_QUERY_VALUE, reader), reg::ERROR_SUCCESS);
    EXPECT_EQ(put(reader, "x", reg::REG_DWORD, {1, 0, 0, 0}), reg::ERROR_ACCESS_DENIED);
    char name[16];
    EXPECT_EQ(reg::enum_key(reader, 0, name, sizeof name), reg::ERROR_ACCESS_DENIED);
    reg::close_key(reader);
}

TEST_F(RegistryTest, EnumeratesSubKeysAndValues) {
    for (const char* child : {"Charlie", "alpha", "Bravo"}) reg::close_key(open(std::string("Enum\\") + child));
    reg::close_key(open("Enum\\alpha\\deeper"));
    Key key = open("Enum");
    std::vector<std::string> names;
    char name[255];
    Status status = reg::ERROR_SUCCESS;
    for (std::uint32_t i = 0; (status = reg::enum_key(key, i, name, sizeof name)) == reg::ERROR_SUCCESS; ++i)
        names.emplace_back(name);
    EXPECT_EQ(status, reg::ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha", "Bravo", "Charlie"}));

    ASSERT_EQ(put(key, "short", reg::REG_SZ, bytes_of(std::string_view("1\0", 2))), reg::ERROR_SUCCESS);
    ASSERT_EQ(put(key, "a much longer name", reg::REG_SZ, bytes_of(std::string_view("2\0", 2))), reg::ERROR_SUCCESS);
    std::uint32_t longest = 0;
    EXPECT_EQ(reg::query_longest_value_name(key, longest), reg::ERROR_SUCCESS);
    EXPECT_EQ(longest, 18u);
    std::set<std::string> values;
    for (std::uint32_t i = 0;; ++i) {
        std::uint32_t size = sizeof name;
        status = reg::enum_value(key, i, name, &size);
        if (status != reg::ERROR_SUCCESS) break;
        values.emplace(name, size);
    }
    EXPECT_EQ(status, reg::ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(values, (std::set<std::string>{"short", "a much longer name"}));
    std::uint32_t tiny = 4;
    EXPECT_EQ(reg::enum_value(key, 0, name, &tiny), reg::ERROR_MORE_DATA);
    reg::close_key(key);
}

TEST_F(RegistryTest, StringConvenienceAndTreeDeletion) {
    ASSERT_TRUE(reg::write_string(reg::HKEY_CURRENT_USER, path("Tree\\Leaf"), "Program Folder", "C:\\Wendal32"));
    std::string text;
    EXPECT_TRUE(reg::read_string(reg::HKEY_CURRENT_USER, path("Tree\\Leaf"), "program folder", text));
    EXPECT_EQ(text, "C:\\Wendal32");
    EXPECT_FALSE(reg::read_string(reg::HKEY_CURRENT_USER, path("Tree\\Leaf"), "absent", text));
    EXPECT_TRUE(reg::delete_tree(reg::HKEY_CURRENT_USER, path("Tree")));
    Key key = 0;
    EXPECT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, path("Tree"), reg::KEY_QUERY_VALUE, key), reg::ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(reg::delete_tree(reg::HKEY_CURRENT_USER, path("Tree")));
}

TEST(EnvironmentExpansion, KnownNamesExpandOthersStay) {
    tolm::test::set_environment("TOLM_TEST_FOLDER", "C:\\Maps");
    std::string source = "a%TOLM_TEST_FOLDER%b%TOLM_NOT_SET_ANYWHERE%c%%d%tolm_test_folder%";
    std::string expected = "aC:\\Mapsb%TOLM_NOT_SET_ANYWHERE%c%%dC:\\Maps";
    std::uint32_t needed = reg::expand_environment_strings(source, nullptr, 0);
    EXPECT_GE(needed, expected.size() + 1);
    std::vector<char> buffer(needed);
    EXPECT_EQ(reg::expand_environment_strings(source, buffer.data(), needed), expected.size() + 1);
    EXPECT_EQ(std::string(buffer.data()), expected);
}

}  // namespace
