// The engine's settings file: any bytes parse; the text written back reads to the same text, and a
// value set is found again.
#include "fuzz_support.h"
#include "engine/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tolm::engine::SettingsFile;
    SettingsFile settings = SettingsFile::parse(std::string(tolm::fuzz::bytes_of(data, size)));
    const std::string written = settings.text();
    tolm::fuzz::check(SettingsFile::parse(written).text() == written, "written settings read back as written");
    settings.set("Visible", "WIDTH", "640");
    tolm::fuzz::check(settings.get("visible", "width") == "640", "a value set is found again");
    return 0;
}
