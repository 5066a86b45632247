#include "net/interface_broadcast.h"

namespace zz::net {

std::optional<boost::asio::ip::address_v4> broadcastToBind(const boost::asio::ip::address_v4 &) {
    return std::nullopt;
}

}  // namespace zz::net
