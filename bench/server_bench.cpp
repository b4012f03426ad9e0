// The server's own work per draw, beyond the engine's paint: late binding to the picture box, the
// engine requests, the map entry file, and the report to the client. The engine here is a stand-in
// that answers at once, and the picture box a stand-in whose members cost nothing, so what remains
// is the server's. A second case uses the simulated client picture box of 1024 x 768 pixels.
#include "server/clsMapServ.h"
#include "server/forms/frmTolm.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "host/ServerEvents.h"

#include "common/path_text.h"
#include "engine/engine_ids.h"
#include "ui/headless/headless_window_system.h"
#include "platform/module_info.h"
#include "platform/saved_settings.h"
#include "ui/current_window_system.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

using namespace tolm;  // NOLINT: a benchmark file of its own

class InstantEngine : public Dispatch {
public:
    std::optional<DispId> id_of_name(std::string_view) const override { return std::nullopt; }
    Variant invoke(DispId id, InvokeKind, Arguments& args) override {
        namespace ids = engine::ids;
        switch (id) {
            case ids::SHOW_RECTANGLE:
                m_west = args[0].to_double(), m_north = args[1].to_double(), m_east = args[2].to_double(),
                m_south = args[3].to_double();
                return {};
            case ids::EXTENT_WEST: return Variant(m_west);
            case ids::EXTENT_EAST: return Variant(m_east);
            case ids::EXTENT_SOUTH: return Variant(m_south);
            case ids::EXTENT_NORTH: return Variant(m_north);
            default: return {};
        }
    }

private:
    double m_west = 0, m_east = 0, m_south = 0, m_north = 0;
};

// A picture box whose members do nothing but keep their values.
class PlainPicture : public DynamicDispatch {
public:
    PlainPicture() {
        for (const char* name : {"ScaleMode", "BackColor", "FillColor", "FillStyle", "DrawMode", "DrawWidth",
                                 "DrawStyle", "Picture"})
            add_member(name, [this, key = std::string(name)](InvokeKind kind, Arguments& args) -> Variant {
                if (kind == InvokeKind::property_get || kind == InvokeKind::method) return m_values[key];
                m_values[key] = args.back();
                return {};
            });
        add_property("ScaleWidth", [] { return Variant(1024.0); });
        add_property("ScaleHeight", [] { return Variant(768.0); });
        add_property("hDC", [] { return Variant(std::int32_t{0}); });
        add_property("Image", [this] { return Variant(ObjectRef(m_image)); });
    }

private:
    std::map<std::string, Variant> m_values;
    std::shared_ptr<DynamicDispatch> m_image = std::make_shared<DynamicDispatch>();
};

struct Setting {
    std::filesystem::path work = std::filesystem::temp_directory_path() / "tolm-server-bench";
    platform::headless::HeadlessWindowSystem desktop{platform::headless::UnansweredPolicy::default_answer};
    platform::ScopedWindowSystem use_desktop{desktop};

    Setting() {
        std::filesystem::create_directories(work / "Wendal32" / "Maps");
        setenv("TOLM_REGISTRY_FILE", (work / "registry.txt").c_str(), 1);
        platform::save_setting("Orvensa", "Wendal32", "Program Folder", (work / "Wendal32").string());
        std::ofstream(join_path(platform::module_folder(), platform::module_base_name() + ".INI"), std::ios::binary)
            << "[PATHS]\r\nDATA1=/d/1\r\nDATA2=/d/2\r\nDATA3=/d/3\r\nSTATES0=/d/S\r\n";
        desktop.add_top_level_window("Wendal32");
        server::frmTolm::set_engine_factory([] { return ObjectRef(std::make_shared<InstantEngine>()); });
    }
};

void draw_loop(benchmark::State& state, ObjectRef picture, bool moving = false) {
    static Setting setting;
    auto form = std::make_shared<host::MainForm>();
    form->load_special_options(StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
    auto events = std::make_shared<host::ServerEvents>();
    ObjectRef form_ref = form, events_ref = events;
    server::clsMapServ map_server;
    std::string callsign = "N0CALL";
    map_server.Initialize(callsign, events_ref, form_ref);
    double x1 = -125, y1 = 49.5, x2 = -66.5, y2 = 24.5;
    for (auto _ : state) {
        // A moving map rewrites the map entry file at every draw; a redraw of the same map does not.
        if (moving) x1 = x1 == -125 ? -124 : -125;
        benchmark::DoNotOptimize(map_server.DrawMapFromCorners(picture, x1, y1, x2, y2));
        events->clear();
    }
}

void BM_ServerWorkPerDraw(benchmark::State& state) { draw_loop(state, std::make_shared<PlainPicture>()); }
BENCHMARK(BM_ServerWorkPerDraw)->Unit(benchmark::kMicrosecond);

void BM_ServerWorkPerDrawOfAMovingMap(benchmark::State& state) { draw_loop(state, std::make_shared<PlainPicture>(), true); }
BENCHMARK(BM_ServerWorkPerDrawOfAMovingMap)->Unit(benchmark::kMicrosecond);

void BM_DrawIntoSimulatedPictureBox(benchmark::State& state) {
    draw_loop(state, std::make_shared<host::PictureBox>(1024, 768));
}
BENCHMARK(BM_DrawIntoSimulatedPictureBox)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
