#pragma once

#include "engine/geo.h"
#include "platform/dispatch.h"
#include "server/engine_control.h"
#include "ui/forms/form.h"
#include "server/forms/frmSearch.h"

#include <cstdint>
#include <functional>
#include <string>

// The server's side of searching: it holds the search dialog, runs the six kinds of search when
// the dialog asks, shows the chosen item on the client's map and has the engine mark it there (a
// pin, a region's outline, a mile marker's dot) until the next search, and keeps the mile-marker
// line that stays on the map until the user hides it. The server object lends it what it needs.
namespace tolm::server {

// What the server object lends the search: its engine, the client's objects and its drawing road.
struct SearchHostAccess {
    std::function<bool()> control_ok;                          // blnControlOk
    std::function<EngineControl()> engine;                     // the engine control
    std::function<ObjectRef()> events;                         // mobjEvents
    std::function<ObjectRef()> host_form;                      // mfrmHost
    std::function<ObjectRef()> picture;                        // mpicMap
    std::function<void(const ObjectRef&)> remember_picture;    // mpicMap, when none is remembered
    std::function<void(const ObjectRef&)> size_map_to_picture; // pixels as scale, engine map sized
    std::function<void(const ObjectRef&)> render_map;          // RenderMap
    std::function<engine::Extent()> view_extent;               // the extent of the map last drawn
    std::string data_folder;                                   // where statell.dat and friends lie
};

// The marker line's colour, &HBBGGRR: the violet of the engine's found marks.
inline constexpr std::int32_t k_marker_line_colour = 0xB010A0;

class MapSearch {
public:
    explicit MapSearch(SearchHostAccess host);
    ~MapSearch();
    MapSearch(const MapSearch&) = delete;
    MapSearch& operator=(const MapSearch&) = delete;

    // Special option 0: opens the dialog (made at the first use), modeless, centred on the screen.
    // Returns False: the client need not redraw.
    bool ShowSearchDialog(const ObjectRef& picMap);
    // Special option 1: hides the marker line and redraws the remembered picture.
    void HideMileMarkerLine();
    // Called by the render after each paint while the line is shown.
    void DrawMileMarkerLine(const ObjectRef& pic);
    bool marker_line_shown() const noexcept { return mblnMarkerLine; }
    double marker_line() const noexcept { return mdblMarkerLine; }
    bool marker_line_is_latitude() const noexcept { return mblnMarkerLineIsLat; }

    // The engine host form's Find: one address found by the engine's address search.
    void mfrmP_Find(std::string& strFound);

    // The dialog's events.
    void mfrmSearch_Find(std::string& strP, std::int16_t& intFindType);
    void mfrmSearch_ZoomToFind(std::string& strTitle, double& dblLong, double& dblLat, bool& blnIsPlace,
                               double& dblLong2, double& dblLat2, double& dblL, bool& blnLIsLat);

    // The dialog, or null before the first Search.
    frmSearch* dialog() const noexcept { return mfrmSearch.get(); }
    // At the server's end: unloads the dialog and lets it go.
    void unload_dialog() noexcept;

private:
    void add_row(const FindResult& row);
    void mark_found_item(EngineControl& engine, const std::string& title, double x, double y, double x2, double y2,
                         double line, bool line_is_latitude);
    ObjectRef special_menu_element(std::int16_t index) const;

    SearchHostAccess m_host;
    forms::FormPtr<frmSearch> mfrmSearch;
    std::int16_t mintLastFindType = 0;
    bool mblnMarkerLine = false;
    double mdblMarkerLine = 0;
    bool mblnMarkerLineIsLat = false;
    // The engine marks a mile marker's crossing; hiding the line takes that mark away too.
    bool m_mile_marker_marked = false;
};

}  // namespace tolm::server
