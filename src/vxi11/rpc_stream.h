#pragma once
// An RPC server's side of one TCP connection, whatever the socket: received
// bytes go through the record framer, each whole record to the call handler,
// and the replies come back with their record marks, ready to send. A record
// past the bound, or one that is no call, ends the connection: the caller
// sends what `feed` returned and then closes.

#include "vxi11/record_marking.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zz::vxi11 {

// A call record in, its reply out; empty for no reply (see serveCall).
using CallHandler = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t>)>;

class RpcStream {
public:
    explicit RpcStream(CallHandler handler, std::size_t maxRecord = kMaxRecord)
        : handler_(std::move(handler)), framer_(maxRecord) {}

    struct Output {
        std::vector<std::uint8_t> bytes;  // to send, in order
        bool close = false;               // then close the connection
    };
    Output feed(std::span<const std::uint8_t> bytes);

    bool closed() const { return closed_; }

private:
    CallHandler handler_;
    RecordFramer framer_;
    bool closed_ = false;
};

}  // namespace zz::vxi11
