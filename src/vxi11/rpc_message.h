#pragma once
// ONC RPC version 2 messages (RFC 5531): the header of a call, and the
// replies a server sends. Credentials and verifiers of any flavour
// (AUTH_NONE, AUTH_UNIX, ...) are skipped within their 400-byte bound; the
// replies carry an AUTH_NONE verifier.

#include "vxi11/xdr.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zz::vxi11::rpc {

inline constexpr std::uint32_t kVersion = 2;
inline constexpr std::uint32_t kCall = 0, kReply = 1;
inline constexpr std::uint32_t kMsgAccepted = 0, kMsgDenied = 1;
inline constexpr std::uint32_t kAuthNone = 0, kAuthUnix = 1;
inline constexpr std::uint32_t kMaxAuthBody = 400;

enum class AcceptStat : std::uint32_t {
    Success = 0,
    ProgUnavail = 1,
    ProgMismatch = 2,
    ProcUnavail = 3,
    GarbageArgs = 4,
    SystemErr = 5,
};
inline constexpr std::uint32_t kRpcMismatch = 0, kAuthError = 1;  // reject_stat
inline constexpr std::uint32_t kAuthBadCred = 1;                  // auth_stat

struct CallHeader {
    std::uint32_t xid = 0;
    std::uint32_t rpcVersion = 0;
    std::uint32_t program = 0;
    std::uint32_t version = 0;
    std::uint32_t procedure = 0;
};

struct DecodedCall {
    enum class Outcome {
        Call,            // header read, credentials in bounds: `arguments` follow
        BadRpcVersion,   // answer MSG_DENIED RPC_MISMATCH
        BadCredentials,  // answer MSG_DENIED AUTH_ERROR
        NotACall,        // no reply possible or due (too short, a reply, garbage)
    };
    Outcome outcome = Outcome::NotACall;
    CallHeader header;
    std::span<const std::uint8_t> arguments;
};

DecodedCall decodeCall(std::span<const std::uint8_t> record);

// Replies. `results` follow an accepted SUCCESS as they are.
std::vector<std::uint8_t> successReply(std::uint32_t xid, std::span<const std::uint8_t> results);
std::vector<std::uint8_t> acceptedReply(std::uint32_t xid, AcceptStat stat);
std::vector<std::uint8_t> progMismatchReply(std::uint32_t xid, std::uint32_t low,
                                            std::uint32_t high);
std::vector<std::uint8_t> rpcMismatchReply(std::uint32_t xid);
std::vector<std::uint8_t> authErrorReply(std::uint32_t xid, std::uint32_t authStat);

// A call of ours to another server (the system's rpcbind), AUTH_NONE.
std::vector<std::uint8_t> callMessage(const CallHeader &header,
                                      std::span<const std::uint8_t> arguments);

// The results of an accepted, successful reply to call `xid`; nothing for
// any other reply or for bytes that are no reply.
std::optional<std::span<const std::uint8_t>> successResults(std::span<const std::uint8_t> record,
                                                            std::uint32_t xid);

}  // namespace zz::vxi11::rpc
