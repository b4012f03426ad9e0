#pragma once

#include "ui/forms/buttons.h"
#include "ui/forms/control_array.h"
#include "ui/forms/form.h"
#include "ui/forms/list_box.h"
#include "ui/forms/static_controls.h"
#include "ui/forms/text_box.h"
#include "server/member_table.h"
#include "server/search/find_result.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The server's search dialog. The user picks a kind of search, types a text and presses Find; the
// dialog raises Find to the server, which fills the list through AddToList before the event
// returns. Go To raises ZoomToFind with the chosen row's result. The dialog knows nothing of data
// files or of the engine: it owns the kind (remembered as SEARCH_TYPE in the settings file), the
// checks on the text, and the rows with their coordinates.
namespace tolm::server {

// True for "State,Road,Mile" with exactly three fields, a mile of digits only (or none) and a road
// without blanks. The fields are not trimmed.
bool IsMileMarkerFormat(std::string_view text);

class frmSearch : public forms::Form {
public:
    frmSearch();

    // Events the server handles; every argument is by reference, as the form raises them.
    std::function<void(std::string& strP, std::int16_t& intFindType)> Find;
    std::function<void(std::string& strTitle, double& dblLong, double& dblLat, bool& blnIsPlace, double& dblLong2,
                       double& dblLat2, double& dblL, bool& blnLIsLat)>
        ZoomToFind;
    std::function<void()> ImUnloading;

    // Adds a found item: a row of the list, or, during the refining search, a candidate position.
    void AddToList(std::string& strTitle, double& dblLong, double& dblLat, bool& blnIsPlace, double& dblLong2,
                   double& dblLat2, double& dblL, bool& blnLIsLat);
    void AddToList(const FindResult& result);

    std::int16_t mintFindType() const noexcept { return m_find_type; }

    // Item data of a row: the result's index, negated for a place; a place at index 0 is 9999999.
    static std::int32_t encode_item_data(std::int32_t index, bool is_place) noexcept;
    static void decode_item_data(std::int32_t data, std::int32_t& index, bool& is_place) noexcept;

    forms::Label Label1{*this, "Label1"};
    forms::Frame Frame1{*this, "Frame1"};
    forms::ControlArray<forms::OptionButton> optType{*this, "optType", {0, 1, 2, 3, 4, 5}};
    forms::Label labPrompt{*this, "labPrompt"};
    forms::TextBox txtFind{*this, "txtFind"};
    forms::CommandButton cmdFind{*this, "cmdFind"};
    forms::ListBox lstFind{*this, "lstFind"};
    forms::CommandButton cmdOk{*this, "cmdOk"};
    forms::Label ResultLbl{*this, "ResultLbl"};
    forms::CommandButton cmdCancel{*this, "cmdCancel"};

private:
    struct typFindResult {
        double dblLat = 0;
        double dblLong = 0;
        double dblLat2 = 0;
        double dblLong2 = 0;
        double dblL = 0;
        bool blnLIsLat = false;
    };
    struct typRefineItem {
        std::string strTitle;
        double dblLong = 0;
        double dblLat = 0;
    };

    void Form_Load();
    void SetSearchType(std::int16_t kind);
    void LoadSearchType();
    void SaveSearchType() noexcept;
    void cmdFind_Click();
    void run_find(const std::string& text);
    void cmdOk_Click();
    void cmdCancel_Click();
    void focus_text() noexcept;

    std::int16_t m_find_type = FIND_ADDRESS;
    std::vector<typFindResult> mtypResults;
    std::vector<typRefineItem> mtypRefine;
    bool mblnRefining = false;
};

}  // namespace tolm::server
