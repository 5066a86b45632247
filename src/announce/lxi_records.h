#pragma once
// What the box announces over DNS-SD, as LAN instruments do: one instance
// name for all of its services (the SCPI socket, the web page as _lxi and
// _http, VXI-11), each with the TXT records that tell what it is, matching
// *IDN? (box/identity.h). A service whose port is 0 is not announced.

#include "box/identity.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zz::announce {

struct ServiceRecord {
    std::string type;  // "_scpi-raw._tcp"
    std::uint16_t port = 0;
    std::vector<std::pair<std::string, std::string>> txt;  // in this order
};

struct Announcement {
    std::string name;  // the instance name
    std::vector<ServiceRecord> services;
};

struct InstrumentFacts {
    box::Identity identity = box::identity();
    std::uint16_t scpiPort = 0, webPort = 0, vxi11Port = 0;
};

Announcement lxiAnnouncement(std::string name, const InstrumentFacts &facts);

}  // namespace zz::announce
