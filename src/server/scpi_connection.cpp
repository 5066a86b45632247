#include "server/scpi_connection.h"

#include "net/endpoint_text.h"
#include "net/log.h"
#include "net/socket_options.h"
#include "scpi/quick_line.h"

#include <boost/asio/post.hpp>
#include <boost/asio/write.hpp>

namespace zz::server {

namespace asio = boost::asio;
using boost::system::error_code;

ScpiConnection::ScpiConnection(asio::ip::tcp::socket socket, FrontContext &context,
                               Finished finished)
    : socket_(std::move(socket)),
      context_(context),
      finished_(std::move(finished)),
      peer_(net::peerText(socket_)),
      session_(context.instrument),
      lastHeard_(std::chrono::steady_clock::now()) {}

void ScpiConnection::start() {
    net::tuneClientSocket(socket_);
    maybeRead();
}

bool ScpiConnection::nothingPending() {
    const std::lock_guard lock(linesMutex_);
    return pending_.empty();
}

std::optional<scpi::InputLine> ScpiConnection::takeLine() {
    const std::lock_guard lock(linesMutex_);
    if (pending_.empty()) return std::nullopt;
    scpi::InputLine line = std::move(pending_.front());
    pending_.pop_front();
    return line;
}

void ScpiConnection::addLines(std::vector<scpi::InputLine> lines) {
    const std::lock_guard lock(linesMutex_);
    for (auto &line : lines) pending_.push_back(std::move(line));
}

void ScpiConnection::maybeRead() {
    if (reading_ || hungUp_ || ended_ || !nothingPending()) return;
    reading_ = true;
    socket_.async_read_some(
        asio::buffer(readBuffer_), [self = shared_from_this()](error_code error, std::size_t n) {
            self->reading_ = false;
            if (self->ended_) return;
            if (error) {
                self->hungUp_ = true;
            } else {
                self->lastHeard_ = std::chrono::steady_clock::now();
                self->answeredSinceRead_ = false;
                auto lines = self->splitter_.feed({self->readBuffer_.data(), n});
                self->addLines(std::move(lines));
            }
            self->maybeRun();
            self->maybeRead();
            self->maybeFinish();
        });
}

// One line on the link's queue at a time: the other clients' lines come in
// between, in the order they arrived.
void ScpiConnection::maybeRun() {
    if (busy_ || ended_) return;
    auto taken = takeLine();
    if (!taken) return;
    busy_ = true;
    auto line = std::make_shared<scpi::InputLine>(std::move(*taken));
    if (!line->overrun && scpi::answeredWithoutTheBox(line->text)) {
        // Nothing of this client waits on the link: its session is free here.
        asio::post(context_.io, [self = shared_from_this(), line] {
            self->lineDone(self->session_.execute(line->text));
        });
        return;
    }
    const bool queued = context_.link.push([self = shared_from_this(), line] {
        if (self->carryOut(*line)) return;
        self->carryOnWhileIdle();
    });
    if (!queued) busy_ = false;
}

// While no one else waits for the link, this client's next lines follow at
// once rather than each making a trip through the queue.
void ScpiConnection::carryOnWhileIdle() {
    while (!closing_ && context_.link.idle()) {
        auto next = takeLine();
        if (!next) break;
        if (carryOut(*next)) return;
    }
    context_.link.toNetwork([self = shared_from_this()] { self->lineDone({}); });
}

// A line held at *OPC? or *WAI goes on once the run has ended, in a job of
// its own on the link's queue (the run may end inside another client's
// setting); until then nothing more of this client is carried out.
void ScpiConnection::waitForTheRun() {
    held_ = true;
    context_.instrument.whenSettled([self = shared_from_this()] {
        self->context_.link.push([self] {
            if (self->closing_) return;
            self->context_.box.setSender("SCPI client " + self->peer_);
            std::string answers = self->session_.resume();
            if (self->session_.held()) return self->waitForTheRun();
            self->held_ = false;
            self->deliver(std::move(answers), false);
            self->carryOnWhileIdle();
        });
    });
}

// On the link's thread; the answers go out from the network's thread, in
// order. True when the line waits for a run to end (waitForTheRun).
bool ScpiConnection::carryOut(const scpi::InputLine &line) {
    std::string answers;
    if (line.overrun) {
        session_.inputOverrun();
    } else {
        context_.box.setSender("SCPI client " + peer_);
        answers = session_.execute(line.text);
        if (session_.held()) {
            waitForTheRun();
            return true;
        }
    }
    deliver(std::move(answers), line.overrun);
    return false;
}

void ScpiConnection::deliver(std::string answers, bool overrun) {
    if (answers.empty() && !overrun) return;
    context_.link.toNetwork([self = shared_from_this(), answers = std::move(answers), overrun] {
        if (overrun) net::logLine(self->peer_ + ": a line longer than 64 KiB discarded");
        if (!self->ended_) self->answer(answers);
    });
}

void ScpiConnection::lineDone(std::string answers) {
    busy_ = false;
    if (ended_) return;
    answer(answers);
    maybeRun();
    // All that came in is carried out, and no answer carried its
    // acknowledgement back: send that now, so that the client's next line,
    // held under Nagle's rule until then, is not held for 40 ms.
    if (!busy_ && !answeredSinceRead_ && nothingPending()) net::acknowledgeAtOnce(socket_);
    maybeRead();
    maybeFinish();
}

void ScpiConnection::maybeFinish() {
    // A client gone while its line waits for a run is not kept to the run's end.
    if (hungUp_ && held_ && !ended_) return end("closed while waiting for the run to end");
    if (!hungUp_ || busy_ || ended_ || !nothingPending()) return;
    const auto left = splitter_.pending();
    end(left ? "closed, an unfinished line of " + std::to_string(left) + " bytes discarded"
             : "closed");
}

void ScpiConnection::answer(const std::string &answers) {
    if (answers.empty() || hungUp_ || ended_) return;
    answeredSinceRead_ = true;
    outbox_ += answers;
    if (outbox_.size() + writing_.size() > kOutputBound) {
        abort("dropped: more than " + std::to_string(kOutputBound / 1024) +
              " KiB of answers not read");
        return;
    }
    flush();
}

void ScpiConnection::flush() {
    if (!writing_.empty() || outbox_.empty() || ended_) return;
    writing_.swap(outbox_);
    asio::async_write(socket_, asio::buffer(writing_),
                      [self = shared_from_this()](error_code error, std::size_t) {
                          self->writing_.clear();
                          if (error) {
                              self->hungUp_ = true;
                              self->maybeFinish();
                              return;
                          }
                          self->flush();
                      });
}

void ScpiConnection::abort(const std::string &why) {
    if (ended_) return;
    error_code ignored;
    socket_.set_option(asio::socket_base::linger(true, 0), ignored);  // a reset, not a wait
    end(why);
}

void ScpiConnection::end(const std::string &why) {
    if (ended_) return;
    ended_ = true;
    closing_ = true;
    net::logLine(peer_ + " " + why);
    error_code ignored;
    socket_.close(ignored);
    const std::lock_guard lock(linesMutex_);
    pending_.clear();
    if (finished_) finished_(this);
}

}  // namespace zz::server
