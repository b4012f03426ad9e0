#ifndef _WIN32

#include "platform/atomic_file.h"
#include "platform/posix/registry_store.h"
#include "platform/registry.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// The store file itself: its format, what happens to a damaged one, and two processes writing it.
namespace {

namespace reg = tolm::platform::registry;
using reg::detail::RegistryStore;
using reg::detail::StoreDamaged;

// Points the store at a file of the test's own and puts the previous setting back afterwards.
class RegistryStoreFileTest : public ::testing::Test {
protected:
    tolm::test::ScratchFolder m_folder{"store"};
    std::string m_file = m_folder.file("registry.txt");
    std::string m_previous;

    void SetUp() override {
        const char* previous = std::getenv("TOLM_REGISTRY_FILE");
        m_previous = previous ? previous : "";
        ::setenv("TOLM_REGISTRY_FILE", m_file.c_str(), 1);
    }
    void TearDown() override {
        if (m_previous.empty())
            ::unsetenv("TOLM_REGISTRY_FILE");
        else
            ::setenv("TOLM_REGISTRY_FILE", m_previous.c_str(), 1);
    }
};

constexpr const char* k_golden =
    "TOLM-REGISTRY 1\n"
    "key \"HKEY_CURRENT_CONFIG\"\n"
    "key \"HKEY_CURRENT_USER\"\n"
    "key \"HKEY_CURRENT_USER\\\\Software\"\n"
    "key \"HKEY_CURRENT_USER\\\\Software\\\\Orvensa\"\n"
    "value \"\" 1 \"default\\x00\"\n"
    "value \"Program Folder\" 1 \"C:\\\\Wendal32 \\\"new\\\"\\x00\"\n"
    "value \"Count\" 4 \"\\x07\\x00\\x00\\x00\"\n"
    "value \"Bytes\" 3 \"\\xff\\x0d\\x0a\\xe9\"\n"
    "key \"HKEY_LOCAL_MACHINE\"\n"
    "key \"HKEY_LOCAL_MACHINE\\\\Software\"\n"
    "key \"HKEY_LOCAL_MACHINE\\\\Software\\\\Classes\"\n"
    "key \"HKEY_USERS\"\n"
    "end\n";

TEST(RegistryStoreFormat, GoldenFileReadsAndWritesBackByteForByte) {
    RegistryStore store = RegistryStore::parse(k_golden);
    const auto* key = store.find("hkey_current_user\\SOFTWARE\\orvensa");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 4u);
    EXPECT_EQ(key->values[1].name, "Program Folder");
    std::string folder = "C:\\Wendal32 \"new\"";
    folder += '\0';
    EXPECT_EQ(key->values[1].data, std::vector<std::uint8_t>(folder.begin(), folder.end()));
    EXPECT_EQ(key->values[3].data, (std::vector<std::uint8_t>{0xFF, 0x0D, 0x0A, 0xE9}));
    EXPECT_EQ(store.serialize(), k_golden);
    EXPECT_EQ(RegistryStore::parse(store.serialize()), store);
    EXPECT_EQ(store.subkey_names("HKEY_CURRENT_USER"), std::vector<std::string>{"Software"});
}

// A key of 100,000 path components once overflowed the stack of the store's reader; keys are now
// made by a loop and may lie at most 512 levels deep, as in the system's registry.
TEST(RegistryStoreFormat, DeepKeysAreBoundedAndNeverRecurse) {
    auto store_with_depth = [](std::size_t depth) {
        std::string path = "HKEY_CURRENT_USER";
        for (std::size_t i = 0; i < depth; ++i) path += "\\\\a";
        return "TOLM-REGISTRY 1\nkey \"" + path + "\"\nend\n";
    };
    const RegistryStore deepest = RegistryStore::parse(store_with_depth(reg::detail::k_max_key_depth));
    EXPECT_EQ(RegistryStore::parse(deepest.serialize()), deepest);
    EXPECT_THROW(RegistryStore::parse(store_with_depth(reg::detail::k_max_key_depth + 1)), StoreDamaged);
    EXPECT_THROW(RegistryStore::parse(store_with_depth(100000)), StoreDamaged);
    // Made directly, a deep key gets every key above it, without recursion.
    RegistryStore store;
    std::string path = "HKEY_CURRENT_USER";
    for (int i = 0; i < 20000; ++i) path += "\\b";
    EXPECT_TRUE(store.create(path).second);
    EXPECT_TRUE(store.find("HKEY_CURRENT_USER\\b\\b"));
    const std::string found = std::string(TOLM_SOURCE_DIR) + "/../shared/testdata/repro/registry-key-100000-deep.txt";
    if (!std::filesystem::exists(found)) GTEST_SKIP() << "no shared reproducer at " << found;
    std::ifstream in(found, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_THROW(RegistryStore::parse(text), StoreDamaged);
}

TEST(RegistryStoreFormat, DamagedTextIsRefusedWithTheLine) {
    const std::string good_start = "TOLM-REGISTRY 1\nkey \"HKEY_CURRENT_USER\\\\X\"\n";
    const std::vector<std::string> damaged = {
        "garbage\n",
        good_start,                                          // cut short: no end line
        good_start + "end",                                  // cut short: no final line end
        good_start + "value \"a\" 1 \"\\q\"\nend\n",         // unknown escape
        good_start + "value \"a\" x \"\"\nend\n",            // no type
        good_start + "value \"a\" 99999999999 \"\"\nend\n",  // type out of range
        good_start + "value \"a\" 1 \"unterminated\nend\n",
        good_start + "value \"a\" 1 \"\"\nvalue \"A\" 1 \"\"\nend\n",  // value twice
        "TOLM-REGISTRY 1\nvalue \"a\" 1 \"\"\nend\n",                  // value before any key
        "TOLM-REGISTRY 1\nkey \"HKEY_NOWHERE\\\\X\"\nend\n",
        "TOLM-REGISTRY 1\nkey \"HKEY_CLASSES_ROOT\\\\X\"\nend\n",      // stored under its real home
        good_start + "key \"HKEY_CURRENT_USER\\\\x\"\nend\n",          // key twice
        good_start + "end\nmore\n",
        std::string("TOLM-REGISTRY 1\n\0\xff", 18),
    };
    for (const auto& text : damaged) {
        EXPECT_THROW(RegistryStore::parse(text), StoreDamaged) << text;
    }
    try {
        RegistryStore::parse(good_start + "value \"a\" 1 \"\\q\"\nend\n");
    } catch (const StoreDamaged& e) {
        EXPECT_NE(std::string(e.what()).find("line 3"), std::string::npos) << e.what();
    }
    EXPECT_EQ(RegistryStore::parse(""), RegistryStore());
}

TEST_F(RegistryStoreFileTest, DamagedStoreIsReportedAndNeverOverwritten) {
    const std::string damaged = "TOLM-REGISTRY 1\nkey \"HKEY_CURRENT_USER\\\\Software\"\nvalue \"keep me\" 1 \"x";
    tolm::test::write_bytes(m_file, damaged);
    reg::Key key = 0;
    EXPECT_EQ(reg::open_key(reg::HKEY_CURRENT_USER, "Software", reg::KEY_QUERY_VALUE, key), reg::ERROR_BADDB);
    EXPECT_EQ(reg::create_key(reg::HKEY_CURRENT_USER, "Software\\New", reg::KEY_ALL_ACCESS_CLASSIC, key),
              reg::ERROR_BADDB);
    EXPECT_FALSE(reg::write_string(reg::HKEY_CURRENT_USER, "Software", "x", "y"));
    std::string text;
    EXPECT_FALSE(reg::read_string(reg::HKEY_CURRENT_USER, "Software", "keep me", text));
    EXPECT_EQ(tolm::test::read_bytes(m_file), damaged);
    auto problem = reg::detail::last_store_problem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find(m_file), std::string::npos);
    EXPECT_NE(problem->find("damaged"), std::string::npos);
}

TEST_F(RegistryStoreFileTest, WritesReplaceTheFileAndLeaveNothingBeside) {
    ASSERT_TRUE(reg::write_string(reg::HKEY_CLASSES_ROOT, ".tolm", "", "TolmServer7.Map"));
    std::string text;
    // The classes root is a view of the machine's classes key, as on Windows.
    EXPECT_TRUE(reg::read_string(reg::HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.tolm", "", text));
    EXPECT_EQ(text, "TolmServer7.Map");
    RegistryStore stored = RegistryStore::parse(tolm::test::read_bytes(m_file));
    EXPECT_NE(stored.find("HKEY_LOCAL_MACHINE\\Software\\Classes\\.tolm"), nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(m_folder.path())) {
        std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "registry.txt" || name == "registry.txt.lock") << name;
    }
}

TEST_F(RegistryStoreFileTest, ReadOnlyStoreIsNotReplaced) {
    ASSERT_TRUE(reg::write_string(reg::HKEY_CURRENT_USER, "Software\\X", "a", "1"));
    std::string before = tolm::test::read_bytes(m_file);
    ::chmod(m_file.c_str(), 0444);
    if (::access(m_file.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights that ignore file modes";
    EXPECT_FALSE(reg::write_string(reg::HKEY_CURRENT_USER, "Software\\X", "a", "2"));
    EXPECT_EQ(tolm::test::read_bytes(m_file), before);
}

// A disk that fails any step of a store write (a full disk, an I/O error, a refused rename) leaves
// the previous store as it was and reports the write as failed.
TEST_F(RegistryStoreFileTest, AFailedWriteAtAnyStepKeepsThePreviousStore) {
    namespace faults = tolm::platform::detail;
    using tolm::platform::FileStep;
    ASSERT_TRUE(reg::write_string(reg::HKEY_CURRENT_USER, "Software\\X", "a", "1"));
    const std::string before = tolm::test::read_bytes(m_file);
    for (const auto& [step, error] : {std::pair{FileStep::open, std::errc::permission_denied},
                                      std::pair{FileStep::write, std::errc::no_space_on_device},
                                      std::pair{FileStep::sync, std::errc::io_error},
                                      std::pair{FileStep::rename, std::errc::io_error}}) {
        faults::inject_file_fault_for_testing({step, error});
        EXPECT_FALSE(reg::write_string(reg::HKEY_CURRENT_USER, "Software\\X", "a", "2")) << static_cast<int>(step);
        faults::clear_file_faults_for_testing();
        EXPECT_EQ(tolm::test::read_bytes(m_file), before) << static_cast<int>(step);
        for (const auto& entry : std::filesystem::directory_iterator(m_folder.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name == "registry.txt" || name == "registry.txt.lock") << name;
        }
    }
    EXPECT_TRUE(reg::write_string(reg::HKEY_CURRENT_USER, "Software\\X", "a", "2"));
}

TEST_F(RegistryStoreFileTest, StoreFileLocation) {
    EXPECT_EQ(reg::detail::store_file_path(), m_file);
    ::unsetenv("TOLM_REGISTRY_FILE");
    std::string config = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    ::setenv("XDG_CONFIG_HOME", "/somewhere", 1);
    EXPECT_EQ(reg::detail::store_file_path(), "/somewhere/tolm/registry.txt");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(reg::detail::store_file_path(), std::string(std::getenv("HOME")) + "/.config/tolm/registry.txt");
    if (!config.empty()) ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
}

TEST_F(RegistryStoreFileTest, TwoProcessesWritingLoseNothing) {
    constexpr int k_writes = 40;
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            bool ok = true;
            for (int i = 0; i < k_writes; ++i)
                ok = reg::write_string(reg::HKEY_CURRENT_USER, "Software\\Shared",
                                       "p" + std::to_string(child) + "_" + std::to_string(i), std::to_string(i)) && ok;
            ::_exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    RegistryStore store = RegistryStore::parse(tolm::test::read_bytes(m_file));
    const auto* shared = store.find("HKEY_CURRENT_USER\\Software\\Shared");
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(shared->values.size(), 2u * k_writes);
}

}  // namespace

#endif
