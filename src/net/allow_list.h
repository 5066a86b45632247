#pragma once
// Who may reach the instrument: addresses and networks as --allow takes them
// ("10.0.0.5,192.168.1.0/24,fd00::/8"). A peer's IPv4 address seen through
// an IPv6 socket (::ffff:10.0.0.5) counts as that IPv4 address.

#include "common/status.h"

#include <boost/asio/ip/address.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace zz::net {

class AllowList {
public:
    // "ADDR[/BITS]" items separated by commas; blanks around items allowed.
    static Outcome<AllowList> parse(std::string_view text);
    static AllowList loopbackOnly();
    static AllowList everyone();

    bool allows(const boost::asio::ip::address &address) const;
    bool allowsEveryone() const { return everyone_; }
    // As given, normalised: "10.0.0.5/32,192.168.1.0/24".
    std::string text() const;

private:
    struct Network {
        boost::asio::ip::address address;  // the network's first address
        int bits = 0;
    };
    std::vector<Network> networks_;
    bool everyone_ = false;
};

}  // namespace zz::net
