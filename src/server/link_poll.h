#pragma once
// The server's looks at what other programs may change beside it: the
// device's last-command record (for the page) and the box's profile file.
// A timer on the network thread puts one job on the link's queue, which runs
// every look in turn on the link's thread, between commands; one such job
// waits in the queue at most.

#include "net/link_queue.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

namespace zz::server {

inline constexpr std::chrono::milliseconds kLinkPollPeriod{50};  // 20 looks a second

class LinkPoll {
public:
    LinkPoll(boost::asio::io_context &io, net::LinkQueue &link);

    // A look run on the link's thread at every turn; added before start().
    void add(std::function<void()> look);
    void start();
    void close();  // on the network thread

private:
    void schedule();

    net::LinkQueue &link_;
    boost::asio::steady_timer timer_;
    std::vector<std::function<void()>> looks_;
    std::atomic<bool> queued_{false};
    bool closed_ = false;
};

}  // namespace zz::server
