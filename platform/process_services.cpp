#include "platform/process_services.h"

#include "platform/window_system.h"

#include <algorithm>
#include <map>
#include <mutex>
#include <set>
#include <utility>
#include <vector>

namespace tolm::platform {

// One lock for the whole object: every operation is a few lookups, and a host's thread and the
// server's may ask at once.
struct ProcessServices::State {
    mutable std::mutex mutex;

    WindowSystem* installed = nullptr;
    WindowSystem* fallback = nullptr;

    std::map<std::intptr_t, std::shared_ptr<RasterSurface>> surfaces;
    std::intptr_t next_surface = 0x5C00;

    std::set<std::string> mutex_names;

    std::vector<forms::Form*> activation_order;
    std::int32_t pointer_shape = mouse_pointer::default_pointer;
};

ProcessServices::ProcessServices() : m_state(std::make_unique<State>()) {}

ProcessServices::~ProcessServices() = default;

ProcessServices& process_services() {
    // Never destroyed: modules' static objects may still reach it while the process exits.
    static ProcessServices* const services = new ProcessServices();
    return *services;
}

WindowSystem* ProcessServices::installed_window_system() const noexcept {
    std::lock_guard lock(m_state->mutex);
    return m_state->installed;
}

WindowSystem* ProcessServices::install_window_system(WindowSystem* system) noexcept {
    std::lock_guard lock(m_state->mutex);
    return std::exchange(m_state->installed, system);
}

WindowSystem& ProcessServices::default_window_system(WindowSystem* (*make)()) {
    std::lock_guard lock(m_state->mutex);
    if (!m_state->fallback) m_state->fallback = make();
    return *m_state->fallback;
}

std::intptr_t ProcessServices::register_surface(std::shared_ptr<RasterSurface> surface) {
    std::lock_guard lock(m_state->mutex);
    const std::intptr_t handle = m_state->next_surface;
    m_state->surfaces.emplace(handle, std::move(surface));
    m_state->next_surface += 4;
    return handle;
}

std::shared_ptr<RasterSurface> ProcessServices::find_surface(std::intptr_t hdc) const {
    std::lock_guard lock(m_state->mutex);
    const auto it = m_state->surfaces.find(hdc);
    return it == m_state->surfaces.end() ? nullptr : it->second;
}

void ProcessServices::unregister_surface(std::intptr_t hdc) {
    std::shared_ptr<RasterSurface> released;
    {
        std::lock_guard lock(m_state->mutex);
        const auto it = m_state->surfaces.find(hdc);
        if (it == m_state->surfaces.end()) return;
        released = std::move(it->second);
        m_state->surfaces.erase(it);
    }
    // The last reference may free the pixels here, outside the lock.
}

bool ProcessServices::mark_mutex(const std::string& name) {
    std::lock_guard lock(m_state->mutex);
    return m_state->mutex_names.insert(name).second;
}

bool ProcessServices::mutex_marked(const std::string& name) const {
    std::lock_guard lock(m_state->mutex);
    return m_state->mutex_names.count(name) != 0;
}

void ProcessServices::form_activated(forms::Form* form) {
    std::lock_guard lock(m_state->mutex);
    auto& order = m_state->activation_order;
    order.erase(std::remove(order.begin(), order.end(), form), order.end());
    order.push_back(form);
}

void ProcessServices::form_deactivated(forms::Form* form) noexcept {
    std::lock_guard lock(m_state->mutex);
    auto& order = m_state->activation_order;
    order.erase(std::remove(order.begin(), order.end(), form), order.end());
}

forms::Form* ProcessServices::active_form() const noexcept {
    std::lock_guard lock(m_state->mutex);
    return m_state->activation_order.empty() ? nullptr : m_state->activation_order.back();
}

std::int32_t ProcessServices::mouse_pointer() const noexcept {
    std::lock_guard lock(m_state->mutex);
    return m_state->pointer_shape;
}

void ProcessServices::set_mouse_pointer(std::int32_t pointer) noexcept {
    std::lock_guard lock(m_state->mutex);
    m_state->pointer_shape = pointer;
}

}  // namespace tolm::platform
