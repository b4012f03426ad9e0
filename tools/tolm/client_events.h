#pragma once

#include "platform/dispatch.h"
#include "host/ServerEvents.h"
#include "tools/tolm/options.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The client's events object as the host plays it: it records what the server signals (through
// ServerEvents) and, when the server's callsign search asks, answers with the stations the client
// knows, as "CALL,lon,lat" entries separated by tabs.
namespace tolm::cli {

class ClientEvents : public DynamicDispatch {
public:
    explicit ClientEvents(std::vector<Station> stations);

    const host::ServerEvents& record() const noexcept { return *m_record; }

    // The answer for a callsign typed in the search: every station whose callsign starts with it
    // (without regard to case), so a callsign without SSID finds the station with each of its SSIDs.
    std::string callsign_answer(std::string_view callsign) const;

private:
    void forward(const std::string& member);

    std::shared_ptr<host::ServerEvents> m_record;
    std::vector<Station> m_stations;
};

}  // namespace tolm::cli
