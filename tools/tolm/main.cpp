// tolm: the command-line host. It plays the client's part around one drawing: registers the server
// library, creates the server by its ProgID through the Linux frame, hands it a picture box, a main
// form with the special-options menu and an events object, initialises it, draws, zooms and pans,
// can search through the server's own dialog, and writes the picture to a PNG file. Only the
// published interface is used to drive the server, and the dialog is used as a user would use it.
#include "tools/tolm/client_events.h"
#include "tools/tolm/control_panel.h"
#include "tools/tolm/desktop.h"
#include "tools/tolm/host_error.h"
#include "tools/tolm/options.h"
#include "tools/tolm/search_dialog.h"

#include "ui/forms/form.h"
#include "ui/forms/menu.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/saved_settings.h"
#include "ui/current_window_system.h"
#include "platform/window_system.h"
#include "host/activation.h"
#include "server/frame/posix/com_abi.h"
#include "server/frame/registration_table.h"
#include "host/MainForm.h"
#include "host/PictureBox.h"
#include "server/MakeUnderlay.h"
#include "server/forms/frmOverlay.h"
#include "server/host_folders.h"
#include "common/clsIni.h"
#include "engine/settings_file.h"
#include "platform/text.h"

#include <dlfcn.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace tolm::cli {

namespace {

const char* const k_prog_id = "TolmServer7.clsMapServ";
// The special-options menu: the search dialog is element 0, the marker line's Hide element 1.
constexpr std::int16_t k_search_option = 0;
constexpr std::int16_t k_hide_marker_line_option = 1;

// The message boxes the server showed, printed as they come, and the rest when the run ends however
// it ends.
class MessageLog {
public:
    explicit MessageLog(const platform::headless::HeadlessWindowSystem& desktop) : m_desktop(desktop) {}
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    ~MessageLog() { flush(); }

    void flush() {
        const auto& boxes = m_desktop.message_boxes();
        for (; m_printed < boxes.size(); ++m_printed) std::cerr << "message: " << boxes[m_printed].text << "\n";
    }

private:
    const platform::headless::HeadlessWindowSystem& m_desktop;
    std::size_t m_printed = 0;
};

std::string executable_folder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path().string() : self.parent_path().string();
}

void register_library(const std::string& library) {
    if (!fs::exists(library)) throw HostError("the server library " + library + " does not exist");
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw HostError(std::string("cannot load the server library: ") + dlerror());
    auto register_server = reinterpret_cast<com::DllRegisterServerFn>(dlsym(handle, "DllRegisterServer"));
    if (!register_server) throw HostError(library + " has no DllRegisterServer");
    if (com::failed(register_server())) throw HostError("DllRegisterServer of " + library + " failed");
}

// Releases the server when the run ends, however it ends.
struct ServerReference {
    com::I_clsMapServ* server = nullptr;
    ~ServerReference() {
        if (server) server->Release();
    }
};

// A failed call, with the error text the server left in its IErrorInfo.
void check(com::I_clsMapServ* server, com::HRESULT hr, const std::string& member) {
    if (com::succeeded(hr)) return;
    std::string text;
    com::IErrorInfo* info = nullptr;
    if (com::succeeded(server->QueryInterface(com::IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info) {
        info->GetDescription(&text);
        info->Release();
    }
    char code[16];
    std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(hr));
    throw HostError(member + " failed (0x" + code + ")" + (text.empty() ? "" : ": " + text));
}


// Opens the search dialog from the special-options menu as the client does, runs the search in it and
// prints what the dialog listed and what the server did for Go To.
void search(com::I_clsMapServ* server, ObjectRef& picture_ref, Desktop& desktop, const ClientEvents& events,
            const host::MainForm& form, const SearchRequest& request, MessageLog& messages) {
    std::optional<SearchOutcome> outcome;
    // The server shows the dialog modelessly; should it ever show it modally, the search runs
    // inside the modal loop instead.
    desktop.answer_modal("frmSearch", [&](forms::Form& dialog) { outcome = run_search(dialog, request); });
    const std::size_t redraws_before = events.record().special_redraws().size();
    std::int16_t index = k_search_option, redraw = 0;
    check(server, server->SpecialMenuOption(&picture_ref, &index, &redraw), "SpecialMenuOption");
    if (!outcome) {
        forms::Form* dialog = desktop.shown_form(k_search_dialog_title);
        if (!dialog)
            throw HostError(std::string("SpecialMenuOption 0 showed no \"") + k_search_dialog_title + "\" dialog");
        outcome = run_search(*dialog, request);
    }
    messages.flush();

    std::cout << "search: " << outcome->kind << " \"" << outcome->typed << "\"\n";
    if (outcome->nothing_found) {
        std::cerr << "message: " << outcome->rows.front() << "\n";
    } else {
        for (std::size_t row = 0; row < outcome->rows.size(); ++row)
            std::cout << "row " << row + 1 << ": " << outcome->rows[row] << "\n";
    }
    if (!outcome->result.empty() && outcome->result != "...") std::cout << "result: " << outcome->result << "\n";
    if (!outcome->error.empty()) throw HostError(outcome->error);
    if (!outcome->went_to) return;

    std::cout << "go to: row " << *outcome->went_to << "\n";
    const auto& redraws = events.record().special_redraws();
    if (redraws.size() == redraws_before) throw HostError("Go To did not redraw the map");
    for (std::size_t i = redraws_before; i < redraws.size(); ++i) std::cout << "special redraw: " << redraws[i] << "\n";
    const auto hide = form.special_option(k_hide_marker_line_option);
    if (hide && hide->visible()) std::cout << "marker line: shown (\"" << hide->caption() << "\" on the menu)\n";
}

// The zooms and pans of the command line, each a call of the server's as the client makes it.
void run_steps(com::I_clsMapServ* server, ObjectRef& picture_ref, const std::vector<Step>& steps) {
    std::int16_t drawn = 0;
    for (const Step& step : steps) {
        switch (step.kind) {
            case StepKind::zoom_in: check(server, server->ZoomIn(&picture_ref, &drawn), "ZoomIn"); break;
            case StepKind::zoom_out: check(server, server->ZoomOut(&picture_ref, &drawn), "ZoomOut"); break;
            case StepKind::zoom_all: check(server, server->ZoomAll(&picture_ref, &drawn), "ZoomAll"); break;
            case StepKind::resize: {
                double unused = 0;
                check(server, server->ResizeMap(&picture_ref, &unused, &unused, &unused, &unused, &drawn), "ResizeMap");
                break;
            }
            case StepKind::zoom_underlay:
            case StepKind::zoom_overlay: {
                std::int16_t index = step.kind == StepKind::zoom_overlay ? 3 : 2;
                check(server, server->SpecialMenuOption(&picture_ref, &index, &drawn), "SpecialMenuOption");
                break;
            }
            case StepKind::pan: {
                auto code = static_cast<std::int16_t>(step.pan_code);
                check(server, server->ZoomPan(&picture_ref, &code, &drawn), "ZoomPan");
                break;
            }
        }
    }
}

std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void print_without_cr(const std::string& text) {
    for (char c : text)
        if (c != '\r') std::cout << c;
}

// Opens the control panel as the client's Map, Control Panel item does, clicks the items asked for
// inside its modal loop, prints the menu as it then stands and closes the panel with Exit. The folder
// and file dialogs the items open take the --answer options in order.
void show_control_panel(com::I_clsMapServ* server, Desktop& desktop, const Options& options, const fs::path& settings_file,
                   MessageLog& messages) {
    for (const DialogAnswer& answer : options.answers) {
        switch (answer.kind) {
            case DialogAnswer::Kind::folder: desktop.answer_folder(answer.path); break;
            case DialogAnswer::Kind::cancel_folder: desktop.cancel_folder(); break;
            case DialogAnswer::Kind::file: desktop.answer_open_file(answer.path); break;
            case DialogAnswer::Kind::cancel_file: desktop.cancel_open_file(); break;
        }
    }
    const std::size_t folders_before = desktop.folder_dialogs().size();
    const std::size_t files_before = desktop.file_dialogs().size();
    const std::size_t modals_before = desktop.modal_forms().size();

    bool shown = false;
    std::string caption, error;
    std::vector<std::string> menu;
    desktop.answer_modal("frmCpanel", [&](forms::Form& panel) {
        shown = true;
        caption = panel.caption();
        try {
            for (const std::string& path : options.panel_clicks) {
                std::cout << "click: " << path << "\n";
                click_menu_items(panel, {path});
                messages.flush();
            }
        } catch (const std::exception& e) {
            // Shown after the menu: the panel still closes as the user would close it.
            error = e.what();
        }
        menu = describe_menu(panel);
        if (panel.loaded() && panel.visible()) find_menu_item(panel, "Exit").click();
    });
    check(server, server->ShowControlPanel(), "ShowControlPanel");
    messages.flush();
    if (!shown) throw HostError("ShowControlPanel showed no control panel");

    std::cout << "panel: " << caption << "\n";
    for (const std::string& line : menu) std::cout << "  " << line << "\n";
    const auto& modals = desktop.modal_forms();
    for (std::size_t i = modals_before; i < modals.size(); ++i)
        if (modals[i].form_name != "frmCpanel") std::cout << "dialog: " << modals[i].caption << "\n";
    const auto& folders = desktop.folder_dialogs();
    for (std::size_t i = folders_before; i < folders.size(); ++i)
        std::cout << "folder dialog: " << folders[i].title << " -> "
                  << (folders[i].answer ? *folders[i].answer : std::string("cancelled")) << "\n";
    const auto& files = desktop.file_dialogs();
    for (std::size_t i = files_before; i < files.size(); ++i)
        std::cout << "file dialog: " << files[i].request.title << " -> "
                  << (files[i].answer ? *files[i].answer : std::string("cancelled")) << "\n";
    if (!error.empty()) throw HostError(error);

    std::cout << "settings file: " << settings_file.string() << "\n";
    print_without_cr(read_file(settings_file));
}

// Puts a published property by its name through IDispatch, the way a late-binding client sets it;
// the server converts the text ("True", "0", a folder) to the property's type.
void put_by_name(com::I_clsMapServ* server, const std::string& name, const std::string& value) {
    DispId id = 0;
    if (com::failed(server->GetIDsOfNames(com::GUID_NULL, &name, 1, 0x0409, &id)))
        throw HostError("the server has no property named " + name);
    Arguments args{Variant(value)};
    com::ExcepInfo error;
    if (com::failed(server->Invoke(id, com::GUID_NULL, 0x0409, static_cast<std::uint16_t>(InvokeKind::property_put), &args,
                                   nullptr, &error, nullptr)))
        throw HostError("setting " + name + " to " + value + " failed: " + error.description);
    std::cout << "set: " << name << " = " << value << "\n";
}

// The server's folder of overlays or underlays, as the server library names it beside itself.
std::string layer_folder(const std::string& library, bool overlays) {
    return (fs::absolute(library).parent_path() / (overlays ? "Tolm Overlays" : "Tolm Underlays")).string() + "/";
}

void list_layers(const std::string& library) {
    for (const bool overlays : {true, false}) {
        const std::string folder = layer_folder(library, overlays);
        std::cout << (overlays ? "overlays" : "underlays") << ": " << folder << "\n";
        for (const auto& name : server::layer_files_in(folder, overlays)) std::cout << "  " << name << "\n";
    }
}

// Chooses a layer file the way a user does in the control panel: the server's chooser is opened with
// the current choice, the row named `name` (any case) is checked and Ok pressed. The chooser's
// answer goes to the server's property, as the panel hands it on.
void choose_layer(com::I_clsMapServ* server, Desktop& desktop, const std::string& library, const std::string& name,
                  bool overlays) {
    server::strOverlaysFolder = layer_folder(library, true);
    server::strUnderlaysFolder = layer_folder(library, false);
    std::string error;
    desktop.answer_modal("frmOverlay", [&](forms::Form& form) {
        auto& chooser = dynamic_cast<server::frmOverlay&>(form);
        for (std::int32_t row = 0; row < chooser.lstOvl.list_count(); ++row)
            if (equals_ignoring_case(chooser.lstOvl.list(row), name) && !chooser.lstOvl.checked(row)) chooser.lstOvl.click_row(row);
        bool found = false;
        for (std::int32_t row = 0; row < chooser.lstOvl.list_count(); ++row) found = found || chooser.lstOvl.checked(row);
        if (!found) error = std::string("the chooser lists no ") + (overlays ? "overlay " : "underlay ") + name;
        chooser.cmdOk.click();
    });
    const std::string chosen = server::ChooseLayerFile("", overlays);
    if (!error.empty()) throw HostError(error);
    put_by_name(server, overlays ? "strOvlFile" : "strUnderFile", chosen);
}

int make_underlay(const Options& options) {
    const fs::path work = fs::absolute(options.work_folder.empty() ? fs::path("tolm-work") : fs::path(options.work_folder));
    const std::string library =
        options.library.empty() ? (fs::path(executable_folder()) / "libTolmServer7.so").string() : options.library;
    server::strHostFolder = (work / "Wendal32").string() + "/";
    server::strUnderlaysFolder = layer_folder(library, false);
    fs::create_directories(fs::path(server::strUnderlaysFolder));
    Desktop desktop(platform::headless::UnansweredPolicy::default_answer);
    platform::ScopedWindowSystem use_desktop(desktop);
    MessageLog messages(desktop);
    // The user picks the INF file in the panel's open-file dialog.
    desktop.answer_open_file(fs::absolute(*options.make_underlay).string());
    server::MakeUnderlay(0);
    messages.flush();
    const auto& boxes = desktop.message_boxes();
    return !boxes.empty() && boxes.back().text == "The underlay has been successfully created." ? 0 : 1;
}

// The five data folders of the engine, in the order of the server's properties.
struct DataFolders {
    std::array<std::string, 5> folders;  // Data1, Data2, Data3, States, States (Supplementary)
    bool operator==(const DataFolders&) const = default;
};

constexpr std::array<const char*, 5> k_data_folder_names = {"Data1", "Data2", "Data3", "States", "States (Supplementary)"};

// The folders a product's MAP.INI names, read as the server's data path set-up reads them: its
// supplementary states folder is the states folder, or the States folder beside the data folders
// when the two lie apart.
DataFolders product_folders(const fs::path& product) {
    const fs::path map_ini = product / "MAP.INI";
    std::error_code error;
    if (!fs::is_regular_file(map_ini, error))
        throw std::invalid_argument("--product " + product.string() + " holds no MAP.INI");
    clsIni ini;
    DataFolders out;
    const std::array<const char*, 4> keys = {"Data1Path", "Data2Path", "Data3Path", "StatesPath"};
    for (std::size_t i = 0; i < keys.size(); ++i) {
        std::string folder = ini.GetIniString("Application Interface", keys[i], "", map_ini.string()).to_string();
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
        if (folder.empty())
            throw std::invalid_argument("--product " + product.string() + ": MAP.INI names no " + keys[i] +
                                        " in [Application Interface]");
        out.folders[i] = folder;
    }
    const fs::path data_parent = fs::path(out.folders[0]).parent_path(), states_parent = fs::path(out.folders[3]).parent_path();
    out.folders[4] = out.folders[3];
    if (data_parent != states_parent && fs::is_directory(data_parent / "States", error)) out.folders[4] = (data_parent / "States").string();
    return out;
}

DataFolders server_folders(com::I_clsMapServ* server) {
    DataFolders out;
    check(server, server->get_strData1(&out.folders[0]), "strData1");
    check(server, server->get_strData2(&out.folders[1]), "strData2");
    check(server, server->get_strData3(&out.folders[2]), "strData3");
    check(server, server->get_strStates0(&out.folders[3]), "strStates0");
    check(server, server->get_strStates1(&out.folders[4]), "strStates1");
    return out;
}

// --product answers the server's question for its data folders, which the server asks only while
// its settings file names none. Once the file names them the question is not asked, and the
// command line still wins: the engine is handed the product's folders for this run (the settings
// file keeps its own), and standard error says so, naming both.
void use_product(com::I_clsMapServ* server, const DataFolders& wanted, const fs::path& settings_file) {
    const DataFolders current = server_folders(server);
    if (current == wanted) return;
    DataFolders given = wanted;
    check(server, server->put_strData1(&given.folders[0]), "strData1");
    check(server, server->put_strData2(&given.folders[1]), "strData2");
    check(server, server->put_strData3(&given.folders[2]), "strData3");
    check(server, server->put_strStates0(&given.folders[3]), "strStates0");
    check(server, server->put_strStates1(&given.folders[4]), "strStates1");
    std::cerr << "tolm: the settings file " << settings_file.string()
              << " names other data folders; this run draws from --product as it asks (the file is not changed):\n";
    for (std::size_t i = 0; i < wanted.folders.size(); ++i)
        std::cerr << "tolm:   " << k_data_folder_names[i] << ": " << wanted.folders[i] << " (settings file: "
                  << (current.folders[i].empty() ? std::string("none") : current.folders[i]) << ")\n";
}

// The picture is written only into a folder the user already has: --out never makes folders, and
// says what is wrong with the name before any drawing is done.
void check_picture_path(const std::string& text) {
    if (text.empty()) return;
    const fs::path png = fs::absolute(text);
    std::error_code error;
    if (text.back() == '/' || fs::is_directory(png, error))
        throw std::invalid_argument("--out " + text + " is a folder; name the picture file, e.g. " + (png / "map.png").string());
    const fs::path folder = png.parent_path();
    if (!fs::exists(folder, error))
        throw std::invalid_argument("--out " + text + ": the folder " + folder.string() + " does not exist");
    if (!fs::is_directory(folder, error))
        throw std::invalid_argument("--out " + text + ": " + folder.string() + " is not a folder");
}

// The engine reads its map aids from its settings file beside the server library when the server
// starts, and saves them there when it ends.
void set_map_aids(const fs::path& library_folder, const std::vector<std::string>& aids) {
    const std::string path = (library_folder / "Cartix71.Cfg").string();
    engine::SettingsFile file = engine::SettingsFile::load(path);
    for (std::size_t i = 0; i < std::size(k_map_aid_names); ++i) {
        const bool on = std::find(aids.begin(), aids.end(), k_map_aid_names[i]) != aids.end();
        file.set("Display", k_map_aid_keys[i], on ? "TRUE" : "FALSE");
    }
    file.save(path);
}

int run(const Options& options) {
    if (options.make_underlay) return make_underlay(options);
    const fs::path work = fs::absolute(options.work_folder.empty() ? fs::path("tolm-work") : fs::path(options.work_folder));
    fs::create_directories(work);
    // After the work folder, which the user named too: a picture may go inside it.
    check_picture_path(options.png);
    // The registry store of this run: where the server's registration and the client's saved settings live.
    if (!getenv("TOLM_REGISTRY_FILE")) setenv("TOLM_REGISTRY_FILE", (work / "registry.txt").c_str(), 1);

    const std::string library =
        options.library.empty() ? (fs::path(executable_folder()) / "libTolmServer7.so").string() : options.library;
    register_library(fs::absolute(library).string());
    if (options.map_aids) set_map_aids(fs::absolute(library).parent_path(), *options.map_aids);

    // The client's program folder with its Maps folder, and the client's saved setting that names it.
    const fs::path client = work / "Wendal32";
    fs::create_directories(client / "Maps");
    // The map entry file printed at the end must be the one this run wrote, not one left from before.
    const fs::path entry = client / "Maps" / "!!TolmServer7.INF";
    std::error_code no_entry;
    fs::remove(entry, no_entry);
    if (options.program_folder) {
        platform::save_setting("Orvensa", "Wendal32", "Program Folder", client.string());
    } else {
        try {
            platform::delete_setting("Orvensa", "Wendal32", "Program Folder");
        } catch (const RuntimeError&) {
            // Nothing saved yet.
        }
    }

    // The desktop: the client's main window, and on a first run the product folder the user picks
    // when the server asks where the map data lies. Message boxes are answered with OK.
    Desktop desktop(platform::headless::UnansweredPolicy::default_answer);
    platform::ScopedWindowSystem use_desktop(desktop);
    MessageLog messages(desktop);
    const platform::WindowHandle main_window = desktop.add_top_level_window("Wendal32");
    // A product that cannot be drawn from is refused before the server starts.
    std::optional<DataFolders> product;
    if (!options.product_folder.empty()) {
        product = product_folders(fs::absolute(options.product_folder));
        desktop.answer_folder(fs::absolute(options.product_folder).string());
    }

    ServerReference reference;
    std::string error;
    const com::HRESULT created = com::create_instance(k_prog_id, frame::k_registration.interface_id,
                                                      reinterpret_cast<void**>(&reference.server), &error);
    if (com::failed(created) || !reference.server) throw HostError("cannot create " + std::string(k_prog_id) + ": " + error);
    com::I_clsMapServ* server = reference.server;

    auto picture = std::make_shared<host::PictureBox>(options.width, options.height);
    auto form = std::make_shared<host::MainForm>("Wendal32", main_window);
    auto events = std::make_shared<ClientEvents>(options.stations);
    ObjectRef picture_ref = picture, form_ref = form, events_ref = events;

    std::int16_t diagonal = 0, zoom_in = 0, zoom_out = 0, zoom_all = 0, control_panel = 0;
    std::string help_file, short_name;
    std::int32_t help_topic = 0;
    StringArray captions;
    check(server,
          server->GetSupportedFeatures(&diagonal, &zoom_in, &zoom_out, &zoom_all, &control_panel, &help_file,
                                       &help_topic, &short_name, &captions),
          "GetSupportedFeatures");
    form->load_special_options(captions);

    if (!options.before_initialize) {
        std::string callsign = "N0CALL";
        check(server, server->Initialize(&callsign, &events_ref, &form_ref), "Initialize");
        if (product) use_product(server, *product, fs::absolute(library).parent_path() / "TolmServer7.INI");
    }
    for (const auto& setting : options.settings) {
        put_by_name(server, setting.name, setting.value);
        // The server draws without an overlay or underlay it cannot find; the user should know.
        const bool layer = equals_ignoring_case(setting.name, "strOvlFile") || equals_ignoring_case(setting.name, "strUnderFile");
        std::error_code ignored;
        if (layer && !setting.value.empty() && !fs::is_regular_file(setting.value, ignored))
            std::cerr << "tolm: " << (equals_ignoring_case(setting.name, "strOvlFile") ? "overlay" : "underlay") << " file "
                      << setting.value << " not found; the map is drawn without it\n";
    }
    if (options.list_layers) list_layers(library);
    if (options.overlay) choose_layer(server, desktop, library, *options.overlay, true);
    if (options.underlay) choose_layer(server, desktop, library, *options.underlay, false);
    if (options.panel) {
        messages.flush();
        show_control_panel(server, desktop, options, fs::absolute(library).parent_path() / "TolmServer7.INI", messages);
        // The panel's changes show in a drawing made afterwards.
    }
    if (options.png.empty() && !options.search) return 0;


    std::int16_t drawn = 0;
    if (options.centre) {
        double lon = options.centre->lon, lat = options.centre->lat;
        check(server, server->DrawMapFromCentre(&picture_ref, &lon, &lat, &drawn), "DrawMapFromCentre");
    } else {
        // The contiguous United States unless corners are given.
        const Corners corners = options.corners.value_or(Corners{-125.0, 49.5, -66.5, 24.5});
        double x1 = corners.west, y1 = corners.north, x2 = corners.east, y2 = corners.south;
        check(server, server->DrawMapFromCorners(&picture_ref, &x1, &y1, &x2, &y2, &drawn), "DrawMapFromCorners");
    }
    run_steps(server, picture_ref, options.steps);

    messages.flush();
    if (options.search) search(server, picture_ref, desktop, *events, *form, *options.search, messages);
    // After the Go To: the found item's mark stays through zooms and pans (ZoomAll takes it away).
    run_steps(server, picture_ref, options.after_search);

    if (!options.png.empty()) {
        const fs::path png = fs::absolute(options.png);
        picture->write_png(png.string());
        std::cout << "picture: " << png.string() << " (" << options.width << " x " << options.height << ")\n";
    }
    messages.flush();
    const auto& information = events->record().information();
    if (information.empty()) {
        // Before Initialize the client has not handed over its events object, so nothing can be reported.
        std::cout << "extent: none reported\n";
    } else {
        const auto& last = information.back();
        char line[200];
        std::snprintf(line, sizeof line, "extent: west %.6f east %.6f north %.6f south %.6f (%s)", last.west, last.east,
                      last.north, last.south, last.server_name.c_str());
        std::cout << line << "\n";
    }
    if (fs::exists(entry)) {
        std::cout << "map entry file: " << entry.string() << "\n";
        print_without_cr(read_file(entry));
    } else {
        std::cout << "map entry file: not written (" << entry.string() << ")\n";
    }
    return 0;
}

}  // namespace

}  // namespace tolm::cli

int main(int argc, char** argv) {
    try {
        const tolm::cli::Options options = tolm::cli::parse_options(std::vector<std::string>(argv + 1, argv + argc));
        if (options.help) {
            std::cout << tolm::cli::usage();
            return 0;
        }
        if (options.version) {
            std::cout << "tolm " << TOLM_VERSION << " (TolmServer7 command-line host)\n";
            return 0;
        }
        return tolm::cli::run(options);
    } catch (const std::invalid_argument& e) {
        std::cerr << "tolm: " << e.what() << "\n" << tolm::cli::usage();
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "tolm: " << e.what() << "\n";
        return 1;
    }
}
