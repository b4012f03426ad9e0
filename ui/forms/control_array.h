#pragma once

#include "platform/runtime_error.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>

// A control array: controls or menu items sharing one name, told apart by an index. The elements made
// at design time always exist; more are loaded and unloaded at run time (Load and Unload), each new
// element taking its properties from the element with the lowest index.
namespace tolm::forms {

class Form;
class Menu;

namespace control_array_errors {
constexpr std::int32_t element_does_not_exist = 340;
constexpr std::int32_t object_already_loaded = 360;
constexpr std::int32_t cannot_unload_design_element = 362;
}  // namespace control_array_errors

template <class T>
class ControlArray {
public:
    // Makes one element. lowest is the element to copy from (null for design elements), last the
    // element with the highest index so far (menu items are placed after it).
    using Factory = std::function<std::unique_ptr<T>(std::int32_t index, const T* lowest, const T* last)>;

    ControlArray(std::string name, Factory factory, std::initializer_list<std::int32_t> design_indexes)
        : m_name(std::move(name)), m_factory(std::move(factory)) {
        for (auto index : design_indexes) {
            const T* last = m_elements.empty() ? nullptr : m_elements.rbegin()->second.element.get();
            m_elements.emplace(index, Element{m_factory(index, nullptr, last), true});
        }
    }

    // Controls on a form: ControlArray<OptionButton> optType{*this, "optType", {0, 1, 2}}.
    ControlArray(Form& form, std::string name, std::initializer_list<std::int32_t> design_indexes)
        requires std::constructible_from<T, Form&, std::string, std::int32_t>
        : ControlArray(name, control_factory(form, name), design_indexes) {}

    ControlArray(const ControlArray&) = delete;
    ControlArray& operator=(const ControlArray&) = delete;
    ~ControlArray() {
        // Last loaded first, so menu items leave their parent in reverse order.
        while (!m_elements.empty()) m_elements.erase(std::prev(m_elements.end()));
    }

    const std::string& name() const noexcept { return m_name; }

    T& operator[](std::int32_t index) const {
        auto found = m_elements.find(index);
        if (found == m_elements.end()) {
            throw RuntimeError(control_array_errors::element_does_not_exist, m_name,
                               "Control array element '" + std::to_string(index) + "' doesn't exist");
        }
        return *found->second.element;
    }
    bool contains(std::int32_t index) const { return m_elements.count(index) != 0; }
    std::size_t count() const noexcept { return m_elements.size(); }
    std::int32_t lbound() const { return m_elements.empty() ? 0 : m_elements.begin()->first; }
    std::int32_t ubound() const { return m_elements.empty() ? 0 : m_elements.rbegin()->first; }

    // Load: a new element copied from the lowest one.
    T& load(std::int32_t index) {
        if (contains(index)) {
            throw RuntimeError(control_array_errors::object_already_loaded, m_name, "Object already loaded");
        }
        const T* lowest = m_elements.empty() ? nullptr : m_elements.begin()->second.element.get();
        const T* last = m_elements.empty() ? nullptr : m_elements.rbegin()->second.element.get();
        auto element = m_factory(index, lowest, last);
        T& made = *element;
        m_elements.emplace(index, Element{std::move(element), false});
        if (m_wiring) m_wiring(made);
        return made;
    }

    // Unload of an element loaded at run time.
    void unload(std::int32_t index) {
        auto found = m_elements.find(index);
        if (found == m_elements.end()) {
            throw RuntimeError(control_array_errors::element_does_not_exist, m_name,
                               "Control array element '" + std::to_string(index) + "' doesn't exist");
        }
        if (found->second.design) {
            throw RuntimeError(control_array_errors::cannot_unload_design_element, m_name,
                               "Can't unload controls created at design time");
        }
        m_elements.erase(found);
    }

    // Connects the events of every element, present and loaded later: the array's event handlers
    // (optType_Click(Index)) are wired here.
    void wire(std::function<void(T&)> wiring) {
        m_wiring = std::move(wiring);
        for (auto& [index, element] : m_elements) m_wiring(*element.element);
    }

    template <class F>
    void for_each(F&& visit) const {
        for (auto& [index, element] : m_elements) visit(*element.element);
    }

private:
    struct Element {
        std::unique_ptr<T> element;
        bool design;
    };

    static Factory control_factory(Form& form, const std::string& name) {
        return [&form, name](std::int32_t index, const T* lowest, const T*) {
            auto element = std::make_unique<T>(form, name, index);
            if (lowest) {
                element->copy_design_properties(*lowest);
                // Loaded controls start hidden; the form shows them when it has placed them.
                element->set_visible(false);
            }
            return element;
        };
    }

    std::string m_name;
    Factory m_factory;
    std::map<std::int32_t, Element> m_elements;
    std::function<void(T&)> m_wiring;
};

}  // namespace tolm::forms
