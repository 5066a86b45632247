#pragma once
// What every front (SCPI, VXI-11, the portmapper, the page) takes from the
// server around it. Which thread uses what: docs/threads.md.

#include "net/gate.h"
#include "net/link_queue.h"
#include "scpi/instrument.h"
#include "server/link_poll.h"
#include "server/serial_box.h"

#include <boost/asio/io_context.hpp>

namespace zz::server {

struct FrontContext {
    boost::asio::io_context &io;   // the network thread runs it
    net::LinkQueue &link;          // the serial link's thread
    scpi::Instrument &instrument;  // on the link's thread, but for lines answered without the box
    SerialBox &box;                // its sender set on the link's thread before each job
    net::Gate &gate;               // who may connect, for every front alike
    LinkPoll &poll;                // looks at the record and the profile, on the link's thread
};

}  // namespace zz::server
