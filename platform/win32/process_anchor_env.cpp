#include "platform/process_anchor.h"

#include <windows.h>

namespace tolm::platform::detail {

namespace {
const char* const k_variable = "TOLM_PROCESS_ANCHOR";
}

const char* read_anchor_entry() {
    // The entry is read once per module, at its first use of the table.
    static thread_local char buffer[64];
    DWORD length = GetEnvironmentVariableA(k_variable, buffer, sizeof buffer);
    return length > 0 && length < sizeof buffer ? buffer : nullptr;
}
void write_anchor_entry(const char* value) { SetEnvironmentVariableA(k_variable, value); }
unsigned long current_process_id() { return static_cast<unsigned long>(GetCurrentProcessId()); }

}  // namespace tolm::platform::detail
