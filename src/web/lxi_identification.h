#pragma once
// The LXI identification document served at /lxi/identification: who made
// the instrument, what it is, and how to reach it (the VISA resource
// strings). The same facts *IDN? answers.

#include <string>
#include <vector>

namespace zz::web {

struct Identity {
    std::string manufacturer;
    std::string model;
    std::string serialNumber;
    std::string firmwareRevision;
    std::string description;
    std::string userDescription;  // the box's own name, when it has one
    std::string hostName;
    std::vector<std::string> addresses;      // the addresses the SCPI port is reached at
    std::vector<std::string> visaResources;  // "TCPIP::bench-pc::5025::SOCKET"
};

std::string identificationXml(const Identity &identity);

}  // namespace zz::web
