#pragma once
// The box's DNS-SD announcement as the server makes it: the instance name
// (given, or "6175 resistance box on COM3 (host)", or the name of the box's
// profile, "Bench 3 (host)"), the facts *IDN? tells (the profile's serial
// number), and the ports of the services that listen beyond the loopback.
// Nothing is announced when all of them listen on the loopback only.

#include "announce/announcer.h"
#include "common/status.h"

#include <boost/asio/ip/tcp.hpp>

#include <memory>
#include <optional>
#include <string>

namespace zz::server {

struct AnnouncedPorts {
    boost::asio::ip::tcp::endpoint scpi;
    std::optional<boost::asio::ip::tcp::endpoint> web, vxi11;
};

// `boxName`: the profile's name, empty when it gives none.
std::string defaultInstanceName(const std::string &portName, const std::string &boxName = {});

// The facts and the ports announced; exposed for the tests.
announce::Announcement serverAnnouncement(const std::string &name, const AnnouncedPorts &ports,
                                          const std::string &serialNumber = "0");

// Announcing, or why not. The announcer logs what becomes of it later
// (announced, the daemon gone and back).
Outcome<std::unique_ptr<announce::Announcer>> startAnnouncing(
    const std::string &name, const AnnouncedPorts &ports, const std::string &serialNumber = "0");

}  // namespace zz::server
