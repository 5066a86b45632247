#include "vxi11/rpc_message.h"

namespace zz::vxi11::rpc {

namespace {

// flavor and body of an opaque_auth; false when past its bound or cut short.
bool skipAuth(XdrReader &in) {
    in.u32();
    in.opaque(kMaxAuthBody);
    return in.ok();
}

XdrWriter acceptedHead(std::uint32_t xid, AcceptStat stat) {
    XdrWriter out;
    out.u32(xid);
    out.u32(kReply);
    out.u32(kMsgAccepted);
    out.u32(kAuthNone);  // verifier
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(stat));
    return out;
}

XdrWriter deniedHead(std::uint32_t xid, std::uint32_t rejectStat) {
    XdrWriter out;
    out.u32(xid);
    out.u32(kReply);
    out.u32(kMsgDenied);
    out.u32(rejectStat);
    return out;
}

}  // namespace

DecodedCall decodeCall(std::span<const std::uint8_t> record) {
    DecodedCall call;
    XdrReader in(record);
    call.header.xid = in.u32();
    const std::uint32_t type = in.u32();
    call.header.rpcVersion = in.u32();
    if (!in.ok() || type != kCall) return call;
    if (call.header.rpcVersion != kVersion) {
        call.outcome = DecodedCall::Outcome::BadRpcVersion;
        return call;
    }
    call.header.program = in.u32();
    call.header.version = in.u32();
    call.header.procedure = in.u32();
    if (!in.ok()) return call;
    // Credential and verifier, each of any flavour: a body past 400 bytes
    // is refused; one that runs past the record's end makes no call.
    for (int i = 0; i < 2; ++i) {
        in.u32();
        const auto body = in.opaque(0xffffffffu);
        if (!in.ok()) return call;
        if (body.size() > kMaxAuthBody) {
            call.outcome = DecodedCall::Outcome::BadCredentials;
            return call;
        }
    }
    call.arguments = in.rest();
    call.outcome = DecodedCall::Outcome::Call;
    return call;
}

std::vector<std::uint8_t> successReply(std::uint32_t xid, std::span<const std::uint8_t> results) {
    auto bytes = acceptedHead(xid, AcceptStat::Success).take();
    bytes.insert(bytes.end(), results.begin(), results.end());
    return bytes;
}

std::vector<std::uint8_t> acceptedReply(std::uint32_t xid, AcceptStat stat) {
    return acceptedHead(xid, stat).take();
}

std::vector<std::uint8_t> progMismatchReply(std::uint32_t xid, std::uint32_t low,
                                            std::uint32_t high) {
    XdrWriter out = acceptedHead(xid, AcceptStat::ProgMismatch);
    out.u32(low);
    out.u32(high);
    return out.take();
}

std::vector<std::uint8_t> rpcMismatchReply(std::uint32_t xid) {
    XdrWriter out = deniedHead(xid, kRpcMismatch);
    out.u32(kVersion);
    out.u32(kVersion);
    return out.take();
}

std::vector<std::uint8_t> authErrorReply(std::uint32_t xid, std::uint32_t authStat) {
    XdrWriter out = deniedHead(xid, kAuthError);
    out.u32(authStat);
    return out.take();
}

std::vector<std::uint8_t> callMessage(const CallHeader &header,
                                      std::span<const std::uint8_t> arguments) {
    XdrWriter out;
    out.u32(header.xid);
    out.u32(kCall);
    out.u32(kVersion);
    out.u32(header.program);
    out.u32(header.version);
    out.u32(header.procedure);
    for (int i = 0; i < 2; ++i) {  // credential and verifier
        out.u32(kAuthNone);
        out.u32(0);
    }
    auto bytes = out.take();
    bytes.insert(bytes.end(), arguments.begin(), arguments.end());
    return bytes;
}

std::optional<std::span<const std::uint8_t>> successResults(std::span<const std::uint8_t> record,
                                                            std::uint32_t xid) {
    XdrReader in(record);
    const bool head = in.u32() == xid && in.u32() == kReply && in.u32() == kMsgAccepted;
    if (!head || !skipAuth(in)) return std::nullopt;
    if (in.u32() != static_cast<std::uint32_t>(AcceptStat::Success) || !in.ok())
        return std::nullopt;
    return in.rest();
}

}  // namespace zz::vxi11::rpc
