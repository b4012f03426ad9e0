#include "import_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>

namespace tolm::importer::testing {

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "." + info->name() : "scratch";
    m_path = std::filesystem::path(TOLM_BINARY_DIR) / "test-scratch" / "tolm-import" / (name + "-" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string ScratchFolder::write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path target = m_path / name;
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out << bytes;
    return target.string();
}

std::string testdata_folder() {
    std::filesystem::path folder = std::filesystem::path(TOLM_SOURCE_DIR) / ".." / "shared" / "testdata";
    return std::filesystem::is_directory(folder) ? folder.lexically_normal().string() : std::string();
}

}  // namespace tolm::importer::testing
