#include "platform/process_anchor.h"

#include <stdlib.h>
#include <unistd.h>

namespace tolm::platform::detail {

namespace {
const char* const k_variable = "TOLM_PROCESS_ANCHOR";
}

const char* read_anchor_entry() { return getenv(k_variable); }
void write_anchor_entry(const char* value) { setenv(k_variable, value, 1); }
unsigned long current_process_id() { return static_cast<unsigned long>(getpid()); }

}  // namespace tolm::platform::detail
