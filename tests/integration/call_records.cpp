#include "tests/integration/call_records.h"

namespace integration {

std::vector<std::string> suite_traffic(const aehost::Host& host)
{
    std::vector<std::string> traffic;
    for (const aehost::SuiteEvent& event : host.suite_events()) {
        const char* mark = "+";
        switch (event.kind) {
        case aehost::SuiteEventKind::Acquired: mark = "+"; break;
        case aehost::SuiteEventKind::Refused: mark = "!"; break;
        case aehost::SuiteEventKind::Released: mark = "-"; break;
        case aehost::SuiteEventKind::StrayRelease: mark = "?"; break;
        }
        traffic.push_back(mark + event.suite.name + "/" + std::to_string(event.suite.version));
    }
    return traffic;
}

}  // namespace integration
