#include "tools/tolm/client_events.h"

#include "platform/runtime_error.h"
#include "platform/text.h"

#include <cstdio>

namespace tolm::cli {

ClientEvents::ClientEvents(std::vector<Station> stations)
    : m_record(std::make_shared<host::ServerEvents>()), m_stations(std::move(stations)) {
    forward("SignalInformation");
    forward("SignalSuspend");
    forward("SignalSpecialRedraw");
    add_method("SignalCallsignData", [this](Arguments& args) {
        // The server passes the callsign and an empty String the client fills in.
        if (args.size() == 2) args[1] = Variant(callsign_answer(args[0].to_string()));
        const DispId id = *m_record->id_of_name("SignalCallsignData");
        return m_record->invoke(id, InvokeKind::method, args);
    });
}

void ClientEvents::forward(const std::string& member) {
    add_method(member, [this, member](Arguments& args) {
        const DispId id = *m_record->id_of_name(member);
        return m_record->invoke(id, InvokeKind::method, args);
    });
}

std::string ClientEvents::callsign_answer(std::string_view callsign) const {
    const std::string wanted = to_upper_ascii(trim_blanks(callsign));
    std::string answer;
    if (wanted.empty()) return answer;
    for (const Station& station : m_stations) {
        if (to_upper_ascii(station.callsign).compare(0, wanted.size(), wanted) != 0) continue;
        char position[64];
        std::snprintf(position, sizeof position, ",%.6f,%.6f", station.lon, station.lat);
        if (!answer.empty()) answer += '\t';
        answer += station.callsign + position;
    }
    return answer;
}

}  // namespace tolm::cli
