#include "server/forms/frmSearch.h"

#include "common/clsIni.h"
#include "ui/forms/dialogs.h"
#include "ui/forms/keys.h"
#include "ui/forms/screen.h"
#include "platform/text.h"
#include "server/Tolm.h"

#include <array>
#include <cstdlib>
#include <exception>

namespace tolm::server {

namespace {

struct KindRule {
    const char* caption;
    const char* prompt;
    std::int32_t max_length;
};

constexpr std::array<KindRule, 6> k_kinds{{
    {"Address",
     "Input Street Address, Place, State, Zip separated by commas. Any of the fields can be omitted.", 80},
    {"Phone", "Input the area code and the next three digits.", 6},
    {"Callsign", "Input a callsign, with or without SSID.", 9},
    {"State", "Input a state name or a two letter state abbreviation.", 25},
    {"County", "Input County, State Abbreviation, separated by a comma. State Abbreviation can be omitted.", 80},
    {"Mile Marker", "Input State, Interstate Number, Mile Marker Number, separated by commas. E.g. TX,20,100", 40},
}};

// Where each kind's button sits in the frame: two rows of three.
struct ButtonPlace {
    std::int32_t left, top;
};
constexpr std::array<ButtonPlace, 6> k_button_places{{
    {120, 240},   // Address
    {120, 540},   // Phone
    {3000, 540},  // Callsign
    {3000, 240},  // State
    {1560, 240},  // County
    {1560, 540},  // Mile Marker
}};

constexpr const char* k_section = "SETUP";
constexpr const char* k_key = "SEARCH_TYPE";
constexpr std::int32_t k_place_at_zero = 9999999;

bool only_digits(std::string_view text) {
    return IsAllDigits(text);
}

void set_pointer(std::int32_t pointer) noexcept {
    try {
        forms::screen::set_mouse_pointer(pointer);
    } catch (const std::exception&) {
    }
}

// Characters, not bytes: MaxLength counts what the user sees.
std::size_t character_count(std::string_view utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) ++count;
    return count;
}

}  // namespace

bool IsMileMarkerFormat(std::string_view text) {
    const auto fields = split_fields(text, ',');
    return fields.size() == 3 && only_digits(fields[2]) && fields[1].find(' ') == std::string::npos;
}

std::int32_t frmSearch::encode_item_data(std::int32_t index, bool is_place) noexcept {
    if (!is_place) return index;
    return index == 0 ? k_place_at_zero : -index;
}

void frmSearch::decode_item_data(std::int32_t data, std::int32_t& index, bool& is_place) noexcept {
    if (data == k_place_at_zero) {
        index = 0;
        is_place = true;
        return;
    }
    index = std::abs(data);
    is_place = data < 0;
}

frmSearch::frmSearch() : Form("frmSearch") {
    set_caption("TolmServer Search");
    set_border_style(forms::BorderStyle::fixed_single);
    set_min_button(true);
    set_max_button(false);
    set_help_context_id(40);
    move(0, 0, 5025, 5205);

    Label1.set_caption("Press F1 for help");
    Label1.move(1575, 60, 1770, 240);
    Frame1.set_caption("Search type");
    Frame1.move(240, 360, 4515, 915);
    optType.for_each([this](forms::OptionButton& button) {
        const auto index = static_cast<std::size_t>(button.index());
        button.set_container(Frame1);
        button.set_caption(k_kinds[index].caption);
        button.move(k_button_places[index].left, k_button_places[index].top, 1335, 255);
    });
    labPrompt.set_caption("Search help");
    labPrompt.move(300, 1380, 4425, 435);
    txtFind.move(240, 1860, 3435, 315);
    txtFind.set_max_length(80);
    cmdFind.set_caption("&Find");
    cmdFind.move(3840, 1860, 855, 315);
    cmdFind.set_enabled(false);
    lstFind.set_sorted(true);
    lstFind.move(240, 2340, 4455, 1815);
    cmdOk.set_caption("&Go To");
    cmdOk.move(240, 4320, 855, 375);
    cmdOk.set_enabled(false);
    ResultLbl.set_caption("...");
    ResultLbl.move(1920, 4200, 1455, 375);
    cmdCancel.set_caption("&Close");
    cmdCancel.move(3840, 4320, 855, 375);
    // Escape anywhere in the dialog closes it.
    cmdCancel.set_cancel(true);

    // Tab order: the text, Find, the list, Go To, Close; setting each first-to-last keeps that order.
    txtFind.set_tab_index(0);
    cmdFind.set_tab_index(1);
    lstFind.set_tab_index(2);
    cmdOk.set_tab_index(3);
    cmdCancel.set_tab_index(4);

    optType.wire([this](forms::OptionButton& button) {
        button.on_click = [this, &button] { SetSearchType(static_cast<std::int16_t>(button.index())); };
    });
    txtFind.on_got_focus = [] { SelectAllInActiveControl(); };
    txtFind.on_change = [this] { cmdFind.set_enabled(!trim_blanks(txtFind.text()).empty()); };
    txtFind.on_key_press = [this](std::int32_t& key_ascii) {
        if (key_ascii == forms::key::enter) {
            // Enter never reaches the text; it searches when there is something to search for.
            key_ascii = 0;
            if (!trim_blanks(txtFind.text()).empty()) cmdFind_Click();
            return;
        }
        if (m_find_type == FIND_CALLSIGN) {
            key_ascii = UpperCaseKey(static_cast<std::int16_t>(key_ascii));
        } else if (m_find_type == FIND_PHONE) {
            if (key_ascii < 0 || key_ascii > 0x7FFF || !IsDigitOrControlKey(static_cast<std::int16_t>(key_ascii)))
                key_ascii = 0;
        }
    };
    cmdFind.on_click = [this] { cmdFind_Click(); };
    lstFind.on_dbl_click = [this] { cmdOk_Click(); };
    lstFind.on_key_press = [this](std::int32_t& key_ascii) {
        if (key_ascii == forms::key::enter) {
            key_ascii = 0;
            cmdOk_Click();
        }
    };
    cmdOk.on_click = [this] { cmdOk_Click(); };
    cmdCancel.on_click = [this] { cmdCancel_Click(); };

    on_load = [this] { Form_Load(); };
    on_query_unload = [this](bool& cancel, forms::UnloadMode mode) {
        SaveSearchType();
        if (mode == forms::UnloadMode::form_control_menu) {
            // The dialog lives as long as the server: closing it from its title bar only hides it.
            cancel = true;
            hide();
        }
    };
    on_unload = [this](bool&) {
        if (ImUnloading) ImUnloading();
    };
    on_terminate = [this] { SaveSearchType(); };
}

void frmSearch::Form_Load() {
    LoadSearchType();
    optType[m_find_type].set_value(true);
}

void frmSearch::LoadSearchType() {
    std::int16_t kind = FIND_ADDRESS;
    try {
        clsIni ini;
        const double value = round_half_even(parse_leading_number(ini.GetIniString(k_section, k_key, "0").to_string()));
        // A hand-edited value outside the six kinds falls back to the address search.
        if (value >= 0 && value <= 5) kind = static_cast<std::int16_t>(value);
    } catch (const std::exception&) {
    }
    m_find_type = kind;
}

void frmSearch::SaveSearchType() noexcept {
    try {
        clsIni ini;
        ini.SaveIniString(k_section, k_key, Variant(m_find_type));
    } catch (const std::exception&) {
    }
}

void frmSearch::SetSearchType(std::int16_t kind) {
    if (kind < FIND_ADDRESS || kind > FIND_MILEMARKER) return;
    m_find_type = kind;
    const KindRule& rule = k_kinds[static_cast<std::size_t>(kind)];
    labPrompt.set_caption(rule.prompt);

    std::string text = txtFind.text();
    bool clear = false;
    switch (kind) {
    case FIND_CALLSIGN: {
        const std::string upper = to_upper_ascii(text);
        if (upper != text) txtFind.set_text(upper);
        text = upper;
        break;
    }
    case FIND_PHONE: clear = !only_digits(text); break;
    case FIND_STATE: clear = text.find(',') != std::string::npos; break;
    case FIND_MILEMARKER: clear = !IsMileMarkerFormat(text); break;
    default: break;
    }
    // An empty text passes every check.
    if (clear && !text.empty()) txtFind.set_text("");

    txtFind.set_max_length(rule.max_length);
    if (character_count(txtFind.text()) > static_cast<std::size_t>(rule.max_length)) txtFind.set_text("");
    if (visible()) focus_text();
}

void frmSearch::focus_text() noexcept {
    try {
        txtFind.set_focus();
    } catch (const std::exception&) {
    }
}

void frmSearch::cmdFind_Click() {
    ResultLbl.set_caption("...");
    const std::string text = trim_blanks(txtFind.text());
    if (text.empty()) return;
    if (text[0] == '*' || text[0] == '?') {
        forms::message_box("The first character of the search text cannot be a wildcard.",
                           platform::message_box_style::information);
        focus_text();
        return;
    }
    if (m_find_type == FIND_MILEMARKER && !IsMileMarkerFormat(text)) {
        forms::message_box("That format is incorrect, please read the help.", platform::message_box_style::information);
        focus_text();
        return;
    }
    set_pointer(platform::mouse_pointer::hourglass);
    try {
        run_find(text);
    } catch (const std::exception&) {
        // The rows added so far stay; the search simply ends.
    }
    set_pointer(platform::mouse_pointer::default_pointer);
}

void frmSearch::run_find(const std::string& text) {
    const auto fields = split_fields(text, ',');
    const bool two_part = fields.size() == 2 && trim_blanks(fields[1]).size() == 2;

    lstFind.clear();
    mtypResults.clear();
    cmdOk.set_enabled(false);
    lstFind.set_enabled(true);
    mblnRefining = false;

    std::string strP = text;
    std::int16_t kind = m_find_type;
    if (Find) Find(strP, kind);

    if (lstFind.list_count() == 0) {
        lstFind.add_item("Nothing found.");
        lstFind.set_enabled(false);
        return;
    }
    if (lstFind.list_count() == 1 && two_part) {
        // "Austin, TX" found one row; the same search for "Austin" alone may know that row's
        // place better (the town rather than its ZIP code area), so its point is taken over.
        mtypRefine.assign(1, typRefineItem{});
        mblnRefining = true;
        std::string first = fields[0];
        std::int16_t refine_kind = m_find_type;
        if (Find) Find(first, refine_kind);
        const std::string& row = lstFind.list(0);
        for (std::size_t i = 1; i < mtypRefine.size(); ++i) {
            if (mtypRefine[i].strTitle == row) {
                mtypResults.at(0).dblLat = mtypRefine[i].dblLat;
                mtypResults.at(0).dblLong = mtypRefine[i].dblLong;
                break;
            }
        }
    }
    lstFind.set_list_index(0);
    try {
        lstFind.set_focus();
    } catch (const std::exception&) {
    }
    cmdOk.set_enabled(true);
}

void frmSearch::AddToList(std::string& strTitle, double& dblLong, double& dblLat, bool& blnIsPlace, double& dblLong2,
                          double& dblLat2, double& dblL, bool& blnLIsLat) {
    if (mblnRefining) {
        mtypRefine.push_back({strTitle, dblLong, dblLat});
        return;
    }
    const std::int32_t index = lstFind.list_count();
    mtypResults.resize(static_cast<std::size_t>(index) + 1);
    mtypResults[static_cast<std::size_t>(index)] = {dblLat, dblLong, dblLat2, dblLong2, dblL, blnLIsLat};
    lstFind.add_item(strTitle);
    lstFind.set_item_data(lstFind.new_index(), encode_item_data(index, blnIsPlace));
}

void frmSearch::AddToList(const FindResult& result) {
    FindResult copy = result;
    AddToList(copy.strTitle, copy.dblLong, copy.dblLat, copy.blnIsPlace, copy.dblLong2, copy.dblLat2, copy.dblL,
              copy.blnLIsLat);
}

void frmSearch::cmdOk_Click() {
    const std::int32_t row = lstFind.list_index();
    if (row < 0) return;
    set_pointer(platform::mouse_pointer::hourglass);
    try {
        std::int32_t index = 0;
        bool is_place = false;
        decode_item_data(lstFind.item_data(row), index, is_place);
        const typFindResult& found = mtypResults.at(static_cast<std::size_t>(index));
        std::string title = lstFind.list(row);
        double dblLong = found.dblLong, dblLat = found.dblLat, dblLong2 = found.dblLong2, dblLat2 = found.dblLat2;
        double dblL = found.dblL;
        bool blnLIsLat = found.blnLIsLat;
        if (ZoomToFind) ZoomToFind(title, dblLong, dblLat, is_place, dblLong2, dblLat2, dblL, blnLIsLat);
    } catch (const std::exception&) {
        // A row without a result (or a failed redraw) leaves the dialog as it is.
    }
    set_pointer(platform::mouse_pointer::default_pointer);
}

void frmSearch::cmdCancel_Click() {
    SaveSearchType();
    hide();
}

}  // namespace tolm::server
