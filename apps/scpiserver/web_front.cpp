#include "web_front.h"

#include "common/version.h"
#include "web/host_check.h"
#include "web/lxi_identification.h"

#include <boost/asio/post.hpp>

namespace zz::scpiserver {

namespace asio = boost::asio;

namespace {

constexpr std::chrono::milliseconds kPollPeriod{50};  // the record looked at 20 times a second

web::WebConfig webConfig(const asio::ip::tcp::endpoint &scpi, std::chrono::milliseconds idleLimit) {
    web::WebConfig config;
    const std::string host = web::machineHostName();
    if (!host.empty()) config.hostNames = {host, host + ".local"};
    web::Identity id{common::kCompany,
                     "6175",
                     "0",
                     common::kVersion,
                     "6175 programmable resistance box",
                     host,
                     {},
                     {}};
    const auto address = scpi.address();
    const std::string port = std::to_string(scpi.port());
    if (address.is_unspecified()) {
        if (!host.empty()) id.visaResources.push_back("TCPIP::" + host + "::" + port + "::SOCKET");
        id.addresses.push_back(address.is_v6() ? "::1" : "127.0.0.1");
    } else {
        id.addresses.push_back(address.to_string());
    }
    const std::string literal =
        address.is_v6() ? "[" + id.addresses.back() + "]" : id.addresses.back();
    id.visaResources.push_back("TCPIP::" + literal + "::" + port + "::SOCKET");
    config.identificationXml = web::identificationXml(id);
    config.idleLimit = idleLimit;
    return config;
}

}  // namespace

WebFront::WebFront(asio::io_context &io, LinkQueue &queue, link::SerialControl &control,
                   LinkBox &link, const asio::ip::tcp::endpoint &scpi,
                   std::chrono::milliseconds idleLimit, std::string portName)
    : io_(io),
      queue_(queue),
      control_(control),
      link_(link),
      model_(control, std::move(portName)),
      server_(io, webConfig(scpi, idleLimit),
              [this](const web::Intent &intent, const std::string &page,
                     std::function<void(std::string)> reply) {
                  queue_.push([this, intent, page, reply = std::move(reply)] {
                      link_.setSender(page);
                      const auto message = model_.apply(intent);
                      if (message)
                          asio::post(io_, [reply, json = web::PanelModel::messageJson(*message)] {
                              reply(json);
                          });
                      publishFromLink();
                  });
              }),
      pollTimer_(io) {
    server_.publish(model_.stateJson());
}

// The link's queue has stopped by now (main stops it first) or never
// carried a job of ours (listening failed).
WebFront::~WebFront() = default;

std::string WebFront::listen(const asio::ip::tcp::endpoint &endpoint) {
    const std::string error = server_.listen(endpoint);
    if (!error.empty()) return error;
    // Every command through the link, a page's or a SCPI client's, on the
    // link's thread.
    control_.setCommandObserver([this](const std::string &command, const Status &status) {
        model_.commandSent(command, status, link_.sender());
        publishFromLink();
    });
    schedulePoll();
    return {};
}

void WebFront::close() {
    closed_ = true;
    pollTimer_.cancel();
    server_.close();
}

void WebFront::publishFromLink() {
    asio::post(io_, [this, json = model_.stateJson()] {
        if (!closed_) server_.publish(json);
    });
}

// The record is looked at on the link's thread, between commands; one look
// waits in the queue at most.
void WebFront::schedulePoll() {
    pollTimer_.expires_after(kPollPeriod);
    pollTimer_.async_wait([this](const boost::system::error_code &error) {
        if (error || closed_) return;
        if (!pollQueued_.exchange(true))
            queue_.push([this] {
                pollQueued_ = false;
                model_.poll();
                publishFromLink();
            });
        schedulePoll();
    });
}

}  // namespace zz::scpiserver
