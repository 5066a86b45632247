#pragma once
// One TCP connection of the VXI-11 core (or abort) channel. Bytes are read
// and framed on the network's thread, and its calls answered in order. A call
// that may send to the box (a device_write of a line the session does not
// answer alone) goes to the link's thread, in the queue the SCPI lines and
// the pages use; the others are answered at once. The replies go out before
// the next read, so one connection has at most one job on the queue. A
// device_read whose answer waits for the instrument's run to end (*OPC?) is
// asked again every kReadPoll until the answer comes or its io_timeout passes.

#include "server/front_context.h"
#include "vxi11/device_core.h"
#include "vxi11/rpc_stream.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zz::server {

inline constexpr std::chrono::milliseconds kReadPoll{20};

class Vxi11Connection : public std::enable_shared_from_this<Vxi11Connection> {
public:
    using Finished = std::function<void(Vxi11Connection *)>;

    Vxi11Connection(boost::asio::ip::tcp::socket socket, FrontContext &context,
                    vxi11::DeviceCore &core, vxi11::ConnectionId id, Finished finished);

    void start();
    void close(const std::string &why);
    const std::string &peer() const { return peer_; }

private:
    void read();
    // Answers the calls taken so far, in order; then sends the replies.
    void serveCalls();
    void serveOnTheLink(std::shared_ptr<std::vector<std::uint8_t>> call);
    // A device_read whose answer is still coming asks again after kReadPoll.
    void askAgain(std::shared_ptr<std::vector<std::uint8_t>> call);
    void send(vxi11::RpcStream::Output output);
    void end(const std::string &why);

    boost::asio::ip::tcp::socket socket_;
    FrontContext &context_;
    vxi11::DeviceCore &core_;
    vxi11::ConnectionId id_;
    Finished finished_;
    std::string peer_;
    vxi11::RpcStream stream_;
    std::array<std::uint8_t, 65536> buffer_{};
    std::vector<std::uint8_t> writing_;
    boost::asio::steady_timer retry_;
    std::chrono::steady_clock::time_point waitUntil_;  // of the read being asked again
    bool ended_ = false;
};

}  // namespace zz::server
