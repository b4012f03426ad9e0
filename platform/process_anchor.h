#pragma once

// One object per process for a given name. The server library and the program that loads it each
// carry their own copy of the platform code, but what the operating system has once per process (the
// window system with its top-level windows and dialogs, the table of device contexts, named
// mutexes) must exist once: a picture box's hDC made by the host has to mean the same surface to the
// engine inside the library, and the answers a host scripts for the library's dialogs have to reach
// them. The first module that asks for a name creates its object; every later asker, from any module,
// gets the same one. Objects live until the process ends.
namespace tolm::platform {

// The process's object of that name, made by create() on first use. Names are at most 63 characters.
void* process_anchor(const char* name, void* (*create)());

// The same for a type: T must be the same definition in every module (the same source in one build),
// since modules share its layout.
template <typename T>
T& process_shared(const char* name) {
    return *static_cast<T*>(process_anchor(name, []() -> void* { return new T(); }));
}

namespace detail {
// Where the process keeps the address of its anchor table: an environment entry of this process
// (the one store every module of a process shares), tagged with the process id so that a child
// process that inherits the environment never takes its parent's address.
const char* read_anchor_entry();
void write_anchor_entry(const char* value);
unsigned long current_process_id();
}  // namespace detail

}  // namespace tolm::platform
