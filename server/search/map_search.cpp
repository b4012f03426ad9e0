#include "server/search/map_search.h"

#include "ui/forms/screen.h"
#include "server/search/found_items.h"
#include "server/search/region_files.h"
#include "server/client_picture.h"
#include "platform/text.h"

#include <exception>

namespace tolm::server {

namespace {

// The name the client shows for a redraw the server started on its own.
const char* const k_server_name = "Kartovex V7 Server";
constexpr std::int32_t k_white = 0xFFFFFF;
constexpr std::int32_t k_place_zoom = 12;
constexpr std::int32_t k_street_zoom = 15;

// Each search procedure stops at its first error and returns quietly: the rows found so far stay.
template <typename Step>
void quietly(Step&& step) noexcept {
    try {
        step();
    } catch (const std::exception&) {
    }
}

}  // namespace

MapSearch::MapSearch(SearchHostAccess host) : m_host(std::move(host)) {}

MapSearch::~MapSearch() { unload_dialog(); }

void MapSearch::unload_dialog() noexcept {
    quietly([&] {
        if (mfrmSearch && mfrmSearch->loaded()) mfrmSearch->unload();
    });
    mfrmSearch.reset();
}

ObjectRef MapSearch::special_menu_element(std::int16_t index) const {
    return get_property(m_host.host_form(), "mnuMapSpecialOptions", {Variant(index)}).to_object();
}

bool MapSearch::ShowSearchDialog(const ObjectRef& picMap) {
    if (m_host.remember_picture) m_host.remember_picture(picMap);
    if (!mfrmSearch) {
        mfrmSearch = forms::make_form<frmSearch>();
        mfrmSearch->Find = [this](std::string& text, std::int16_t& kind) { mfrmSearch_Find(text, kind); };
        mfrmSearch->ZoomToFind = [this](std::string& title, double& x, double& y, bool& place, double& x2,
                                        double& y2, double& line, bool& line_is_lat) {
            mfrmSearch_ZoomToFind(title, x, y, place, x2, y2, line, line_is_lat);
        };
        mfrmSearch->ImUnloading = [] {};
    } else if (mfrmSearch->window_state() == forms::WindowState::minimized) {
        mfrmSearch->set_window_state(forms::WindowState::normal);
    }
    platform::WindowHandle owner = 0;
    quietly([&] {
        owner = static_cast<platform::WindowHandle>(
            static_cast<std::uint32_t>(get_property(m_host.host_form(), "hWnd").to_int32()));
    });
    mfrmSearch->show(forms::Modality::modeless, owner);
    mfrmSearch->move((forms::screen::width() - mfrmSearch->width()) / 2,
                     (forms::screen::height() - mfrmSearch->height()) / 2);
    return false;
}

void MapSearch::add_row(const FindResult& row) {
    if (mfrmSearch) mfrmSearch->AddToList(row);
}

void MapSearch::mfrmP_Find(std::string& strFound) {
    if (mintLastFindType != FIND_ADDRESS) return;
    quietly([&] {
        if (auto row = address_row(strFound)) add_row(*row);
    });
}

void MapSearch::mfrmSearch_Find(std::string& strP, std::int16_t& intFindType) {
    mintLastFindType = intFindType;
    // A new search takes the mark of the last item away; the next picture shows it gone.
    if (m_host.control_ok && m_host.control_ok())
        quietly([&] {
            m_host.engine().clear_found_mark();
            m_mile_marker_marked = false;
        });
    if (!mfrmSearch) return;
    frmSearch& dialog = *mfrmSearch;
    dialog.ResultLbl.set_caption("...");
    const auto add = [this](const FindResult& row) { add_row(row); };
    quietly([&] {
        switch (intFindType) {
        case FIND_ADDRESS: {
            dialog.ResultLbl.set_caption("Searching....");
            const auto count = m_host.engine().address_search(strP);
            dialog.ResultLbl.set_caption(std::to_string(count));
            break;
        }
        case FIND_PHONE: {
            EngineControl engine = m_host.engine();
            engine.phone_lookup(strP);
            const std::string answer = engine.answer_text();
            if (answer.compare(0, strP.size(), strP) == 0 && answer.size() >= strP.size()) AddPhoneResult(answer, add);
            break;
        }
        case FIND_CALLSIGN: {
            Arguments args{Variant(strP), Variant(std::string())};
            call_method(m_host.events(), "SignalCallsignData", args);
            const std::string answer = args[1].to_string();
            if (!answer.empty()) AddCallsignResults(answer, add);
            break;
        }
        case FIND_STATE: FindState(m_host.data_folder, strP, add); break;
        case FIND_COUNTY: FindCounty(m_host.data_folder, strP, add); break;
        case FIND_MILEMARKER: FindMileMarker(m_host.data_folder, strP, add); break;
        default: break;
        }
    });
}

void MapSearch::mfrmSearch_ZoomToFind(std::string& strTitle, double& dblLong, double& dblLat, bool& blnIsPlace,
                                      double& dblLong2, double& dblLat2, double& dblL, bool& blnLIsLat) {
    if (!m_host.control_ok || !m_host.control_ok()) return;
    quietly([&] {
        const ObjectRef pic = m_host.picture();
        m_host.size_map_to_picture(pic);
        const ObjectRef events = m_host.events();
        call_method(events, "SignalSuspend", {Variant::boolean(true)});
        EngineControl engine = m_host.engine();
        if (dblLong2 != 0 || dblLat2 != 0) {
            engine.show_rectangle(dblLong, dblLat, dblLong2, dblLat2);
            if (dblL != 0) {
                mdblMarkerLine = dblL;
                mblnMarkerLine = true;
                mblnMarkerLineIsLat = blnLIsLat;
            }
        } else {
            engine.set_zoom_level(blnIsPlace ? k_place_zoom : k_street_zoom);
            engine.centre_on(dblLong, dblLat);
        }
        // An engine that cannot mark still shows the item.
        quietly([&] { mark_found_item(engine, strTitle, dblLong, dblLat, dblLong2, dblLat2, dblL, blnLIsLat); });
        m_host.render_map(pic);
        call_method(events, "SignalSpecialRedraw", {Variant(strTitle)});
    });
}

void MapSearch::mark_found_item(EngineControl& engine, const std::string& title, double x, double y, double x2, double y2,
                                double line, bool line_is_latitude) {
    m_mile_marker_marked = false;
    const bool rectangle = x2 != 0 || y2 != 0;
    if (rectangle && line != 0) {
        // The row's title is the state code, the road ("IS-" before an interstate's digits) and
        // the mile: "TX, IS-20, Mile marker 100".
        const auto fields = split_text(title, ',');
        if (fields.size() >= 3) {
            std::string road = trim_blanks(fields[1]);
            if (road.starts_with("IS-")) road.erase(0, 3);
            engine.mark_mile_marker(trim_blanks(fields[0]), road, line, line_is_latitude, x, y, x2, y2);
            m_mile_marker_marked = true;
            return;
        }
    } else if (rectangle && mintLastFindType == FIND_STATE) {
        engine.mark_region(EngineControl::Region::state, title, "", x, y, x2, y2);
        return;
    } else if (rectangle && mintLastFindType == FIND_COUNTY) {
        // "Travis, TX": the county's name, then its state's code.
        if (const auto comma = title.rfind(", "); comma != std::string::npos) {
            engine.mark_region(EngineControl::Region::county, title.substr(0, comma), title.substr(comma + 2), x, y, x2, y2);
            return;
        }
    } else if (!rectangle && (x != 0 || y != 0)) {
        // An address, a callsign or a telephone area; an area without a position (0, 0) has none to mark.
        engine.mark_pin(x, y);
        return;
    }
    engine.clear_found_mark();
}

void MapSearch::DrawMileMarkerLine(const ObjectRef& pic) {
    quietly([&] {
        const engine::Extent view = m_host.view_extent();
        if (mblnMarkerLineIsLat ? !(view.south <= mdblMarkerLine && mdblMarkerLine <= view.north)
                                : !(view.west <= mdblMarkerLine && mdblMarkerLine <= view.east))
            return;
        ClientPicture picture(pic);
        // Degrees as the picture's scale, y growing northward.
        picture.set_scale_left(view.west);
        picture.set_scale_top(view.north);
        picture.set_scale_width(view.east - view.west);
        picture.set_scale_height(view.south - view.north);
        const std::int16_t draw_mode = picture.draw_mode();
        const std::int16_t draw_width = picture.draw_width();
        picture.set_draw_mode(ClientPicture::k_copy_pen);
        picture.set_draw_width(5);
        const auto line = [&](std::int32_t colour) {
            if (mblnMarkerLineIsLat)
                picture.line(view.west, mdblMarkerLine, view.east, mdblMarkerLine, colour);
            else
                picture.line(mdblMarkerLine, view.north, mdblMarkerLine, view.south, colour);
        };
        // A broad line in the colour of the engine's found marks, with a thin white one along its
        // middle: it stands out from the pale land and its shadings, the roads and the water alike.
        line(k_marker_line_colour);
        picture.set_draw_width(1);
        line(k_white);
        picture.set_draw_mode(draw_mode);
        if (draw_width > 0 && draw_width < 100) picture.set_draw_width(draw_width);
        put_property(special_menu_element(1), "Visible", Variant::boolean(true));
    });
}

void MapSearch::HideMileMarkerLine() {
    if (!mblnMarkerLine) return;
    const ObjectRef pic = m_host.picture ? m_host.picture() : nullptr;
    if (!pic) return;
    quietly([&] {
        mblnMarkerLine = false;
        put_property(special_menu_element(1), "Visible", Variant::boolean(false));
        if (m_mile_marker_marked) {
            m_mile_marker_marked = false;
            quietly([&] { m_host.engine().clear_found_mark(); });
        }
        m_host.size_map_to_picture(pic);
        const ObjectRef events = m_host.events();
        call_method(events, "SignalSuspend", {Variant::boolean(true)});
        m_host.render_map(pic);
        call_method(events, "SignalSpecialRedraw", {Variant(k_server_name)});
    });
}

}  // namespace tolm::server
