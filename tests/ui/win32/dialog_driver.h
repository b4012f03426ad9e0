#pragma once

// Drives real windows of this thread the way a user does, also while a modal loop runs: a thread
// timer ticks inside whatever message loop is running (ours, MessageBoxA's, the folder dialog's), and
// each tick looks for the window the next step waits for and acts on it with window messages.
// Windows only; the tests that use it run under Wine.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace tolm::test {

inline std::string text_of(HWND hwnd) {
    char buffer[1024] = {};
    GetWindowTextA(hwnd, buffer, sizeof buffer);
    return buffer;
}

inline std::string class_of(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

namespace detail {

inline BOOL CALLBACK collect_visible(HWND hwnd, LPARAM data) {
    if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

struct ChildSearch {
    std::string window_class, text;
    HWND found = nullptr;
};

inline BOOL CALLBACK match_child(HWND hwnd, LPARAM data) {
    auto& s = *reinterpret_cast<ChildSearch*>(data);
    if (lstrcmpiA(class_of(hwnd).c_str(), s.window_class.c_str()) == 0 && (s.text.empty() || text_of(hwnd) == s.text)) {
        s.found = hwnd;
        return FALSE;
    }
    return TRUE;
}

inline BOOL CALLBACK join_statics(HWND hwnd, LPARAM data) {
    if (lstrcmpiA(class_of(hwnd).c_str(), "Static") == 0) {
        const std::string part = text_of(hwnd);
        if (!part.empty()) {
            auto& all = *reinterpret_cast<std::string*>(data);
            if (!all.empty()) all += "\n";
            all += part;
        }
    }
    return TRUE;
}

}  // namespace detail

// The command of the menu item of a window's menu bar reached through these captions ("&Options",
// "Shade &Counties"), or 0 when one of them is not there.
inline UINT menu_command(HWND window, std::initializer_list<const char*> path) {
    HMENU menu = GetMenu(window);
    UINT command = 0;
    for (const char* caption : path) {
        if (!menu) return 0;
        HMENU next = nullptr;
        command = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            char text[128] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            if (std::string(text) != caption) continue;
            next = GetSubMenu(menu, i);
            command = GetMenuItemID(menu, i);
            break;
        }
        if (!next && command == 0) return 0;
        menu = next;
    }
    return command;
}

// The visible top-level windows of this thread.
inline std::vector<HWND> thread_windows() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), detail::collect_visible, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The first child (at any depth) of this class whose text is `text` (any text when empty).
inline HWND find_child(HWND parent, const std::string& window_class, const std::string& text = {}) {
    detail::ChildSearch search{window_class, text};
    EnumChildWindows(parent, detail::match_child, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The texts of a message box's static controls, joined: what the user reads in it.
inline std::string message_box_text(HWND box) {
    std::string text;
    EnumChildWindows(box, detail::join_statics, reinterpret_cast<LPARAM>(&text));
    return text;
}

// Handles the queue of the steps until nothing is left; what went wrong is kept in failures.
class DialogDriver {
public:
    using Match = std::function<bool(HWND)>;
    using Action = std::function<void(HWND)>;

    DialogDriver() {
        current() = this;
        m_timer = SetTimer(nullptr, 0, 25, &DialogDriver::tick);
    }
    ~DialogDriver() {
        KillTimer(nullptr, m_timer);
        if (current() == this) current() = nullptr;
    }
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // When a visible top-level window of this thread titled exactly `title` is there, act on it.
    void when_titled(const std::string& title, Action action) {
        when([title](HWND hwnd) { return text_of(hwnd) == title; }, "a window titled \"" + title + "\"", std::move(action));
    }
    // The shell's folder dialog: a dialog holding a tree of folders.
    void when_folder_dialog(Action action) {
        when([](HWND hwnd) { return class_of(hwnd) == "#32770" && find_child(hwnd, "SysTreeView32") != nullptr; },
             "the folder dialog", std::move(action));
    }
    void when(Match match, std::string what, Action action) {
        m_steps.push_back(Step{std::move(match), std::move(what), std::move(action)});
    }

    bool done() const { return m_steps.empty(); }
    const std::vector<std::string>& failures() const { return m_failures; }
    // Texts of the message boxes answered, in order.
    std::vector<std::string> seen;

    // Answers a message box: remembers its text and clicks the button with this id (IDOK, IDYES...).
    static Action press(int button_id, std::vector<std::string>* texts = nullptr) {
        return [button_id, texts](HWND box) {
            if (texts) texts->push_back(message_box_text(box));
            if (HWND button = GetDlgItem(box, button_id)) {
                SendMessageA(button, BM_CLICK, 0, 0);
            } else {
                PostMessageA(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), 0);
            }
        };
    }

private:
    struct Step {
        Match match;
        std::string what;
        Action action;
    };

    static DialogDriver*& current() {
        static DialogDriver* driver = nullptr;
        return driver;
    }

    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        DialogDriver* driver = current();
        if (!driver || driver->m_steps.empty()) return;
        for (HWND hwnd : thread_windows()) {
            if (!driver->m_steps.front().match(hwnd)) continue;
            // Taken off first: the action may open a modal window whose loop ticks again.
            Step step = std::move(driver->m_steps.front());
            driver->m_steps.pop_front();
            driver->m_waited = 0;
            step.action(hwnd);
            return;
        }
        // About ten seconds without the expected window: give up and close what is open, so that the
        // test ends with a failure and does not hang.
        if (++driver->m_waited < 400) return;
        driver->m_failures.push_back("gave up waiting for " + driver->m_steps.front().what);
        driver->m_steps.clear();
        for (HWND hwnd : thread_windows()) {
            PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        }
    }

    UINT_PTR m_timer = 0;
    std::deque<Step> m_steps;
    std::vector<std::string> m_failures;
    int m_waited = 0;
};

// Handles what is waiting in this thread's queue (posted updates, paints) without blocking.
inline void pump_messages() {
    MSG message{};
    for (int i = 0; i < 1000 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// The text of the item selected in a tree view, or "" when none is.
inline std::string selected_tree_text(HWND tree) {
    char text[MAX_PATH] = {};
    TVITEMA shown{};
    shown.mask = TVIF_TEXT;
    shown.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    shown.pszText = text;
    shown.cchTextMax = sizeof text;
    if (!shown.hItem || !SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&shown))) return {};
    return text;
}

// Browses the folder dialog to `path` and picks it, as a user clicking through the tree does.
// Wine's dialog may drop a selection when the shell reports a folder changed: the path is asked
// for again until the tree shows its last part selected, for up to two seconds.
inline void pick_folder(HWND dialog, const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    const std::string leaf = cut == std::string::npos ? path : path.substr(cut + 1);
    const HWND tree = find_child(dialog, "SysTreeView32");
    constexpr UINT set_selection = WM_USER + 102;  // BFFM_SETSELECTIONA
    for (int attempt = 0; attempt < 80; ++attempt) {
        if (attempt % 8 == 0) SendMessageA(dialog, set_selection, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        if (lstrcmpiA(selected_tree_text(tree).c_str(), leaf.c_str()) == 0) break;
        pump_messages();
        Sleep(25);
    }
    SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// A key pressed in a window, as the keyboard sends it: the key going down, its character, the key
// going up.
inline void press_key(HWND target, UINT key, char character = 0) {
    SendMessageA(target, WM_KEYDOWN, key, 1);
    if (character) SendMessageA(target, WM_CHAR, static_cast<unsigned char>(character), 1);
    SendMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    pump_messages();
}

// Characters typed into a window with WM_CHAR only, as the tests of the issue and a client's
// automation send them.
inline void type_chars(HWND target, const std::string& text) {
    for (char c : text) SendMessageA(target, WM_CHAR, static_cast<unsigned char>(c), 1);
    pump_messages();
}

}  // namespace tolm::test
