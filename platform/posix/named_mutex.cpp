#include "platform/named_mutex.h"

#include "platform/process_services.h"


namespace tolm::platform {

// Linux has no named mutexes of this kind; the marker lives in the process for as long as it runs,
// shared by every module loaded into it (platform/process_services.h).
MutexCreation create_named_mutex(const std::string& name) {
    // An unnamed mutex is private to its creator: it is never "existing".
    if (name.empty()) return MutexCreation::created;
    return process_services().mark_mutex(name) ? MutexCreation::created : MutexCreation::opened_existing;
}

bool named_mutex_exists(const std::string& name) { return process_services().mutex_marked(name); }

}  // namespace tolm::platform
