#include "tools/tolm-import/atomic_file.h"

#include "tools/tolm-import/import_error.h"

#include "platform/atomic_file.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tolm::importer {

void write_file_atomically(const std::string& path, std::string_view bytes) {
    if (const std::error_code error = platform::replace_file_contents(std::filesystem::path(path), bytes))
        throw ImportError("cannot write \"" + path + "\": " + platform::file_error_text(error));
}

std::string read_whole_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ImportError("cannot open \"" + path + "\"");
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) throw ImportError("cannot read \"" + path + "\"");
    return std::move(bytes).str();
}

}  // namespace tolm::importer
