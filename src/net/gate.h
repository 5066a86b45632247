#pragma once
// The one door of every listening socket and datagram port: a peer the
// allow list does not name is turned away before a byte of it is read, with
// a log line. Refusals are logged at most once a second (a scanner would
// otherwise fill the log); the lines held back are counted in the next one.
// Used on the network thread only.

#include "net/allow_list.h"

#include <chrono>
#include <string>

namespace zz::net {

class Gate {
public:
    explicit Gate(AllowList allowed = AllowList::everyone()) : allowed_(std::move(allowed)) {}

    // `who` names the peer in the log: "SCPI client 10.0.0.9:40000".
    bool admits(const boost::asio::ip::address &peer, const std::string &who);
    const AllowList &allowed() const { return allowed_; }

private:
    AllowList allowed_;
    std::chrono::steady_clock::time_point lastLogged_{};
    unsigned heldBack_ = 0;
};

}  // namespace zz::net
