#pragma once
// The web front panel wired to this server: the pages' intents go through
// the link's queue like SCPI lines, the panel model lives on the link's
// thread, and what it shows is pushed to every page whenever a sender sets
// the box (a page, a SCPI client, or another program, seen in the device's
// last-command record).

#include "link/serial_control.h"
#include "profile/box_rules.h"
#include "server/front_context.h"
#include "web/lxi_identification.h"
#include "web/panel_model.h"
#include "web/web_server.h"

#include <memory>

namespace zz::server {

class WebFront {
public:
    struct Options {
        std::chrono::milliseconds idleLimit;
        std::string portName;         // "COM3", or the device
        std::string portDescription;  // what it is, when known
        std::string serverName;       // the HTTP Server header
        std::string token;            // empty: none asked for
        profile::BoxRules rules;      // the box's profile at start
    };
    WebFront(FrontContext &context, link::SerialControl &control,
             const boost::asio::ip::tcp::endpoint &scpi, Options options);
    ~WebFront();  // after the link's queue has stopped

    Status listen(const boost::asio::ip::tcp::endpoint &endpoint);
    std::string address() const { return server_.address(); }
    unsigned port() const { return server_.port(); }
    void close();
    // The box's profile read again: the page's rules and the identification
    // follow (on the link's thread).
    void setRules(const profile::BoxRules &rules);

private:
    void publishFromLink();  // on the link's thread

    FrontContext &context_;
    link::SerialControl &control_;
    web::ValueHistory history_;  // written on the link's thread, read on the network's
    web::PanelModel model_;      // on the link's thread only
    web::WebServer server_;
    web::Identity identity_;  // on the link's thread; the serial and name follow the profile
    bool closed_ = false;
};

}  // namespace zz::server
