#include "net/gate.h"

#include "net/log.h"

namespace zz::net {

bool Gate::admits(const boost::asio::ip::address &peer, const std::string &who) {
    if (allowed_.allows(peer)) return true;
    const auto now = std::chrono::steady_clock::now();
    if (lastLogged_ != std::chrono::steady_clock::time_point{} &&
        now - lastLogged_ < std::chrono::seconds(1)) {
        ++heldBack_;
        return false;
    }
    std::string line = who + " refused: not in --allow " + allowed_.text();
    if (heldBack_)
        line += " (and " + std::to_string(heldBack_) + " more refused in the last second)";
    logLine(line);
    lastLogged_ = now;
    heldBack_ = 0;
    return false;
}

}  // namespace zz::net
