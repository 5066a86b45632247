#pragma once
// VXI-11 as the server offers it: the core channel on a free port of the
// listening address, and the portmapper that tells clients where it is.
// Without the portmapper (no privilege for port 111) clients cannot find the
// core port, so VXI-11 is off altogether.

#include "server/portmapper_front.h"
#include "server/vxi11_server.h"

#include <memory>
#include <optional>

namespace zz::server {

class Vxi11Front {
public:
    // Listening, or why VXI-11 is off.
    static Outcome<std::unique_ptr<Vxi11Front>> start(FrontContext &context,
                                                      const boost::asio::ip::address &address,
                                                      std::uint16_t portmapperPort = 111);
    explicit Vxi11Front(FrontContext &context);

    boost::asio::ip::tcp::endpoint endpoint() const { return endpoint_; }
    // "VXI-11 core channel on ..., the portmapper on ...", for the log.
    std::string how() const;
    void close();

private:
    Vxi11Server server_;
    std::optional<PortmapperFront> mapper_;
    boost::asio::ip::tcp::endpoint endpoint_;
};

}  // namespace zz::server
