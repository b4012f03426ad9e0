// The registry store file: anything not a store is refused as damaged; a store that is read writes
// back to the same store.
#include "fuzz_support.h"
#include "platform/posix/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using tolm::platform::registry::detail::RegistryStore;
    try {
        const RegistryStore store = RegistryStore::parse(tolm::fuzz::bytes_of(data, size));
        const std::string written = store.serialize();
        tolm::fuzz::check(RegistryStore::parse(written) == store, "a written store reads back as the same store");
    } catch (const tolm::platform::registry::detail::StoreDamaged&) {
    }
    return 0;
}
