#include "server/web_front.h"

#include "box/identity.h"
#include "web/host_check.h"
#include "web/lxi_identification.h"

namespace zz::server {

namespace asio = boost::asio;

namespace {

// What the page shows of a slew or a program going on.
std::optional<web::RunProgress> progressOf(const scpi::Instrument &instrument) {
    const automation::ProgramProgress *progress = instrument.runProgress();
    if (!progress) return std::nullopt;
    web::RunProgress shown;
    shown.step = static_cast<int>(progress->step);
    shown.text = progress->text;
    shown.targetOhms = instrument.slewTargetOhms();
    if (const auto left = instrument.runTimeLeft())
        shown.timeLeft = std::chrono::ceil<std::chrono::seconds>(*left);
    return shown;
}

// Who the box is and how to reach it, its serial number and name from the profile.
web::Identity identityOf(const asio::ip::tcp::endpoint &scpi, const WebFront::Options &options) {
    const std::string host = web::machineHostName();
    const box::Identity box = box::identity();
    web::Identity id{
        std::string(box.maker),
        std::string(box.model),
        options.rules.serialOrZero(),
        std::string(box.firmware),
        "6175 programmable resistance box on " + options.portName +
            (options.portDescription.empty() ? std::string() : ": " + options.portDescription),
        options.rules.name(),
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
    return id;
}

web::WebConfig webConfig(const web::Identity &id, const WebFront::Options &options,
                         const web::ValueHistory &history) {
    web::WebConfig config;
    if (!id.hostName.empty()) config.hostNames = {id.hostName, id.hostName + ".local"};
    config.identificationXml = web::identificationXml(id);
    config.idleLimit = options.idleLimit;
    config.serverName = options.serverName;
    config.token = options.token;
    config.history = &history;
    return config;
}

}  // namespace

WebFront::WebFront(FrontContext &context, link::SerialControl &control,
                   const asio::ip::tcp::endpoint &scpi, Options options)
    : context_(context),
      control_(control),
      model_(control, options.portName),
      server_(context.io, context.gate, webConfig(identityOf(scpi, options), options, history_),
              [this](const web::Intent &intent, const std::string &page,
                     std::function<void(std::string)> reply) {
                  context_.link.hop(
                      [this, intent, page] {
                          context_.box.setSender(page);
                          const auto message = model_.apply(intent);
                          return std::pair(
                              message ? web::PanelModel::messageJson(*message) : std::string(),
                              model_.stateJson());
                      },
                      [this, reply](std::pair<std::string, std::string> answer) {
                          // The page's own message first, then what every page shows.
                          if (!answer.first.empty()) reply(answer.first);
                          if (!closed_) server_.publish(answer.second);
                      });
              }),
      identity_(identityOf(scpi, options)) {
    model_.keepHistoryIn(&history_);
    model_.setRules(options.rules);
    server_.publish(model_.stateJson());
}

// The link's queue has stopped by now (main stops it first) or never
// carried a job of ours (listening failed).
WebFront::~WebFront() = default;

Status WebFront::listen(const asio::ip::tcp::endpoint &endpoint) {
    if (const Status status = server_.listen(endpoint); !status) return status;
    // Every command through the link, a page's or a SCPI client's, on the
    // link's thread.
    control_.setCommandObserver([this](const std::string &command, const Status &status) {
        model_.commandSent(command, status, context_.box.sender(),
                           context_.instrument.celsiusGoingOut());
        publishFromLink();
    });
    // The record is looked at on the link's thread, between commands.
    context_.poll.add([this] {
        model_.poll();
        model_.setProgress(progressOf(context_.instrument));
        publishFromLink();
    });
    return {};
}

void WebFront::close() {
    closed_ = true;
    server_.close();
}

void WebFront::setRules(const profile::BoxRules &rules) {
    model_.setRules(rules);
    publishFromLink();
    if (identity_.serialNumber == rules.serialOrZero() && identity_.userDescription == rules.name())
        return;
    identity_.serialNumber = rules.serialOrZero();
    identity_.userDescription = rules.name();
    context_.link.toNetwork([this, xml = web::identificationXml(identity_)]() mutable {
        if (!closed_) server_.setIdentificationXml(std::move(xml));
    });
}

void WebFront::publishFromLink() {
    context_.link.toNetwork([this, json = model_.stateJson()] {
        if (closed_) return;
        server_.publishHistory();  // the plot has the value when the digits show it
        server_.publish(json);
    });
}

}  // namespace zz::server
