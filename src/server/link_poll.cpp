#include "server/link_poll.h"

namespace zz::server {

LinkPoll::LinkPoll(boost::asio::io_context &io, net::LinkQueue &link) : link_(link), timer_(io) {}

void LinkPoll::add(std::function<void()> look) {
    looks_.push_back(std::move(look));
}

void LinkPoll::start() {
    if (!looks_.empty()) schedule();
}

void LinkPoll::close() {
    closed_ = true;
    timer_.cancel();
}

void LinkPoll::schedule() {
    timer_.expires_after(kLinkPollPeriod);
    timer_.async_wait([this](const boost::system::error_code &error) {
        if (error || closed_) return;
        if (!queued_.exchange(true))
            link_.push([this] {
                queued_ = false;
                for (const auto &look : looks_) look();
            });
        schedule();
    });
}

}  // namespace zz::server
