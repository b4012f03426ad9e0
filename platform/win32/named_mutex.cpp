#include "platform/named_mutex.h"
#include "platform/text.h"

#include <windows.h>

namespace tolm::platform {

MutexCreation create_named_mutex(const std::string& name) {
    const std::string ansi = utf8_to_ansi(name);
    HANDLE handle = CreateMutexA(nullptr, FALSE, name.empty() ? nullptr : ansi.c_str());
    if (!handle) return MutexCreation::failed;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    // The handle stays open for the life of the process: that is what keeps the mutex alive.
    return existed ? MutexCreation::opened_existing : MutexCreation::created;
}

bool named_mutex_exists(const std::string& name) {
    if (name.empty()) return false;
    HANDLE handle = OpenMutexA(SYNCHRONIZE, FALSE, utf8_to_ansi(name).c_str());
    if (!handle) return false;
    CloseHandle(handle);
    return true;
}

}  // namespace tolm::platform
