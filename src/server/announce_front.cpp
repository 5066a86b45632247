#include "server/announce_front.h"

#include "net/log.h"

#include <boost/asio/ip/host_name.hpp>

namespace zz::server {

namespace {

std::uint16_t portBeyondLoopback(const std::optional<boost::asio::ip::tcp::endpoint> &endpoint) {
    return endpoint && !endpoint->address().is_loopback() ? endpoint->port() : 0;
}

}  // namespace

std::string defaultInstanceName(const std::string &portName, const std::string &boxName) {
    boost::system::error_code error;
    const std::string host = boost::asio::ip::host_name(error);
    std::string name = (boxName.empty() ? "6175 resistance box on " + portName : boxName) +
                       (error ? "" : " (" + host + ")");
    // A DNS-SD instance name is one label: at most 63 bytes.
    if (name.size() > 63) {
        std::size_t cut = 63;  // not inside a UTF-8 sequence
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return name;
}

announce::Announcement serverAnnouncement(const std::string &name, const AnnouncedPorts &ports,
                                          const std::string &serialNumber) {
    announce::InstrumentFacts facts;  // the box's identity, as *IDN? answers it
    facts.identity.serialNumber = serialNumber;
    facts.scpiPort = portBeyondLoopback(ports.scpi);
    facts.webPort = portBeyondLoopback(ports.web);
    facts.vxi11Port = portBeyondLoopback(ports.vxi11);
    return announce::lxiAnnouncement(name, facts);
}

Outcome<std::unique_ptr<announce::Announcer>> startAnnouncing(const std::string &name,
                                                              const AnnouncedPorts &ports,
                                                              const std::string &serialNumber) {
    using Started = Outcome<std::unique_ptr<announce::Announcer>>;
    auto announcement = serverAnnouncement(name, ports, serialNumber);
    if (announcement.services.empty())
        return Started::failure("nothing announced, the server listens on the loopback only");
    auto announcer = std::make_unique<announce::Announcer>(
        std::move(announcement), [](const std::string &line) { net::logLine(line); });
    if (const Status started = announcer->start(); !started) return started;
    return Started(std::move(announcer));
}

}  // namespace zz::server
