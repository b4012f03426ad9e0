#include "server_fixture_support.h"

#include "support/scratch.h"

#include "common/path_text.h"

#include "engine/engine_ids.h"
#include "platform/module_info.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"
#include "platform/saved_settings.h"
#include "ui/current_window_system.h"

#include <filesystem>

namespace tolm::server::test {

namespace ids = engine::ids;

Variant FakeEngine::invoke(DispId id, InvokeKind kind, Arguments& args) {
    calls.push_back({id, kind, args});
    if (failing_id && *failing_id == id) throw RuntimeError(5, "FakeEngine", "failing on purpose");
    switch (id) {
        case ids::SHOW_RECTANGLE:
            west = args[0].to_double(), north = args[1].to_double(), east = args[2].to_double(), south = args[3].to_double();
            return {};
        case ids::EXTENT_WEST: return Variant(west);
        case ids::EXTENT_EAST: return Variant(east);
        case ids::EXTENT_SOUTH: return Variant(south);
        case ids::EXTENT_NORTH: return Variant(north);
        case ids::COLOUR_ITEM:
            if (kind == InvokeKind::method) {
                colour_items[args[0].to_int32()] = args[1].to_int32();
                return {};
            }
            return Variant(colour_items[args[1].to_int32()]);
        case ids::PAINT: {
            auto surface = platform::find_surface(args[0].to_int32());
            if (surface) surface->fill(paint_argb);
            return {};
        }
        default: break;
    }
    if (kind == InvokeKind::property_put) {
        properties[id] = args.back();
        return {};
    }
    if (kind == InvokeKind::property_get) return properties[id];
    return {};
}

std::size_t FakeEngine::count(DispId id) const {
    std::size_t n = 0;
    for (const auto& call : calls) n += call.id == id;
    return n;
}

std::vector<DispId> FakeEngine::ids() const {
    std::vector<DispId> result;
    for (const auto& call : calls) result.push_back(call.id);
    return result;
}

void ServerTest::SetUp() {
    tolm::test::use_scratch_registry_store();
    m_previous_factory = frmTolm::set_engine_factory([engine = m_engine] { return ObjectRef(engine); });
    m_use_desktop = std::make_unique<platform::ScopedWindowSystem>(m_desktop);
    m_client_window = m_desktop.add_top_level_window("Wendal32");
    m_client_folder = (std::filesystem::temp_directory_path() / "tolm-server-test-client").string();
    std::filesystem::remove_all(m_client_folder);
    std::filesystem::create_directories(std::filesystem::path(m_client_folder) / "Maps");
    platform::save_setting("Orvensa", "Wendal32", "Program Folder", m_client_folder);
    std::filesystem::remove(settings_file());
    std::filesystem::remove(join_path(platform::module_folder(), "Cartix71.Cfg"));
    m_form->load_special_options(StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
    m_server = std::make_unique<clsMapServ>();
}

void ServerTest::TearDown() {
    m_server.reset();
    m_use_desktop.reset();
    frmTolm::set_engine_factory(m_previous_factory);
    std::filesystem::remove(settings_file());
    std::filesystem::remove_all(m_client_folder);
}

void ServerTest::initialize() {
    std::string callsign = "N0CALL";
    ObjectRef events = m_events, form = m_form;
    m_server->Initialize(callsign, events, form);
}

bool ServerTest::draw(double x1, double y1, double x2, double y2) {
    return m_server->DrawMapFromCorners(m_picture_ref, x1, y1, x2, y2);
}

std::string ServerTest::settings_file() const {
    return join_path(platform::module_folder(), platform::module_base_name() + ".INI");
}

std::string ServerTest::entry_file() const {
    return (std::filesystem::path(m_client_folder) / "Maps" / "!!TolmServer7.INF").string();
}

void ServerTest::write_settings(const std::string& text) const { tolm::test::write_bytes(settings_file(), text); }

}  // namespace tolm::server::test
