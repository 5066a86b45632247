#pragma once
// The instrument's slews and programs on the server's own timetable: a timer
// on the network thread wakes at the due time of the run's next command and
// puts one job on the link's queue, the queue every client's lines go
// through, so other clients get their turn between a ramp's commands. Each
// command goes out as sent by the client that started the run.

#include "net/link_queue.h"
#include "scpi/instrument.h"
#include "server/serial_box.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <string>

namespace zz::server {

class RunTimer {
public:
    RunTimer(boost::asio::io_context &io, net::LinkQueue &link, scpi::Instrument &instrument,
             SerialBox &box);
    void close();  // on the network thread

private:
    void wake(scpi::Instrument::Clock::time_point due);   // from the link's thread
    void armAt(scpi::Instrument::Clock::time_point due);  // on the network thread
    void advance();                                       // on the link's thread

    net::LinkQueue &link_;
    scpi::Instrument &instrument_;
    SerialBox &box_;
    boost::asio::steady_timer timer_;
    std::string sender_;  // of the run going on; the link's thread
    std::atomic<bool> queued_{false};
    bool closed_ = false;
};

}  // namespace zz::server
