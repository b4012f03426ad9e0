#pragma once

#include <string>

// Named mutexes, the way the server marks that it runs in a process.
namespace tolm::platform {

enum class MutexCreation { created, opened_existing, failed };

// CreateMutexA(default security, not owned, name). The handle is neither kept nor closed: the mutex
// lives as long as the process. A second creation of the same name opens the existing mutex. On Linux
// the mutex is a marker held for the life of the process.
MutexCreation create_named_mutex(const std::string& name);

// True while a mutex of that name exists (on Linux: was made in this process).
bool named_mutex_exists(const std::string& name);

}  // namespace tolm::platform
