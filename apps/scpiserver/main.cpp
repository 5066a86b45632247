// 6175ZIZ-scpi: the box as a network instrument. SCPI commands on a raw TCP
// socket, and the front panel as a web page, carried out on the box's serial
// link. Network I/O runs on one event loop; the link on a thread of its own.

#include "announce_front.h"
#include "common/version.h"
#include "help_text.h"
#include "link_box.h"
#include "link_queue.h"
#include "program/port_selection.h"
#include "program/stop_signals.h"
#include "scpi_server.h"
#include "server_log.h"
#include "server_options.h"
#include "vxi11_front.h"
#include "web_front.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include <cstdio>

using namespace zz;
using namespace zz::scpiserver;
namespace asio = boost::asio;

namespace {

constexpr int kExitCannotListen = 1;
constexpr int kExitUsage = 2;

int usageError(const std::string &text) {
    logLine(text);
    std::fputs("Try '6175ZIZ-scpi --help' for more information.\n", stderr);
    return kExitUsage;
}

std::optional<asio::ip::tcp::endpoint> endpointOf(const ListenAddress &listen) {
    boost::system::error_code error;
    const auto address = listen.host == "localhost"
                             ? asio::ip::address(asio::ip::address_v4::loopback())
                             : asio::ip::make_address(listen.host, error);
    if (error) return std::nullopt;
    return asio::ip::tcp::endpoint(address, std::uint16_t(listen.port));
}

std::optional<asio::ip::tcp::endpoint> parseEndpoint(const std::string &text) {
    const auto listen = splitListenAddress(text);
    return listen ? endpointOf(*listen) : std::nullopt;
}

}  // namespace

int main(int argc, char **argv) {
    const ServerOptions options = parseServerOptions({argv + 1, argv + argc});
    if (!options.error.empty()) return usageError(options.error);
    if (options.help || options.version) {
        std::fputs((options.help ? helpText() : versionText()).c_str(), stdout);
        return 0;
    }

    const std::string listenText = options.listen.value_or(kDefaultListen);
    const auto listen = parseEndpoint(listenText);
    if (!listen) return usageError("--listen: \"" + listenText + "\" is not ADDRESS:PORT");
    const std::string httpText = options.http.value_or(kDefaultHttp);
    std::optional<asio::ip::tcp::endpoint> http;
    if (httpText != "off") {
        http = parseEndpoint(httpText);
        if (!http) return usageError("--http: \"" + httpText + "\" is not ADDRESS:PORT or off");
    }

    link::SerialControl control;
    const program::PortRequest portRequest{options.port, options.device};
    if (const Status port = program::selectPort(portRequest, control); !port)
        return usageError(port.text());

    asio::io_context io;
    LinkBox link(control);
    scpi::Instrument instrument(link);
    LinkQueue queue;
    ScpiContext context{io, instrument, queue,
                        [&link](const std::string &sender) { link.setSender(sender); }};
    ScpiServer server(context, options.idleLimit.value_or(kDefaultIdleLimit));
    std::unique_ptr<WebFront> web;
    std::unique_ptr<Vxi11Front> vxi11;
    // Before the first line of the log: whoever waits for it may signal at once.
    int stoppedBy = 0;
    const auto stop = [&](int signal) {
        stoppedBy = signal;
        server.close();
        if (web) web->close();
        if (vxi11) vxi11->close();
        queue.stop();  // the line in progress finishes; the rest is dropped
        io.stop();
    };
    program::watchStopSignals(
        [&io, stop] { boost::asio::post(io, [stop] { stop(program::stopSignal()); }); });
    if (const std::string error = server.listen(*listen); !error.empty()) {
        logLine("cannot listen on " + listenText + ": " + error);
        return kExitCannotListen;
    }
    if (!listen->address().is_loopback())
        logLine("warning: anyone who can reach " + server.address() +
                " can set the box; SCPI over raw TCP has no authentication");

    const std::string portName =
        options.device ? *options.device : "COM" + std::to_string(control.port());
    if (http) {
        web = std::make_unique<WebFront>(io, queue, control, link, server.endpoint(),
                                         options.idleLimit.value_or(kDefaultIdleLimit), portName);
        if (const std::string error = web->listen(*http); !error.empty()) {
            logLine("cannot listen on " + httpText + ": " + error);
            // Without --http the page is a convenience: the instrument goes on.
            if (options.http) return kExitCannotListen;
            logLine("warning: no front panel page (give --http ADDR:PORT or --http off)");
            web.reset();
        } else if (!http->address().is_loopback()) {
            logLine("warning: anyone who can reach " + web->address() +
                    " can set the box from a browser; the page has no authentication");
        }
    }
    logLine("listening on " + server.address() + ", the box on " +
            program::describeSelection(portRequest, control));
    if (web) logLine("the front panel on http://" + web->address() + "/");
    if (!options.noVxi11) vxi11 = Vxi11Front::start(context, listen->address());
    std::unique_ptr<announce::Announcer> announcer;
    if (!options.noAnnounce) {
        announcer =
            startAnnouncing(options.name.value_or(defaultInstanceName(portName)),
                            {server.endpoint(), web ? parseEndpoint(web->address()) : std::nullopt,
                             vxi11 ? std::optional(vxi11->endpoint()) : std::nullopt});
    }

    io.run();
    queue.stop();
    vxi11.reset();  // unregistered from a system rpcbind
    announcer.reset();
    logLine("stopped by signal " + std::to_string(stoppedBy));
    return 0;
}
