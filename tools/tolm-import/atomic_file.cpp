#include "tools/tolm-import/atomic_file.h"

#include "tools/tolm-import/import_error.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace tolm::importer {

void write_file_atomically(const std::string& path, std::string_view bytes) {
    const std::filesystem::path target(path);
    std::filesystem::path temporary = target;
    temporary += ".writing";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) throw ImportError("cannot create \"" + temporary.string() + "\"");
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ImportError("cannot write \"" + temporary.string() + "\" (disk full?)");
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw ImportError("cannot replace \"" + path + "\": " + error.message());
    }
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
