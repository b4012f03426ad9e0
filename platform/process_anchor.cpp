#include "platform/process_anchor.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tolm::platform {

namespace {

constexpr std::uint32_t k_magic = 0x544F4C4Du;  // "TOLM"
constexpr std::uint32_t k_version = 1;
constexpr std::size_t k_slots = 64;
constexpr std::size_t k_name_size = 64;

struct Entry {
    char name[k_name_size];
    void* object;
};

// Plain data only: every module reads it with its own copy of this code.
struct AnchorTable {
    std::uint32_t magic;
    std::uint32_t version;
    std::atomic<int> busy;
    Entry entries[k_slots];
};

// A lock that lives inside the table, so every module takes the same one.
class TableLock {
public:
    explicit TableLock(AnchorTable& table) : m_table(table) {
        int expected = 0;
        while (!m_table.busy.compare_exchange_weak(expected, 1, std::memory_order_acquire)) expected = 0;
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    ~TableLock() { m_table.busy.store(0, std::memory_order_release); }

private:
    AnchorTable& m_table;
};

AnchorTable* table_from_entry(const char* entry) {
    if (!entry) return nullptr;
    unsigned long pid = 0;
    unsigned long long address = 0;
    if (std::sscanf(entry, "%lu:%llx", &pid, &address) != 2 || pid != detail::current_process_id()) return nullptr;
    auto* table = reinterpret_cast<AnchorTable*>(static_cast<std::uintptr_t>(address));
    if (!table || table->magic != k_magic || table->version != k_version) return nullptr;
    return table;
}

AnchorTable& anchor_table() {
    // Cached per module; the process-wide truth is the environment entry.
    static AnchorTable* cached = [] {
        if (AnchorTable* existing = table_from_entry(detail::read_anchor_entry())) return existing;
        auto* table = new AnchorTable{};
        table->magic = k_magic;
        table->version = k_version;
        table->busy.store(0);
        char value[64];
        std::snprintf(value, sizeof value, "%lu:%llx", detail::current_process_id(),
                      static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(table)));
        detail::write_anchor_entry(value);
        return table;
    }();
    return *cached;
}

}  // namespace

void* process_anchor(const char* name, void* (*create)()) {
    if (!name || std::strlen(name) >= k_name_size) throw std::invalid_argument("process anchor name too long");
    AnchorTable& table = anchor_table();
    TableLock lock(table);
    for (auto& entry : table.entries) {
        if (entry.name[0] == '\0') {
            std::memcpy(entry.name, name, std::strlen(name) + 1);
            entry.object = create();
            return entry.object;
        }
        if (std::strcmp(entry.name, name) == 0) return entry.object;
    }
    throw std::length_error("process anchor table full");
}

}  // namespace tolm::platform
