#include "host/ServerEvents.h"

namespace tolm::host {

namespace {
const char* const k_source = "cMapServerEvents";
}

ServerEvents::ServerEvents() {
    add_method("SignalInformation", [this](Arguments& args) {
        require_argument_count(args, 5, k_source);
        m_information.push_back(InformationSignal{args[0].to_double(), args[1].to_double(), args[2].to_double(),
                                                  args[3].to_double(), args[4].to_string(), args[0].type()});
        return Variant();
    });
    add_method("SignalSuspend", [this](Arguments& args) {
        require_argument_count(args, 1, k_source);
        m_suspends.push_back(args[0].to_bool());
        return Variant();
    });
    add_method("SignalSpecialRedraw", [this](Arguments& args) {
        require_argument_count(args, 1, k_source);
        m_special_redraws.push_back(args[0].to_string());
        return Variant();
    });
    add_method("SignalCallsignData", [this](Arguments& args) {
        require_argument_count(args, 2, k_source);
        m_callsign_data.emplace_back(args[0].to_string(), args[1].to_string());
        return Variant();
    });
}

void ServerEvents::clear() {
    m_information.clear();
    m_suspends.clear();
    m_special_redraws.clear();
    m_callsign_data.clear();
}

}  // namespace tolm::host
