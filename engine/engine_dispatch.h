#pragma once

#include "engine/map_engine.h"
#include "platform/dispatch.h"

#include <functional>
#include <memory>

namespace tolm::engine {

// The engine bound late, by the dispatch ids of engine/engine_ids.h, as the hidden engine form of
// the server calls it. Names are offered too (for scripts and the command-line host); see
// docs/engine.md for the table.
class EngineDispatch : public Dispatch {
public:
    explicit EngineDispatch(std::shared_ptr<MapEngine> engine);

    std::optional<DispId> id_of_name(std::string_view name) const override;
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override;

    MapEngine& engine() noexcept { return *m_engine; }
    // The about box: shown by the host through its window system. Until one is set, the about text
    // goes to a message box of the process's window system.
    void set_about_handler(std::function<void(const std::string&)> handler) { m_about = std::move(handler); }

private:
    std::shared_ptr<MapEngine> m_engine;
    std::function<void(const std::string&)> m_about;
};

}  // namespace tolm::engine
