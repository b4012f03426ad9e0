#include "platform/posix/profile_file.h"

#include "platform/atomic_file.h"
#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

// Linux stands in for GetPrivateProfileStringA and WritePrivateProfileStringA. What the client and
// the settings files rely on, and what this file keeps:
// - section and key names match without regard to case, and blanks around them in the file do not
//   count; of repeated sections and of repeated keys in a section only the first is seen;
// - a value read loses the blanks at its ends and then one pair of matching enclosing quotes,
//   which is how an empty value or one with blanks at its ends survives the trip through the file;
// - a line without "=" is a key without a value (it reads as the default and is not listed), a line
//   whose name starts with ";" is a comment (it is not listed, but can still be read by that name);
// - writes change the first matching line in place, add a new key after the last line of its
//   section and a new section at the end of the file, and every line is written with CR LF.
namespace tolm::platform::profile {

namespace detail {

namespace {

bool is_profile_blank(char c) noexcept { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

// Upper case in Windows-1252: ASCII letters, the accented letters E0-FE (but the division sign)
// and the four letters whose capitals lie in the 8x block.
unsigned char fold_ansi(unsigned char c) noexcept {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    switch (c) {
        case 0x9A: return 0x8A;
        case 0x9C: return 0x8C;
        case 0x9E: return 0x8E;
        case 0xFF: return 0x9F;
        default: return c;
    }
}

std::string_view trim_left(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size() && is_profile_blank(text[i])) ++i;
    return text.substr(i);
}

// A name or value as the profile functions see it: nothing after a NUL byte, and then without the
// blanks around it, so that a listed name is found again by itself.
std::string visible_text(std::string_view text) {
    return std::string(trim_profile_blanks(text.substr(0, text.find('\0'))));
}

ProfileLine classify(std::string raw) {
    ProfileLine line;
    std::string_view body = trim_profile_blanks(raw);
    if (body.empty()) {
        line.kind = LineKind::other;
    } else if (body.front() == '[' && body.find(']') != std::string_view::npos) {
        // Whatever follows the last "]" on a section line is ignored, as Windows does.
        line.kind = LineKind::section;
        auto close = body.rfind(']');
        line.name = visible_text(body.substr(1, close - 1));
    } else {
        line.kind = LineKind::entry;
        auto eq = body.find('=');
        if (eq == std::string_view::npos) {
            line.name = visible_text(body);
        } else {
            line.name = visible_text(body.substr(0, eq));
            line.value = visible_text(body.substr(eq + 1));
        }
    }
    line.raw = std::move(raw);
    return line;
}

ProfileLine make_entry(std::string_view key, std::string_view value) {
    std::string raw(key);
    raw += '=';
    raw += value;
    return classify(std::move(raw));
}

std::atomic<unsigned> g_temp_counter{0};

}  // namespace

bool names_equal(std::string_view a, std::string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (fold_ansi(static_cast<unsigned char>(a[i])) != fold_ansi(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

std::string_view trim_profile_blanks(std::string_view text) noexcept {
    text = trim_left(text);
    while (!text.empty() && is_profile_blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view strip_enclosing_quotes(std::string_view text) noexcept {
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return text.substr(1, text.size() - 2);
    return text;
}

ProfileDocument ProfileDocument::parse(std::string_view bytes) {
    ProfileDocument doc;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        doc.m_utf8_bom = true;
        bytes.remove_prefix(3);
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            doc.m_lines.push_back(classify(std::string(bytes.substr(start))));
            break;
        }
        doc.m_lines.push_back(classify(std::string(bytes.substr(start, end - start))));
        start = end + 1;
        if (bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') ++start;
    }
    return doc;
}

std::string ProfileDocument::serialize() const {
    std::string out;
    if (m_utf8_bom) out = "\xEF\xBB\xBF";
    for (const auto& line : m_lines) {
        out += line.raw;
        out += "\r\n";
    }
    return out;
}

std::optional<std::size_t> ProfileDocument::find_section(std::string_view name) const {
    name = trim_profile_blanks(name);
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        if (m_lines[i].kind == LineKind::section && names_equal(m_lines[i].name, name)) return i;
    }
    return std::nullopt;
}

std::size_t ProfileDocument::section_end(std::size_t section_index) const {
    std::size_t i = section_index + 1;
    while (i < m_lines.size() && m_lines[i].kind != LineKind::section) ++i;
    return i;
}

std::optional<std::size_t> ProfileDocument::find_key(std::size_t section_index, std::string_view name) const {
    name = trim_profile_blanks(name);
    std::size_t end = section_end(section_index);
    for (std::size_t i = section_index + 1; i < end; ++i) {
        if (m_lines[i].kind == LineKind::entry && names_equal(m_lines[i].name, name)) return i;
    }
    return std::nullopt;
}

std::vector<std::string> ProfileDocument::section_names() const {
    std::vector<std::string> names;
    for (const auto& line : m_lines) {
        if (line.kind == LineKind::section && !line.name.empty()) names.push_back(line.name);
    }
    return names;
}

std::vector<std::string> ProfileDocument::key_names(std::size_t section_index) const {
    std::vector<std::string> names;
    std::size_t end = section_end(section_index);
    for (std::size_t i = section_index + 1; i < end; ++i) {
        const auto& line = m_lines[i];
        if (line.kind != LineKind::entry || !line.value) continue;
        if (!line.name.empty() && line.name.front() == ';') continue;
        names.push_back(line.name);
    }
    return names;
}

void ProfileDocument::set_value(std::string_view section, std::string_view key, std::string_view value) {
    value = trim_left(value);
    auto section_index = find_section(section);
    if (!section_index) {
        std::string header = "[";
        header += trim_left(section);
        header += ']';
        m_lines.push_back(classify(std::move(header)));
        m_lines.push_back(make_entry(trim_left(key), value));
        return;
    }
    if (auto key_index = find_key(*section_index, key)) {
        ProfileLine& line = m_lines[*key_index];
        line = make_entry(line.name, value);
        return;
    }
    // A new key goes after the section's last non-blank line, so blank lines that separate it from
    // the next section stay where they are.
    std::size_t insert_at = section_end(*section_index);
    while (insert_at > *section_index + 1 && m_lines[insert_at - 1].kind == LineKind::other) --insert_at;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(insert_at), make_entry(trim_left(key), value));
}

bool ProfileDocument::delete_key(std::string_view section, std::string_view key) {
    auto section_index = find_section(section);
    if (!section_index) return false;
    auto key_index = find_key(*section_index, key);
    if (!key_index) return false;
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*key_index));
    return true;
}

bool ProfileDocument::delete_section(std::string_view section) {
    auto section_index = find_section(section);
    if (!section_index) return false;
    std::size_t end = section_end(*section_index);
    m_lines.erase(m_lines.begin() + static_cast<std::ptrdiff_t>(*section_index),
                  m_lines.begin() + static_cast<std::ptrdiff_t>(end));
    return true;
}

std::optional<std::string> read_file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::move(contents).str();
}

bool replace_file_contents(const std::string& path, std::string_view bytes) {
    struct stat old_stat {};
    bool existed = ::stat(path.c_str(), &old_stat) == 0;
    // rename() would happily replace a read-only file in a writable folder; Windows refuses to
    // write such a file, and so do we.
    if (existed && ::access(path.c_str(), W_OK) != 0) return false;

    std::string temp = path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(g_temp_counter++);
    // The test fault table (platform/atomic_file.h) may fail any step, as a full or failing disk would.
    namespace faults = platform::detail;
    if (faults::injected_file_fault(platform::FileStep::open)) return false;
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return false;
    bool ok = !faults::injected_file_fault(platform::FileStep::write);
    if (ok && existed) ok = ::fchmod(fd, old_stat.st_mode & 07777) == 0;
    const char* data = bytes.data();
    std::size_t left = bytes.size();
    while (ok && left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    if (ok) ok = !faults::injected_file_fault(platform::FileStep::sync) && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok) ok = !faults::injected_file_fault(platform::FileStep::rename) && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    std::string folder = path.substr(0, path.rfind('/') == std::string::npos ? 0 : path.rfind('/'));
    int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace detail

namespace {

// Copies one string with its NUL, cut to the buffer; returns the characters copied.
std::uint32_t copy_text(std::string_view text, char* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    std::size_t count = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
    return static_cast<std::uint32_t>(count);
}

// Copies names each ended by NUL, with a final NUL. When the list does not fit, the last name is
// cut and followed by two NULs, and the count is the buffer size minus two. A list that fills the
// buffer exactly counts as cut too: Windows wants a spare character before it reports the whole list.
std::uint32_t copy_list(const std::vector<std::string>& names, char* buffer, std::uint32_t size) {
    if (size == 0) return 0;
    std::string full;
    for (const auto& name : names) {
        full += name;
        full += '\0';
    }
    full += '\0';
    if (full.size() < size) {
        std::memcpy(buffer, full.data(), full.size());
        return static_cast<std::uint32_t>(full.size() - 1);
    }
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    std::memcpy(buffer, full.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

std::uint32_t copy_default(std::string_view default_value, char* buffer, std::uint32_t size) {
    // Trailing blanks of the default are dropped; its enclosing quotes too, as for stored values.
    while (!default_value.empty() && default_value.back() == ' ') default_value.remove_suffix(1);
    return copy_text(detail::strip_enclosing_quotes(default_value), buffer, size);
}

}  // namespace

std::uint32_t get_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                         const std::string& default_value, char* buffer, std::uint32_t size,
                         const std::string& file) {
    if (!buffer || size == 0) return 0;
    auto bytes = detail::read_file_bytes(file);
    auto doc = detail::ProfileDocument::parse(bytes ? std::string_view(*bytes) : std::string_view());

    if (!section) return copy_list(doc.section_names(), buffer, size);

    auto section_index = doc.find_section(*section);
    if (!key) {
        std::uint32_t count = 0;
        if (section_index) count = copy_list(doc.key_names(*section_index), buffer, size);
        // An empty or missing section gives the default instead of an empty list.
        if (!section_index || buffer[0] == '\0') count = copy_default(default_value, buffer, size);
        return count;
    }

    if (section_index) {
        if (auto key_index = doc.find_key(*section_index, *key)) {
            const auto& value = doc.lines()[*key_index].value;
            if (value) return copy_text(detail::strip_enclosing_quotes(*value), buffer, size);
        }
    }
    return copy_default(default_value, buffer, size);
}

bool write_string(const std::optional<std::string>& section, const std::optional<std::string>& key,
                  const std::optional<std::string>& value, const std::string& file) {
    if (!section) return !key && !value;  // Windows' "flush the cache" call: nothing is cached here
    auto bytes = detail::read_file_bytes(file);
    auto doc = detail::ProfileDocument::parse(bytes ? std::string_view(*bytes) : std::string_view());

    if (!key || !value) {
        // Deleting from a missing file, section or key succeeds and creates nothing.
        bool changed = !key ? doc.delete_section(*section) : doc.delete_key(*section, *key);
        if (!changed) return true;
    } else {
        doc.set_value(*section, *key, *value);
    }
    return detail::replace_file_contents(file, doc.serialize());
}

}  // namespace tolm::platform::profile
