#pragma once
// One RPC call record in, its reply out, for a set of programs: the program
// and version are checked here (PROG_UNAVAIL, PROG_MISMATCH), the procedure
// by the program. A procedure decodes all of its arguments before it acts,
// so arguments that do not decode (GARBAGE_ARGS) change nothing.

#include "vxi11/rpc_message.h"
#include "vxi11/xdr.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace zz::vxi11 {

enum class ProcedureOutcome { Done, Unavailable, GarbageArgs };

struct RpcProgram {
    std::uint32_t number = 0;
    std::uint32_t lowVersion = 0, highVersion = 0;
    // Reads its arguments from `in`, writes its results to `out`.
    std::function<ProcedureOutcome(const rpc::CallHeader &call, XdrReader &in, XdrWriter &out)>
        procedure;
};

// The reply to `record`; empty when no reply is due (not a call, cut short):
// a stream transport then closes the connection, a datagram one drops it.
std::vector<std::uint8_t> serveCall(std::span<const std::uint8_t> record,
                                    std::span<const RpcProgram> programs);

}  // namespace zz::vxi11
