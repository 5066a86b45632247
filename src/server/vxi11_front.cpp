#include "server/vxi11_front.h"

namespace zz::server {

Vxi11Front::Vxi11Front(FrontContext &context) : server_(context) {}

Outcome<std::unique_ptr<Vxi11Front>> Vxi11Front::start(FrontContext &context,
                                                       const boost::asio::ip::address &address,
                                                       std::uint16_t portmapperPort) {
    using Started = Outcome<std::unique_ptr<Vxi11Front>>;
    auto front = std::make_unique<Vxi11Front>(context);
    if (const Status listening = front->server_.listen({address, 0}); !listening)
        return Started::failure("the core channel cannot listen: " + listening.text());
    front->endpoint_ = {address, front->server_.port()};
    front->mapper_.emplace(context.io, context.gate, front->server_.port());
    if (const Status mapping = front->mapper_->start(address, portmapperPort); !mapping) {
        front->server_.close();
        return Started::failure("no portmapper: " + mapping.text());
    }
    return Started(std::move(front));
}

std::string Vxi11Front::how() const {
    return "VXI-11 core channel on " + server_.address() + ", " + mapper_->how();
}

void Vxi11Front::close() {
    server_.close();
    if (mapper_) mapper_->close();
}

}  // namespace zz::server
