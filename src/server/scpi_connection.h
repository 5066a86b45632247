#pragma once
// One SCPI client on its socket: its own parser and status (scpi::Session),
// its lines carried out on the link's thread one at a time (lines that never
// reach the box on the network's thread, see scpi/quick_line.h; the next line
// queues only when the previous one has answered, so every client gets its
// turn), its input bounded (nothing more is read while whole lines wait) and
// its unread answers bounded: past kOutputBound it is dropped.

#include "net/slot_rule.h"
#include "scpi/line_splitter.h"
#include "scpi/session.h"
#include "server/front_context.h"

#include <boost/asio/ip/tcp.hpp>

#include <array>
#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace zz::server {

inline constexpr std::size_t kOutputBound = 1024 * 1024;

class ScpiConnection : public std::enable_shared_from_this<ScpiConnection> {
public:
    using Finished = std::function<void(ScpiConnection *)>;

    ScpiConnection(boost::asio::ip::tcp::socket socket, FrontContext &context, Finished finished);

    void start();
    const std::string &peer() const { return peer_; }
    net::SteadyTime lastHeard() const { return lastHeard_; }
    // Drops the connection at once, whatever it still holds (a reset).
    void abort(const std::string &why);
    // Closes it; answers already given still go out.
    void close(const std::string &why) { end(why); }

private:
    void maybeRead();
    bool nothingPending();
    void addLines(std::vector<scpi::InputLine> lines);
    std::optional<scpi::InputLine> takeLine();
    bool carryOut(const scpi::InputLine &line);
    void carryOnWhileIdle();
    void waitForTheRun();
    void deliver(std::string answers, bool overrun);
    void maybeRun();
    void maybeFinish();
    void lineDone(std::string answers);
    void answer(const std::string &answers);
    void flush();
    void end(const std::string &why);

    boost::asio::ip::tcp::socket socket_;
    FrontContext &context_;
    Finished finished_;
    std::string peer_;
    scpi::Session session_;  // used by whichever thread carries out its line
    scpi::LineSplitter splitter_;
    std::mutex linesMutex_;                // the link's thread takes lines too
    std::deque<scpi::InputLine> pending_;  // whole lines not yet carried out
    std::array<char, 4096> readBuffer_{};
    std::string outbox_;   // answers not yet handed to the socket
    std::string writing_;  // answers being written
    net::SteadyTime lastHeard_;
    bool reading_ = false;
    bool busy_ = false;  // a line is on the link's queue
    bool answeredSinceRead_ = false;
    bool hungUp_ = false;
    bool ended_ = false;
    std::atomic<bool> closing_{false};  // ended_, as the link's thread sees it
    std::atomic<bool> held_{false};     // a line waits for a run to end
};

}  // namespace zz::server
