#pragma once
// The web front panel wired to this server: the pages' intents go through
// the link's queue like SCPI lines, the panel model lives on the link's
// thread, and what it shows is pushed to every page whenever a sender sets
// the box (a page, a SCPI client, or another program, seen in the device's
// last-command record).

#include "link/serial_control.h"
#include "link_box.h"
#include "link_queue.h"
#include "web/panel_model.h"
#include "web/web_server.h"

#include <boost/asio/steady_timer.hpp>

#include <atomic>
#include <memory>

namespace zz::scpiserver {

class WebFront {
public:
    WebFront(boost::asio::io_context &io, LinkQueue &queue, link::SerialControl &control,
             LinkBox &link, const boost::asio::ip::tcp::endpoint &scpi,
             std::chrono::milliseconds idleLimit, std::string portName);
    ~WebFront();  // after the link's queue has stopped

    std::string listen(const boost::asio::ip::tcp::endpoint &endpoint);
    std::string address() const { return server_.address(); }
    void close();

private:
    void publishFromLink();  // on the link's thread
    void schedulePoll();

    boost::asio::io_context &io_;
    LinkQueue &queue_;
    link::SerialControl &control_;
    LinkBox &link_;
    web::PanelModel model_;  // on the link's thread only
    web::WebServer server_;
    boost::asio::steady_timer pollTimer_;
    std::atomic<bool> pollQueued_{false};
    bool closed_ = false;
};

}  // namespace zz::scpiserver
