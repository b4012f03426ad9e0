#pragma once

#include "tools/tolm-import/progress.h"

#include <filesystem>
#include <sstream>
#include <string>

namespace tolm::importer::testing {

// A fresh folder under the build tree for one test, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return m_path; }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path m_path;
};

// The shared sample data (OSM extracts, a TIGER county), or empty when this checkout has none.
std::string testdata_folder();

// Progress that keeps its lines for the test to look at.
struct RecordedProgress {
    std::ostringstream lines;
    Progress progress{lines, true};
};

}  // namespace tolm::importer::testing
