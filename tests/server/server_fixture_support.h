#pragma once

// What the server tests share: a stand-in engine that records every call and paints a known colour,
// the client's host objects, a headless desktop, and clean settings beside the test program.
#include "server/clsMapServ.h"
#include "server/forms/frmTolm.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "host/ServerEvents.h"

#include "platform/dispatch.h"
#include "ui/headless/headless_window_system.h"
#include "ui/current_window_system.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tolm::server::test {

struct EngineCall {
    DispId id;
    InvokeKind kind;
    Arguments args;
};

// Keeps what it is given, fits nothing, and reports as its extent the last rectangle shown (west,
// north, east, south in the order given), so a test knows what the server must report.
class FakeEngine : public Dispatch {
public:
    std::optional<DispId> id_of_name(std::string_view) const override { return std::nullopt; }
    Variant invoke(DispId id, InvokeKind kind, Arguments& args) override;

    std::vector<EngineCall> calls;
    std::map<DispId, Variant> properties;
    std::map<std::int32_t, std::int32_t> colour_items;
    double west = -100, east = -90, north = 45, south = 40;
    std::uint32_t paint_argb = 0xFF112233u;
    // Raised by every call with this id, to check that a step's failure is ignored.
    std::optional<DispId> failing_id;

    std::size_t count(DispId id) const;
    std::vector<DispId> ids() const;
};

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Initialize as the client calls it.
    void initialize();
    bool draw(double x1, double y1, double x2, double y2);
    std::string settings_file() const;
    std::string entry_file() const;
    void write_settings(const std::string& text) const;

    std::shared_ptr<FakeEngine> m_engine = std::make_shared<FakeEngine>();
    frmTolm::EngineFactory m_previous_factory;
    platform::headless::HeadlessWindowSystem m_desktop{platform::headless::UnansweredPolicy::fail};
    std::unique_ptr<platform::ScopedWindowSystem> m_use_desktop;
    platform::WindowHandle m_client_window = 0;
    std::string m_client_folder;
    std::shared_ptr<host::PictureBox> m_picture = std::make_shared<host::PictureBox>(40, 30);
    std::shared_ptr<host::MainForm> m_form = std::make_shared<host::MainForm>();
    std::shared_ptr<host::ServerEvents> m_events = std::make_shared<host::ServerEvents>();
    ObjectRef m_picture_ref = m_picture;
    std::unique_ptr<clsMapServ> m_server;
};

// The settings a complete start needs: every path set, so no data-path dialog opens.
inline const char* const k_complete_settings =
    "[PATHS]\r\nDATA1=/d/Data1\r\nDATA2=/d/Data2\r\nDATA3=/d/Data3\r\nSTATES0=/d/States\r\n";

}  // namespace tolm::server::test
