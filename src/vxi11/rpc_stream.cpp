#include "vxi11/rpc_stream.h"

namespace zz::vxi11 {

RpcStream::Output RpcStream::feed(std::span<const std::uint8_t> bytes) {
    Output output;
    if (closed_) {
        output.close = true;
        return output;
    }
    // Records completed before a refused one are still answered.
    const bool taken = framer_.feed(bytes);
    while (auto record = framer_.next()) {
        const auto reply = handler_(*record);
        if (reply.empty()) {
            closed_ = true;
            break;
        }
        const auto framed = frameRecord(reply);
        output.bytes.insert(output.bytes.end(), framed.begin(), framed.end());
    }
    if (!taken) closed_ = true;
    output.close = closed_;
    return output;
}

}  // namespace zz::vxi11
