#pragma once

#include "platform/dispatch.h"

#include <string>
#include <vector>

// The client's events object, which the server calls late by name. It records every call.
namespace tolm::host {

struct InformationSignal {
    double west = 0;
    double east = 0;
    double north = 0;
    double south = 0;
    std::string server_name;
    // The types the server passed (the placeholder extent comes as Integers).
    VariantType coordinate_type = VariantType::empty;
};

// Members: SignalInformation(west, east, north, south, name), SignalSuspend(flag),
// SignalSpecialRedraw(title), SignalCallsignData(a, b).
class ServerEvents : public DynamicDispatch {
public:
    ServerEvents();

    const std::vector<InformationSignal>& information() const noexcept { return m_information; }
    const std::vector<bool>& suspends() const noexcept { return m_suspends; }
    const std::vector<std::string>& special_redraws() const noexcept { return m_special_redraws; }
    const std::vector<std::pair<std::string, std::string>>& callsign_data() const noexcept { return m_callsign_data; }
    void clear();

private:
    std::vector<InformationSignal> m_information;
    std::vector<bool> m_suspends;
    std::vector<std::string> m_special_redraws;
    std::vector<std::pair<std::string, std::string>> m_callsign_data;
};

}  // namespace tolm::host
