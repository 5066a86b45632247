#include "server/run_timer.h"

#include "net/log.h"

namespace zz::server {

RunTimer::RunTimer(boost::asio::io_context &io, net::LinkQueue &link, scpi::Instrument &instrument,
                   SerialBox &box)
    : link_(link), instrument_(instrument), box_(box), timer_(io) {
    instrument_.runStarted = [this] {
        sender_ = box_.sender() + ", ramp";
        if (const auto due = instrument_.nextDue()) wake(*due);
    };
}

void RunTimer::close() {
    closed_ = true;
    timer_.cancel();
}

void RunTimer::wake(scpi::Instrument::Clock::time_point due) {
    link_.toNetwork([this, due] { armAt(due); });
}

// One timer: arming it again (a run that takes over) cancels the wait before.
void RunTimer::armAt(scpi::Instrument::Clock::time_point due) {
    if (closed_) return;
    timer_.expires_at(due);
    timer_.async_wait([this](const boost::system::error_code &error) {
        if (error || closed_ || queued_.exchange(true)) return;
        if (!link_.push([this] { advance(); })) queued_ = false;
    });
}

void RunTimer::advance() {
    queued_ = false;
    if (!instrument_.running()) return;
    const std::string before = box_.sender();
    box_.setSender(sender_);
    const auto next = instrument_.advance();
    box_.setSender(before);
    if (next) {
        wake(*next);
    } else if (!instrument_.runFailure().empty()) {
        net::logLine(sender_ + " stopped: " + instrument_.runFailure());
    }
}

}  // namespace zz::server
