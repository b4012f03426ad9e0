#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Plain text files as the client and Windows tools read and write them: ANSI code page on disk,
// UTF-8 inside the program, CR LF line ends written. Each call opens, reads or writes, and closes.
namespace tolm::server {

// A UTF-8 path as the file system wants it (wide on Windows, bytes elsewhere).
std::filesystem::path file_system_path(const std::string& utf8_path);

// The file's lines, converted to UTF-8. Lines end at CR LF, at a lone CR and at a lone LF; a final
// line without an end is kept. Raises the runtime's file-not-found or path/file-access error when
// the file cannot be opened or read.
std::vector<std::string> read_text_lines(const std::string& path);

// Replaces the file with these lines, each ended by CR LF, in the ANSI code page. The text is written
// beside the file first and then renamed over it, so a reader never sees half a file and a failed
// write leaves the old file as it was. Raises path-not-found or path/file-access error on failure.
void write_text_lines_replacing(const std::string& path, const std::vector<std::string>& lines);

// As write_text_lines_replacing, but leaves the file alone when it already holds exactly these lines,
// so that redrawing the same map costs no disk write. Returns true when the file was written.
bool write_text_lines_if_changed(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tolm::server
