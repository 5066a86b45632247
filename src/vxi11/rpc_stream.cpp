#include "vxi11/rpc_stream.h"

#include <utility>

namespace zz::vxi11 {

RpcStream::Output RpcStream::feed(std::span<const std::uint8_t> bytes) {
    take(bytes);
    while (auto call = nextCall()) reply(handler_(*call));
    return output();
}

void RpcStream::take(std::span<const std::uint8_t> bytes) {
    if (closed_ || refused_) return;
    // Records completed before a refused one are still answered.
    if (!framer_.feed(bytes)) refused_ = true;
}

std::optional<std::vector<std::uint8_t>> RpcStream::nextCall() {
    if (closed_) return std::nullopt;
    return framer_.next();
}

void RpcStream::reply(std::span<const std::uint8_t> reply) {
    if (reply.empty()) {
        closed_ = true;
        return;
    }
    const auto framed = frameRecord(reply);
    replies_.insert(replies_.end(), framed.begin(), framed.end());
}

RpcStream::Output RpcStream::output() {
    if (refused_) closed_ = true;
    return {std::exchange(replies_, {}), closed_};
}

}  // namespace zz::vxi11
