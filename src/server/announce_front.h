#pragma once
// The box's DNS-SD announcement as the server makes it: the instance name
// (given, or "6175 resistance box on COM3 (host)"), the facts *IDN? tells,
// and the ports of the services that listen beyond the loopback. Nothing is
// announced when all of them listen on the loopback only.

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

std::string defaultInstanceName(const std::string &portName);

// The facts and the ports announced; exposed for the tests.
announce::Announcement serverAnnouncement(const std::string &name, const AnnouncedPorts &ports);

// Announcing, or why not. The announcer logs what becomes of it later
// (announced, the daemon gone and back).
Outcome<std::unique_ptr<announce::Announcer>> startAnnouncing(const std::string &name,
                                                              const AnnouncedPorts &ports);

}  // namespace zz::server
