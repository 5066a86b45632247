#pragma once
// An RPC server's side of one TCP connection, whatever the socket: received
// bytes go through the record framer, each whole record to the call handler,
// and the replies come back with their record marks, ready to send. A record
// past the bound, or one that is no call, ends the connection: the caller
// sends what `feed` returned and then closes.
//
// `feed` is the whole round; a caller that answers some calls elsewhere (on
// another thread) takes its steps itself: take, then nextCall and reply in
// turn, then output.

#include "vxi11/record_marking.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace zz::vxi11 {

// A call record in, its reply out; empty for no reply (see serveCall).
using CallHandler = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)>;

class RpcStream {
public:
    explicit RpcStream(CallHandler handler = {}, std::size_t maxRecord = kMaxRecord)
        : handler_(std::move(handler)), framer_(maxRecord) {}

    struct Output {
        std::vector<std::uint8_t> bytes;  // to send, in order
        bool close = false;               // then close the connection
    };
    // Every call in `bytes` answered by the handler.
    Output feed(std::span<const std::uint8_t> bytes);

    void take(std::span<const std::uint8_t> bytes);
    // The next whole call record to answer; none once the stream is closed.
    std::optional<std::vector<std::uint8_t>> nextCall();
    // The reply to the call nextCall gave; an empty one closes the stream.
    void reply(std::span<const std::uint8_t> reply);
    // The replies so far (taken away), and whether to close after them;
    // asked once nextCall has no more.
    Output output();

    bool closed() const { return closed_; }

private:
    CallHandler handler_;
    RecordFramer framer_;
    std::vector<std::uint8_t> replies_;
    bool refused_ = false;  // a record passed the bound: close once the earlier ones are answered
    bool closed_ = false;
};

}  // namespace zz::vxi11
