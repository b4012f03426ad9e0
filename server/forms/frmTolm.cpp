#include "server/forms/frmTolm.h"

#include "engine/engine_dispatch.h"
#include "engine/map_engine.h"
#include "server/engine_control.h"
#include "ui/forms/control.h"
#include "ui/forms/form.h"
#include "ui/forms/static_controls.h"

namespace tolm::server {

namespace {

constexpr std::int32_t k_twips_per_pixel = 15;

// The engine's place on the form. The form's scale is pixels; the control fills the form. It is a
// surface like a picture box, which is what the desktop's window system makes for it.
class EngineHost : public forms::PictureBox {
public:
    explicit EngineHost(forms::Form& form) : forms::PictureBox(form, "Tolm") {}
};

ObjectRef make_map_engine(const std::function<void()>& found_item) {
    auto engine = std::make_shared<engine::MapEngine>();
    engine->set_found_item_handler(found_item);
    return std::make_shared<engine::EngineDispatch>(std::move(engine));
}

frmTolm::EngineFactory& engine_factory() {
    static frmTolm::EngineFactory factory;
    return factory;
}

ObjectRef make_engine_control(const std::function<void()>& found_item) {
    return engine_factory() ? engine_factory()() : make_map_engine(found_item);
}

}  // namespace

struct frmTolm::Impl {
    forms::Form form{"frmTolm"};
    EngineHost host{form};
    ObjectRef engine;
};

frmTolm::frmTolm() : m_impl(std::make_unique<Impl>()) {
    m_impl->form.set_border_style(forms::BorderStyle::none);
    // Nobody works with this form: the engine draws into the client's own picture, so the maps go on
    // where the desktop cannot give the form a window.
    m_impl->form.set_works_without_window(true);
    m_impl->form.on_load = [this] {
        // For each match of an address search the engine reports the item; the form reads its text and
        // raises Find with it, nested inside the search call.
        m_impl->engine = make_engine_control([this] {
            if (!Find || !m_impl->engine) return;
            std::string text = EngineControl(m_impl->engine).found_item_text();
            Find(text);
        });
        EngineControl(m_impl->engine).set_label_font_scale(6);
    };
}

frmTolm::~frmTolm() {
    try {
        if (m_impl->form.loaded()) m_impl->form.unload();
    } catch (...) {
    }
}

void frmTolm::Load() { m_impl->form.load(); }

void frmTolm::Unload() {
    m_impl->form.unload();
    m_impl->engine.reset();
}

bool frmTolm::loaded() const noexcept { return m_impl->form.loaded(); }
void frmTolm::Show() { m_impl->form.show(); }
void frmTolm::Hide() { m_impl->form.hide(); }
bool frmTolm::Visible() const { return m_impl->form.visible(); }

void frmTolm::Move(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
    m_impl->form.move(left, top, width, height);
    m_impl->host.move(0, 0, width, height);
}

std::int32_t frmTolm::Left() const { return m_impl->form.left(); }
std::int32_t frmTolm::Top() const { return m_impl->form.top(); }
std::int32_t frmTolm::Width() const { return m_impl->form.width(); }
std::int32_t frmTolm::Height() const { return m_impl->form.height(); }

double frmTolm::TolmWidth() const { return static_cast<double>(m_impl->host.width()) / k_twips_per_pixel; }
double frmTolm::TolmHeight() const { return static_cast<double>(m_impl->host.height()) / k_twips_per_pixel; }

const ObjectRef& frmTolm::Tolm() const noexcept { return m_impl->engine; }

frmTolm::EngineFactory frmTolm::set_engine_factory(EngineFactory factory) {
    EngineFactory previous = std::move(engine_factory());
    engine_factory() = std::move(factory);
    return previous;
}

}  // namespace tolm::server
