#include "platform/named_mutex.h"

#include "platform/process_anchor.h"

#include <set>

namespace tolm::platform {

namespace {

// Linux has no named mutexes of this kind; the marker lives in the process for as long as it runs,
// shared by every module loaded into it.
struct MutexTable {
    std::set<std::string> names;
};

MutexTable& mutexes() { return process_shared<MutexTable>("tolm.named_mutexes"); }

}  // namespace

MutexCreation create_named_mutex(const std::string& name) {
    // An unnamed mutex is private to its creator: it is never "existing".
    if (name.empty()) return MutexCreation::created;
    return mutexes().names.insert(name).second ? MutexCreation::created : MutexCreation::opened_existing;
}

bool named_mutex_exists(const std::string& name) { return mutexes().names.count(name) != 0; }

}  // namespace tolm::platform
