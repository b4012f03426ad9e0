// The published members through the dispatch interface, as a client binding late would call them:
// the input is a run of calls, each naming a member and giving each of its arguments a value of any
// automation type. Every call gives a result or a RuntimeError; anything else is a finding.
#include "fuzz_support.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "host/ServerEvents.h"
#include "platform/runtime_error.h"
#include "platform/saved_settings.h"
#include "server/clsMapServ.h"
#include "server/member_table.h"
#include "support/scratch.h"
#include "ui/current_window_system.h"
#include "ui/headless/headless_window_system.h"

#include <cstring>
#include <memory>

namespace {

namespace s = tolm::server;

// Reads the input front to back; past its end everything is zero.
class Reader {
public:
    explicit Reader(std::string_view bytes) : m_bytes(bytes) {}
    bool done() const noexcept { return m_at >= m_bytes.size(); }
    std::uint8_t byte() { return done() ? 0 : static_cast<std::uint8_t>(m_bytes[m_at++]); }
    template <typename T>
    T number() {
        T value{};
        char raw[sizeof(T)] = {};
        for (char& c : raw) c = static_cast<char>(byte());
        std::memcpy(&value, raw, sizeof(T));
        return value;
    }
    std::string text() {
        // A length byte; 255 asks for a long text (the client's 1 MB strings).
        const std::size_t length = byte();
        if (length == 255) return std::string(1 << 20, static_cast<char>(byte()));
        std::string out;
        while (out.size() < length && !done()) out += static_cast<char>(byte());
        return out;
    }

private:
    std::string_view m_bytes;
    std::size_t m_at = 0;
};

struct Client {
    Client() {
        tolm::test::use_scratch_registry_store();
        folder = tolm::fuzz::scratch_folder() / "client";
        std::filesystem::create_directories(folder / "Maps");
        tolm::platform::save_setting("Orvensa", "Wendal32", "Program Folder", folder.string());
        desktop.add_top_level_window("Wendal32");
        form->load_special_options(tolm::StringArray(0, {"Search", "Hide Mile Marker Line", "Zoom Underlay", "Zoom Overlay"}));
    }

    tolm::platform::headless::HeadlessWindowSystem desktop{tolm::platform::headless::UnansweredPolicy::default_answer};
    tolm::platform::ScopedWindowSystem use_desktop{desktop};
    std::filesystem::path folder;
    std::shared_ptr<tolm::host::PictureBox> picture = std::make_shared<tolm::host::PictureBox>(40, 30);
    std::shared_ptr<tolm::host::MainForm> form = std::make_shared<tolm::host::MainForm>();
    std::shared_ptr<tolm::host::ServerEvents> events = std::make_shared<tolm::host::ServerEvents>();
};

bool names_a_path(std::string_view member) {
    return member.starts_with("strData") || member.starts_with("strStates") || member == "strOvlFile" ||
           member == "strUnderFile";
}

tolm::Variant argument(Reader& in, const Client& client, bool path) {
    switch (in.byte() % 9) {
        case 0: return {};
        case 1: return tolm::Variant::boolean(in.byte() & 1);
        case 2: return tolm::Variant(in.number<std::int16_t>());
        case 3: return tolm::Variant(in.number<std::int32_t>());
        case 4: return tolm::Variant(in.number<double>());
        case 5: {
            std::string text = in.text();
            // Folders and files stay inside the scratch folder: the fuzzer must not walk the disk.
            if (path) text = (client.folder / "data" / std::to_string(std::hash<std::string>{}(text) % 8)).string();
            return tolm::Variant(std::move(text));
        }
        case 6: return tolm::Variant(tolm::ObjectRef(client.picture));
        case 7: return tolm::Variant(tolm::ObjectRef());
        default: {
            const auto lower = in.number<std::int32_t>();
            std::vector<std::string> items(in.byte() % 4);
            for (auto& item : items) item = in.text();
            return tolm::Variant(tolm::StringArray(lower, std::move(items)));
        }
    }
}

tolm::InvokeKind invoke_kind(s::MemberKind kind) {
    switch (kind) {
        case s::MemberKind::get: return tolm::InvokeKind::property_get;
        case s::MemberKind::let: return tolm::InvokeKind::property_put;
        default: return tolm::InvokeKind::method;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Client client;
    Reader in(tolm::fuzz::bytes_of(data, size));
    s::clsMapServ server;
    for (int calls = 0; calls < 16 && !in.done(); ++calls) {
        const auto& member = s::k_members[in.byte() % s::k_members.size()];
        tolm::Arguments args;
        // Mostly the member's own count; sometimes one too few or too many.
        std::size_t count = member.param_count;
        if (const auto skew = in.byte(); skew == 1 && count > 0) --count;
        else if (skew == 2) ++count;
        for (std::size_t i = 0; i < count; ++i) {
            // Initialize is called with the client's real objects when the input asks for it.
            if (i < member.param_count && member.params[i].type == s::ParamType::object && in.byte() % 2 == 0) {
                const std::string_view name = member.params[i].name;
                tolm::ObjectRef object = client.picture;
                if (name.find("Form") != std::string_view::npos || name.find("frm") != std::string_view::npos) object = client.form;
                if (name.find("vent") != std::string_view::npos) object = client.events;
                args.emplace_back(object);
            } else {
                args.push_back(argument(in, client, names_a_path(member.name)));
            }
        }
        try {
            (void)server.invoke(member.id, invoke_kind(member.kind), args);
        } catch (const tolm::RuntimeError&) {
        }
    }
    return 0;
}
