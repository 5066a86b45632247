// The page's server on Boost.Beast: the only file that includes Beast.

#include "web/web_server.h"

#include "net/endpoint_text.h"
#include "net/listener.h"
#include "net/log.h"
#include "web/embedded_page.h"
#include "web/json_text.h"
#include "web/page_token.h"

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <deque>
#include <vector>

namespace zz::web {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
using boost::system::error_code;
using tcp = asio::ip::tcp;
using net::SteadyTime;

class PageSession;
class HttpSession;

class WebServer::Impl : public std::enable_shared_from_this<Impl> {
public:
    Impl(asio::io_context &io, net::Gate &gate, WebConfig config, IntentHandler onIntent)
        : io_(io),
          config_(std::move(config)),
          onIntent_(std::move(onIntent)),
          slots_(kMaxPages, config_.idleLimit, "pages"),
          listener_(io, gate, "HTTP client",
                    [this](tcp::socket socket) { admit(std::move(socket)); }) {}

    void admit(tcp::socket socket);
    void upgrade(tcp::socket socket, http::request<http::string_body> request);
    void pageGone(PageSession *page);
    void close();

    asio::io_context &io_;
    WebConfig config_;
    ServedNames served_;
    IntentHandler onIntent_;
    net::SlotRule slots_;
    net::Listener listener_;
    std::string state_ = "{\"type\":\"state\"}";
    std::uint64_t historyPublished_ = 0;  // the last entry every page was sent
    std::vector<std::shared_ptr<PageSession>> pages_;
    std::vector<std::weak_ptr<HttpSession>> requests_;
    bool closed_ = false;
};

// One open page: the state pushed to it, its intents passed on.
class PageSession : public std::enable_shared_from_this<PageSession> {
public:
    PageSession(tcp::socket socket, std::weak_ptr<WebServer::Impl> server)
        : peer_(net::peerText(socket)),
          ws_(std::move(socket)),
          server_(std::move(server)),
          lastHeard_(std::chrono::steady_clock::now()) {}

    // `firstHistory`: the last hour's values, sent once after the state.
    void start(http::request<http::string_body> request, std::string firstState,
               std::string firstHistory) {
        ws_.set_option(websocket::stream_base::timeout{std::chrono::seconds(30),
                                                       std::chrono::seconds(60), true});
        ws_.read_message_max(kMaxMessage);
        ws_.text(true);
        ws_.async_accept(request, [self = shared_from_this(), firstState,
                                   firstHistory = std::move(firstHistory)](error_code error) {
            if (error) return self->end("closed: " + error.message());
            self->send(firstState);
            if (!firstHistory.empty()) self->send(firstHistory);
            self->read();
        });
    }

    void send(std::string json) {
        if (ended_) return;
        if (outbox_.size() >= kMaxUnsentUpdates)
            return end("dropped: " + std::to_string(kMaxUnsentUpdates) + " updates not read");
        outbox_.push_back(std::move(json));
        if (outbox_.size() == 1) write();
    }

    // A close frame, unless `abrupt`: a silent page (perhaps gone) whose
    // slot is given away is cut at once rather than waited for.
    void close(const std::string &why, bool abrupt = false) {
        if (ended_) return;
        if (abrupt) {
            cut();
        } else {
            ws_.async_close(websocket::close_code::going_away,
                            [self = shared_from_this()](error_code) {});
        }
        end(why);
    }

    const std::string &peer() const { return peer_; }
    SteadyTime lastHeard() const { return lastHeard_; }

private:
    // The connection ends at once: the FIN goes out now, not at the last
    // release of the socket.
    void cut() {
        error_code ignored;
        auto &socket = beast::get_lowest_layer(ws_).socket();
        socket.shutdown(tcp::socket::shutdown_both, ignored);
        socket.close(ignored);
    }

    void write() {
        ws_.async_write(asio::buffer(outbox_.front()),
                        [self = shared_from_this()](error_code error, std::size_t) {
                            if (self->ended_) return;
                            if (error) return self->end("closed: " + error.message());
                            self->outbox_.pop_front();
                            if (!self->outbox_.empty()) self->write();
                        });
    }

    void read() {
        ws_.async_read(buffer_, [self = shared_from_this()](error_code error, std::size_t) {
            if (self->ended_) return;
            if (error == websocket::error::closed) return self->end("closed");
            if (error) return self->end("closed: " + error.message());
            self->lastHeard_ = std::chrono::steady_clock::now();
            const std::string text = beast::buffers_to_string(self->buffer_.data());
            self->buffer_.consume(self->buffer_.size());
            self->handle(text);
            self->read();
        });
    }

    void handle(const std::string &text) {
        const auto intent = parsePageMessage(text);
        if (!intent || !ws_.got_text()) return end("dropped: a message that is not an intent");
        if (intent->kind == Intent::Kind::Ping) return;
        const auto server = server_.lock();
        if (!server || !server->onIntent_) return;
        std::weak_ptr<PageSession> weak = shared_from_this();
        server->onIntent_(*intent, "page " + peer_, [weak](std::string json) {
            if (const auto page = weak.lock()) page->send(std::move(json));
        });
    }

    void end(const std::string &why) {
        if (ended_) return;
        ended_ = true;
        net::logLine("page " + peer_ + " " + why);
        if (why.starts_with("dropped")) cut();
        if (const auto server = server_.lock()) server->pageGone(this);
    }

    std::string peer_;
    websocket::stream<beast::tcp_stream> ws_;
    std::weak_ptr<WebServer::Impl> server_;
    beast::flat_buffer buffer_;
    std::deque<std::string> outbox_;
    SteadyTime lastHeard_;
    bool ended_ = false;
};

// One HTTP connection: requests answered from the embedded files until it
// idles past kHttpIdle or asks for a WebSocket.
class HttpSession : public std::enable_shared_from_this<HttpSession> {
public:
    HttpSession(tcp::socket socket, std::shared_ptr<WebServer::Impl> server)
        : peer_(net::peerText(socket)), stream_(std::move(socket)), server_(std::move(server)) {}

    void read() {
        parser_.emplace();
        parser_->header_limit(kMaxMessage);
        parser_->body_limit(kMaxMessage);
        stream_.expires_after(kHttpIdle);
        http::async_read(stream_, buffer_, *parser_,
                         [self = shared_from_this()](error_code error, std::size_t) {
                             if (error) return self->shut();
                             self->answer(self->parser_->release());
                         });
    }

    void shut() {
        error_code ignored;
        stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
        stream_.close();
    }

private:
    void answer(http::request<http::string_body> request) {
        const std::string host(request[http::field::host]);
        if (!hostAllowed(host, server_->served_))
            return reply(request, http::status::misdirected_request,
                         "This server does not serve the name \"" + host + "\".\n", "text/plain");
        std::string path(request.target());
        path = path.substr(0, path.find('?'));
        if (!tokenAccepted(request, path)) return;
        if (websocket::is_upgrade(request)) {
            if (request.target() != "/ws")
                return reply(request, http::status::not_found, "No WebSocket here.\n",
                             "text/plain");
            if (!originAllowed(std::string(request[http::field::origin]), host)) {
                net::logLine("page from origin \"" + std::string(request[http::field::origin]) +
                             "\" refused");
                return reply(request, http::status::forbidden,
                             "Only this server's own page may connect.\n", "text/plain");
            }
            stream_.expires_never();
            server_->upgrade(stream_.release_socket(), std::move(request));
            return;
        }
        if (request.method() != http::verb::get && request.method() != http::verb::head)
            return reply(request, http::status::method_not_allowed, "Only GET.\n", "text/plain");
        if (path == "/lxi/identification")
            return reply(request, http::status::ok, server_->config_.identificationXml,
                         "text/xml; charset=utf-8");
        if (path == "/history.csv" && server_->config_.history)
            return reply(
                request, http::status::ok, historyCsv(server_->config_.history->slice()),
                "text/csv; charset=utf-8",
                {{http::field::content_disposition, "attachment; filename=\"6175-history.csv\""}});
        if (const auto file = embeddedFile(path))
            return reply(request, http::status::ok, std::string(file->body),
                         std::string(file->contentType));
        reply(request, http::status::not_found, "Not found.\n", "text/plain");
    }

    // Beyond the loopback every request brings the token, as a cookie or,
    // the first time, in the address the server printed; that one is
    // answered with the cookie and the address without it. The
    // identification stays open to discovery tools. False once answered.
    bool tokenAccepted(const http::request<http::string_body> &request, const std::string &path) {
        const std::string &token = server_->config_.token;
        if (token.empty() || path == "/lxi/identification") return true;
        const std::string cookie = tokenCookieName(server_->served_.port);
        const std::string cookies(request[http::field::cookie]);
        const auto held = cookieValue(cookies, cookie);
        if (held && sameToken(*held, token)) return true;
        const std::string target(request.target());
        const auto given = queryValue(target, "token");
        if (given && sameToken(*given, token) && !websocket::is_upgrade(request)) {
            reply(request, http::status::see_other, "", "text/plain",
                  {{http::field::location, path},
                   {http::field::set_cookie,
                    cookie + "=" + token + "; Path=/; HttpOnly; SameSite=Strict"}});
            return false;
        }
        net::logLine("page request from " + peer_ + " without the token refused");
        reply(request, http::status::forbidden,
              "This page asks for its token: open the address with ?token= that the server "
              "printed when it started.\n",
              "text/plain");
        return false;
    }

    void reply(const http::request<http::string_body> &request, http::status status,
               std::string body, const std::string &type,
               const std::vector<std::pair<http::field, std::string>> &headers = {}) {
        auto response =
            std::make_shared<http::response<http::string_body>>(status, request.version());
        for (const auto &[field, value] : headers) response->set(field, value);
        if (!server_->config_.serverName.empty())
            response->set(http::field::server, server_->config_.serverName);
        response->set(http::field::content_type, type);
        response->set(http::field::cache_control, "no-store");
        response->set("X-Content-Type-Options", "nosniff");
        response->set("X-Frame-Options", "DENY");
        response->set("Content-Security-Policy",
                      "default-src 'self'; connect-src 'self'; frame-ancestors 'none'");
        response->keep_alive(request.keep_alive() && status != http::status::misdirected_request);
        response->body() = request.method() == http::verb::head ? std::string() : std::move(body);
        response->prepare_payload();
        if (request.method() == http::verb::head) response->content_length(response->body().size());
        http::async_write(stream_, *response,
                          [self = shared_from_this(), response](error_code error, std::size_t) {
                              if (error || !response->keep_alive()) return self->shut();
                              self->read();
                          });
    }

    std::string peer_;
    beast::tcp_stream stream_;
    std::shared_ptr<WebServer::Impl> server_;
    beast::flat_buffer buffer_{8192};
    std::optional<http::request_parser<http::string_body>> parser_;
};

void WebServer::Impl::admit(tcp::socket socket) {
    if (closed_) return;
    error_code ignored;
    socket.set_option(asio::socket_base::keep_alive(true), ignored);
    auto session = std::make_shared<HttpSession>(std::move(socket), shared_from_this());
    std::erase_if(requests_, [](const auto &weak) { return weak.expired(); });
    requests_.push_back(session);
    session->read();
}

void WebServer::Impl::upgrade(tcp::socket socket, http::request<http::string_body> request) {
    const std::string peer = "page " + net::peerText(socket);
    std::vector<SteadyTime> heard;
    for (const auto &page : pages_) heard.push_back(page->lastHeard());
    const auto verdict = slots_.decide(heard, std::chrono::steady_clock::now(), peer);
    if (!verdict.admitted) {
        net::logLine(verdict.refusal);
        error_code ignored;
        socket.close(ignored);
        return;
    }
    if (verdict.evicted) pages_[*verdict.evicted]->close(verdict.eviction, true);
    auto page = std::make_shared<PageSession>(std::move(socket), weak_from_this());
    pages_.push_back(page);
    net::logLine(peer + " opened " + slots_.occupancy(pages_.size()));
    std::string history;
    if (config_.history)
        history = historyJson(
            config_.history->slice(0, std::chrono::system_clock::now() - kPlottedHistory), true);
    page->start(std::move(request), state_, std::move(history));
}

void WebServer::Impl::pageGone(PageSession *page) {
    // Later: the page may be inside its own handler.
    asio::post(io_, [self = shared_from_this(), page] {
        std::erase_if(self->pages_, [page](const auto &p) { return p.get() == page; });
    });
}

void WebServer::Impl::close() {
    closed_ = true;
    listener_.close();
    for (const auto &page : std::vector(pages_)) page->close("closed by the server");
    for (const auto &weak : requests_)
        if (const auto request = weak.lock()) request->shut();
}

WebServer::WebServer(asio::io_context &io, net::Gate &gate, WebConfig config,
                     IntentHandler onIntent)
    : impl_(std::make_shared<Impl>(io, gate, std::move(config), std::move(onIntent))) {
    impl_->served_.names = impl_->config_.hostNames;
}

WebServer::~WebServer() {
    impl_->close();
}

Status WebServer::listen(const tcp::endpoint &endpoint) {
    const Status status = impl_->listener_.listen(endpoint);
    if (status) impl_->served_.port = port();
    return status;
}

std::string WebServer::address() const {
    return impl_->listener_.address();
}

unsigned WebServer::port() const {
    return impl_->listener_.port();
}

void WebServer::publish(std::string stateJson) {
    if (stateJson == impl_->state_) return;
    impl_->state_ = std::move(stateJson);
    for (const auto &page : std::vector(impl_->pages_)) page->send(impl_->state_);
}

void WebServer::publishHistory() {
    if (!impl_->config_.history) return;
    if (impl_->pages_.empty()) {  // a page opened later gets its hour whole
        impl_->historyPublished_ = impl_->config_.history->lastNumber();
        return;
    }
    const HistorySlice fresh = impl_->config_.history->slice(impl_->historyPublished_);
    if (fresh.size() == 0) return;
    impl_->historyPublished_ = fresh.firstNumber + fresh.size() - 1;
    const std::string json = historyJson(fresh, false);
    for (const auto &page : std::vector(impl_->pages_)) page->send(json);
}

void WebServer::setIdentificationXml(std::string xml) {
    impl_->config_.identificationXml = std::move(xml);
}

void WebServer::close() {
    impl_->close();
}

}  // namespace zz::web
