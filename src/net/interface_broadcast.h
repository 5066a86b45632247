#pragma once
// Discovery on the interface served: a client looking for instruments sends
// its portmapper call to the subnet's broadcast address, which a socket
// bound to the interface's own address never receives on POSIX systems. So
// the portmapper also binds the broadcast address of the interface that
// holds its address. Windows hands subnet broadcasts to the socket bound to
// the interface's address, so there is nothing more to bind.

#include <boost/asio/ip/address_v4.hpp>

#include <optional>

namespace zz::net {

// The broadcast address of the interface holding `address`, where one must
// be bound separately to hear it; nothing otherwise.
std::optional<boost::asio::ip::address_v4> broadcastToBind(
    const boost::asio::ip::address_v4 &address);

}  // namespace zz::net
