#include "server/text_file.h"

#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace tolm::server {

namespace {

const char* const k_source = "TolmServer7";

}  // namespace

std::filesystem::path file_system_path(const std::string& utf8_path) { return platform::path_from_utf8(utf8_path); }

std::vector<std::string> read_text_lines(const std::string& path) {
    std::ifstream in(file_system_path(path), std::ios::binary);
    if (!in) raise_runtime_error(runtime_errors::file_not_found, k_source);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) raise_runtime_error(runtime_errors::path_file_access_error, k_source);

    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.push_back(ansi_to_utf8(line));
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(ansi_to_utf8(line));
    return lines;
}

void write_text_lines_replacing(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const auto& line : lines) bytes += utf8_to_ansi(line) + "\r\n";
    const std::error_code error = platform::replace_file_contents(file_system_path(path), bytes);
    if (error == std::errc::no_such_file_or_directory) raise_runtime_error(runtime_errors::path_not_found, k_source);
    if (error) raise_runtime_error(runtime_errors::path_file_access_error, k_source);
}

bool write_text_lines_if_changed(const std::string& path, const std::vector<std::string>& lines) {
    std::string wanted;
    for (const auto& line : lines) wanted += utf8_to_ansi(line) + "\r\n";
    {
        std::ifstream in(file_system_path(path), std::ios::binary);
        if (in) {
            std::string present(wanted.size() + 1, '\0');
            in.read(present.data(), static_cast<std::streamsize>(present.size()));
            if (static_cast<std::size_t>(in.gcount()) == wanted.size() && present.compare(0, wanted.size(), wanted) == 0)
                return false;
        }
    }
    write_text_lines_replacing(path, lines);
    return true;
}

}  // namespace tolm::server
