#include "net/interface_broadcast.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace zz::net {

std::optional<boost::asio::ip::address_v4> broadcastToBind(
    const boost::asio::ip::address_v4 &address) {
    if (address.is_unspecified() || address.is_loopback()) return std::nullopt;
    ifaddrs *interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0) return std::nullopt;
    std::optional<boost::asio::ip::address_v4> found;
    for (const ifaddrs *entry = interfaces; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
        if (!(entry->ifa_flags & IFF_BROADCAST) || !entry->ifa_broadaddr) continue;
        const auto *own = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        if (ntohl(own->sin_addr.s_addr) != address.to_uint()) continue;
        const auto *broadcast = reinterpret_cast<const sockaddr_in *>(entry->ifa_broadaddr);
        const boost::asio::ip::address_v4 candidate(ntohl(broadcast->sin_addr.s_addr));
        // An interface given no broadcast address reports 0.0.0.0 or its own.
        if (!candidate.is_unspecified() && candidate != address) found = candidate;
        break;
    }
    freeifaddrs(interfaces);
    return found;
}

}  // namespace zz::net
