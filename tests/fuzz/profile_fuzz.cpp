// The private-profile (INI) reader: any bytes parse; what is written back reads the same; every
// section and key the reader lists is found by its own name; the file functions agree with it.
#include "fuzz_support.h"
#include "platform/posix/profile_file.h"
#include "platform/profile.h"

#include <vector>

namespace pd = tolm::platform::profile::detail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bytes = tolm::fuzz::bytes_of(data, size);
    const auto document = pd::ProfileDocument::parse(bytes);
    const std::string written = document.serialize();
    const auto again = pd::ProfileDocument::parse(written);
    tolm::fuzz::check(again.serialize() == written, "a written profile reads back as written");
    tolm::fuzz::check(again.section_names() == document.section_names(), "a written profile keeps its sections");

    for (const std::string& name : document.section_names()) {
        const auto section = document.find_section(name);
        tolm::fuzz::check(section.has_value(), "a listed section is found by its name");
        for (const std::string& key : document.key_names(*section))
            tolm::fuzz::check(document.find_key(*section, key).has_value(), "a listed key is found by its name");
    }

    // The file functions over the same bytes: listing and reading stay within the buffer.
    const std::string file = tolm::fuzz::write_input("fuzz.ini", bytes);
    std::vector<char> buffer(256);
    tolm::platform::profile::get_string(std::nullopt, std::nullopt, "", buffer.data(), 256, file);
    const auto names = document.section_names();
    if (!names.empty()) {
        tolm::platform::profile::get_string(names.front(), std::nullopt, "", buffer.data(), 256, file);
        tolm::platform::profile::get_string(names.front(), "KEY", "default", buffer.data(), 3, file);
        tolm::platform::profile::write_string(names.front(), "KEY", "value", file);
    }
    return 0;
}
