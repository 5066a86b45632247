#include "announce/lxi_records.h"

namespace zz::announce {

Announcement lxiAnnouncement(std::string name, const InstrumentFacts &facts) {
    const std::vector<std::pair<std::string, std::string>> identity{
        {"txtvers", "1"},
        {"Manufacturer", std::string(facts.identity.maker)},
        {"Model", std::string(facts.identity.model)},
        {"SerialNumber", std::string(facts.identity.serialNumber)},
        {"FirmwareVersion", std::string(facts.identity.firmware)},
    };
    auto withPath = identity;
    withPath.emplace_back("path", "/");

    Announcement a{std::move(name), {}};
    const ServiceRecord all[] = {
        {"_scpi-raw._tcp", facts.scpiPort, identity},
        {"_lxi._tcp", facts.webPort, withPath},
        {"_http._tcp", facts.webPort, withPath},
        {"_vxi-11._tcp", facts.vxi11Port, identity},
    };
    for (const ServiceRecord &s : all)
        if (s.port != 0) a.services.push_back(s);
    return a;
}

}  // namespace zz::announce
