// 6175ZIZ-scpi: the box as a network instrument. SCPI commands on a raw TCP
// socket, VXI-11, and the front panel as a web page, carried out on the
// box's serial link. This file is the program's wiring: its options, its
// log, which fronts run, and the order they start and stop in (the threads:
// docs/threads.md).

#include "common/status.h"
#include "help_text.h"
#include "link/line_time.h"
#include "net/gate.h"
#include "net/link_queue.h"
#include "net/log.h"
#include "program/command_line.h"
#include "program/port_selection.h"
#include "program/profile_location.h"
#include "program/stop_signals.h"
#include "server/announce_front.h"
#include "server/box_profile.h"
#include "server/link_poll.h"
#include "server/port_description.h"
#include "server/run_timer.h"
#include "server/scpi_server.h"
#include "server/serial_box.h"
#include "server/vxi11_front.h"
#include "server/web_front.h"
#include "server_options.h"
#include "web/host_check.h"
#include "web/page_token.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include <cstdio>

using namespace zz;
using namespace zz::scpiserver;
namespace asio = boost::asio;

namespace {

constexpr int kExitCannotListen = 1;
constexpr char kProgram[] = "6175ZIZ-scpi";

int usageError(const std::string &text) {
    net::logLine(text);
    std::fputs((program::helpHint(kProgram) + "\n").c_str(), stderr);
    return program::kUsageStatus;
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

// Who may connect: --allow, or else only the loopback when every front
// listens there (anyone else could not reach it anyway), or else everyone.
Outcome<net::AllowList> allowedPeers(const ServerOptions &options, bool loopbackOnly) {
    if (options.allow) return net::AllowList::parse(*options.allow);
    return loopbackOnly ? net::AllowList::loopbackOnly() : net::AllowList::everyone();
}

// The page's token: given, off, or made up when the page is served beyond
// the loopback.
std::string pageToken(const ServerOptions &options, const asio::ip::tcp::endpoint &http) {
    if (options.httpToken) return *options.httpToken == "off" ? std::string() : *options.httpToken;
    return http.address().is_loopback() ? std::string() : web::newPageToken();
}

}  // namespace

int main(int argc, char **argv) {
    net::setLogSink([](std::string_view text) {
        const std::string line = std::string(kProgram) + ": " + std::string(text) + "\n";
        std::fputs(line.c_str(), stderr);
        std::fflush(stderr);
    });
    const ServerOptions options = parseServerOptions(program::commandLineArguments(argc, argv));
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
    const bool onLoopback =
        listen->address().is_loopback() && (!http || http->address().is_loopback());
    const auto allowed = allowedPeers(options, onLoopback);
    if (!allowed) return usageError(allowed.error());

    link::SerialControl control;
    const program::PortRequest portRequest{options.port, options.device};
    if (const Status port = program::selectPort(portRequest, control); !port)
        return usageError(port.text());

    // Read before anything may be sent; looked at again while serving.
    server::BoxProfile boxProfile(program::profilePathFor(portRequest, control));

    asio::io_context io;
    net::Gate gate(allowed.value());
    server::SerialBox box(control);
    scpi::Instrument instrument(box);
    instrument.setRules(boxProfile.rules());
    net::LinkQueue queue(io);
    server::LinkPoll poll(io, queue);
    // A ramp's commands: never closer than two frames on the line, and at
    // least one a second, so a slow ramp shows life.
    instrument.runSpacing = {2 * link::kFrameTime, std::chrono::seconds(1)};
    server::RunTimer runs(io, queue, instrument, box);
    server::FrontContext context{io, queue, instrument, box, gate, poll};
    const auto idleLimit = options.idleLimit.value_or(net::kDefaultIdleLimit);
    server::ScpiServer scpi(context, idleLimit);
    std::unique_ptr<server::WebFront> web;
    std::unique_ptr<server::Vxi11Front> vxi11;
    // Before the first line of the log: whoever waits for it may signal at once.
    int stoppedBy = 0;
    const auto stop = [&](int signal) {
        stoppedBy = signal;
        poll.close();
        runs.close();
        scpi.close();
        if (web) web->close();
        if (vxi11) vxi11->close();
        queue.stop();  // the line in progress finishes; the rest is dropped
        io.stop();
    };
    program::watchStopSignals(
        [&io, stop] { boost::asio::post(io, [stop] { stop(program::stopSignal()); }); });
    if (const Status listening = scpi.listen(*listen); !listening) {
        net::logLine("cannot listen on " + listenText + ": " + listening.text());
        return kExitCannotListen;
    }
    if (options.allow)
        net::logLine("only " + allowed.value().text() + " may connect (--allow)");
    else if (!listen->address().is_loopback())
        net::logLine("warning: anyone who can reach " + scpi.address() +
                     " can set the box; SCPI over raw TCP has no authentication (see --allow)");

    const std::string portName =
        options.device ? *options.device : "COM" + std::to_string(control.port());
    const std::string portDescription = server::portDescription(control.devicePath());
    std::string token;
    if (http) {
        token = pageToken(options, *http);
        web = std::make_unique<server::WebFront>(
            context, control, scpi.endpoint(),
            server::WebFront::Options{idleLimit, portName, portDescription, kProgram, token,
                                      boxProfile.rules()});
        if (const Status listening = web->listen(*http); !listening) {
            net::logLine("cannot listen on " + httpText + ": " + listening.text());
            // Without --http the page is a convenience: the instrument goes on.
            if (options.http) return kExitCannotListen;
            net::logLine("warning: no front panel page (give --http ADDR:PORT or --http off)");
            web.reset();
        } else if (!http->address().is_loopback() && !options.allow && token.empty()) {
            net::logLine("warning: anyone who can reach " + web->address() +
                         " can set the box from a browser; the page asks for no token");
        }
    }
    net::logLine("listening on " + scpi.address() + ", the box on " +
                 program::describeSelection(portRequest, control));
    if (!portDescription.empty()) net::logLine("the box's port: " + portDescription);
    if (web) {
        std::string address = web->address();
        if (http->address().is_unspecified() && !web::machineHostName().empty())
            address = web::machineHostName() + ":" + std::to_string(web->port());
        net::logLine("the front panel on http://" + address + "/" +
                     (token.empty() ? std::string() : "?token=" + token));
    }
    if (!options.noVxi11) {
        auto started = server::Vxi11Front::start(context, listen->address());
        if (started) {
            vxi11 = std::move(started.value());
            net::logLine(vxi11->how());
        } else {
            net::logLine("VXI-11 off: " + started.error() + "; SCPI and the page go on");
        }
    }
    std::unique_ptr<announce::Announcer> announcer;
    // The serial number and name announced, as the profile gave them.
    std::pair<std::string, std::string> announced{instrument.serialNumber(),
                                                  boxProfile.rules().name()};
    const auto announce = [&] {
        auto started = server::startAnnouncing(
            options.name.value_or(server::defaultInstanceName(portName, announced.second)),
            {scpi.endpoint(), web ? parseEndpoint(web->address()) : std::nullopt,
             vxi11 ? std::optional(vxi11->endpoint()) : std::nullopt},
            announced.first);
        if (started)
            announcer = std::move(started.value());
        else
            net::logLine("DNS-SD: " + started.error());
    };
    if (!options.noAnnounce) announce();

    // Each new reading of the profile, on the link's thread: the instrument
    // and the page follow at once, the announcement on the network thread
    // when the serial number or the name it shows changed.
    boxProfile.onChange([&](const profile::BoxRules &rules) {
        instrument.setRules(rules);
        if (web) web->setRules(rules);
        asio::post(io, [&, now = std::pair(instrument.serialNumber(), rules.name())] {
            if (!announcer || now == announced) return;
            announced = now;
            announcer.reset();
            announce();
        });
    });
    poll.add([&boxProfile] { boxProfile.poll(); });
    poll.start();

    io.run();
    queue.stop();
    vxi11.reset();  // unregistered from a system rpcbind
    announcer.reset();
    net::logLine("stopped by signal " + std::to_string(stoppedBy));
    return 0;
}
