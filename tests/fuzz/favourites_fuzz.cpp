// The favourites file: any bytes load as entries within the bounds; saving them and loading again
// gives the same list, and an add appends exactly one entry.
#include "fuzz_support.h"
#include "server/favourites.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace fav = tolm::server::favourites;
    const std::string file = tolm::fuzz::write_input("fuzz.fav", tolm::fuzz::bytes_of(data, size));
    tolm::StringArray entries;
    fav::load(file, entries);
    tolm::fuzz::check(entries.items.size() <= fav::k_max_entries, "no more entries than the limit");

    fav::save(file, entries);
    tolm::StringArray again;
    fav::load(file, again);
    tolm::fuzz::check(again.items == entries.items, "saved favourites load back as they were");

    if (entries.items.size() < fav::k_max_entries) {
        fav::add(file, "added");
        tolm::StringArray added;
        fav::load(file, added);
        tolm::fuzz::check(added.items.size() == entries.items.size() + 1 && added.items.back() == "added",
                          "an add appends one whole entry");
    }
    return 0;
}
