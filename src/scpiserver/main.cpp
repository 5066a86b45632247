// 6175ZIZ-scpi: the box as a network instrument. SCPI commands on a raw TCP
// socket are carried out on the box's serial link.

#include "common/version.h"
#include "link/command_record.h"
#include "program/port_selection.h"
#include "program/stop_signals.h"
#include "scpiserver/help_text.h"
#include "scpiserver/link_box.h"
#include "scpiserver/scpi_server.h"
#include "scpiserver/server_log.h"
#include "scpiserver/server_options.h"

#include <QCoreApplication>
#include <QHostAddress>

#include <csignal>
#include <cstdio>

using namespace zz;
using namespace zz::scpiserver;

namespace {

constexpr int kExitCannotListen = 1;
constexpr int kExitUsage = 2;

int usageError(const std::string &text) {
    logLine(text);
    std::fputs("Try '6175ZIZ-scpi --help' for more information.\n", stderr);
    return kExitUsage;
}

std::optional<QHostAddress> hostAddress(const std::string &host) {
    if (host == "localhost") return QHostAddress(QHostAddress::LocalHost);
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(host))) return std::nullopt;
    return address;
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
    const auto listen = splitListenAddress(listenText);
    const auto host = listen ? hostAddress(listen->host) : std::nullopt;
    if (!host) return usageError("--listen: \"" + listenText + "\" is not ADDRESS:PORT");

    link::SerialControl control;
    const program::PortRequest portRequest{options.port, options.device};
    if (const Status port = program::selectPort(portRequest, control); !port)
        return usageError(port.text());

    QCoreApplication app(argc, argv);
    program::watchStopSignals([] {
        QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(program::stopStatus()); });
    });
    LinkBox link(control);
    scpi::Instrument instrument(link);
    ScpiServer server(instrument);
    if (const QString error = server.listen(*host, quint16(listen->port)); !error.isEmpty()) {
        logLine("cannot listen on " + listenText + ": " + error.toStdString());
        return kExitCannotListen;
    }
    if (!host->isLoopback())
        logLine("warning: anyone who can reach " + server.address().toStdString() +
                " can set the box; SCPI over raw TCP has no authentication");
    logLine("listening on " + server.address().toStdString() + ", the box on " +
            program::describeSelection(portRequest, control));

    app.exec();
    server.close();
    logLine("stopped by signal " + std::to_string(program::stopSignal()));
    return 0;
}
