#pragma once
// The portmapper (program 100000) as a LAN instrument runs its own: NULL,
// GETPORT and DUMP of version 2, telling where the VXI-11 core channel
// listens; versions 3 and 4 (rpcbind) are answered PROG_MISMATCH(2, 2) so
// that their clients fall back to version 2. Also the two calls with which
// the core port is registered with a system rpcbind that already holds port
// 111 instead, and the reading of its answer.

#include "vxi11/rpc_dispatch.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace zz::vxi11::pmap {

inline constexpr std::uint32_t kProgram = 100000;
inline constexpr std::uint32_t kVersion = 2;
inline constexpr std::uint32_t kPort = 111;
inline constexpr std::uint32_t kNull = 0, kSet = 1, kUnset = 2, kGetPort = 3, kDump = 4;
inline constexpr std::uint32_t kTcp = 6, kUdp = 17;

struct Mapping {
    std::uint32_t program = 0, version = 0, protocol = 0, port = 0;
    bool operator==(const Mapping &) const = default;
};

class Portmapper {
public:
    // `corePort`: the TCP port of the VXI-11 core channel.
    explicit Portmapper(std::uint16_t corePort);

    // One call record (a UDP datagram, or a record off the TCP stream) in,
    // the reply out; empty when none is due.
    std::vector<std::uint8_t> handleCall(std::span<const std::uint8_t> record) const;

    const RpcProgram &program() const { return program_; }

private:
    ProcedureOutcome call(const rpc::CallHeader &call, XdrReader &in, XdrWriter &out) const;

    std::uint16_t corePort_;
    RpcProgram program_;
};

// PMAPPROC_SET / PMAPPROC_UNSET (version 2) calls, without record mark.
std::vector<std::uint8_t> setCall(std::uint32_t xid, const Mapping &mapping);
std::vector<std::uint8_t> unsetCall(std::uint32_t xid, const Mapping &mapping);
// The boolean a SET/UNSET reply to `xid` carries; nothing when the bytes are
// no successful reply to that call.
std::optional<bool> boolReply(std::span<const std::uint8_t> record, std::uint32_t xid);

}  // namespace zz::vxi11::pmap
