#include "vxi11_front.h"

#include "server_log.h"

namespace zz::scpiserver {

Vxi11Front::Vxi11Front(ScpiContext &context) : server_(context) {}

std::unique_ptr<Vxi11Front> Vxi11Front::start(ScpiContext &context,
                                              const boost::asio::ip::address &address,
                                              std::uint16_t portmapperPort) {
    auto front = std::make_unique<Vxi11Front>(context);
    if (const std::string error = front->server_.listen({address, 0}); !error.empty()) {
        logLine("VXI-11 off: the core channel cannot listen: " + error +
                "; SCPI and the page go on");
        return nullptr;
    }
    front->endpoint_ = {address, front->server_.port()};
    front->mapper_.emplace(context.io, front->server_.port());
    if (const std::string error = front->mapper_->start(address, portmapperPort); !error.empty()) {
        logLine("VXI-11 off: no portmapper: " + error + "; SCPI and the page go on");
        front->server_.close();
        return nullptr;
    }
    logLine("VXI-11 core channel on " + front->server_.address() + ", " + front->mapper_->how());
    return front;
}

void Vxi11Front::close() {
    server_.close();
    if (mapper_) mapper_->close();
}

}  // namespace zz::scpiserver
