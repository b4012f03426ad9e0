#pragma once

#include "platform/dispatch.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tolm::server {

// The server's hidden form that hosts the map engine as its control "Tolm". The server binds the
// engine late, by the engine's dispatch ids. The form passes the engine's found-item reports on as
// its Find event; FindPlace, PaintBefore, DirectBefore and Direct carry nothing the server uses.
class frmTolm {
public:
    frmTolm();
    ~frmTolm();
    frmTolm(const frmTolm&) = delete;
    frmTolm& operator=(const frmTolm&) = delete;

    // Load makes the engine control; its load sets engine setting 149 to 6.
    void Load();
    void Unload();
    bool loaded() const noexcept;

    void Show();
    void Hide();
    bool Visible() const;

    // Position and size in twips.
    void Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);
    std::int32_t Left() const;
    std::int32_t Top() const;
    std::int32_t Width() const;
    std::int32_t Height() const;

    // The engine control's size as the form reports it (the form's scale is pixels).
    double TolmWidth() const;
    double TolmHeight() const;

    // The engine control's dispatch face; null while the form is not loaded.
    const ObjectRef& Tolm() const noexcept;

    // Raised with the engine's found-item text for each match of an address search.
    std::function<void(std::string&)> Find;

    // What makes the engine control when a form loads: the map engine unless a test puts a stand-in
    // in its place. Returns the previous maker; an empty function goes back to the map engine.
    using EngineFactory = std::function<ObjectRef()>;
    static EngineFactory set_engine_factory(EngineFactory factory);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace tolm::server
