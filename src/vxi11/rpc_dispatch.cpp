#include "vxi11/rpc_dispatch.h"

namespace zz::vxi11 {

std::vector<std::uint8_t> serveCall(std::span<const std::uint8_t> record,
                                    std::span<const RpcProgram> programs) {
    using Outcome = rpc::DecodedCall::Outcome;
    const rpc::DecodedCall call = rpc::decodeCall(record);
    const std::uint32_t xid = call.header.xid;
    switch (call.outcome) {
        case Outcome::NotACall:
            return {};
        case Outcome::BadRpcVersion:
            return rpc::rpcMismatchReply(xid);
        case Outcome::BadCredentials:
            return rpc::authErrorReply(xid, rpc::kAuthBadCred);
        case Outcome::Call:
            break;
    }
    for (const RpcProgram &program : programs) {
        if (program.number != call.header.program) continue;
        if (call.header.version < program.lowVersion || call.header.version > program.highVersion)
            return rpc::progMismatchReply(xid, program.lowVersion, program.highVersion);
        XdrReader in(call.arguments);
        XdrWriter out;
        switch (program.procedure(call.header, in, out)) {
            case ProcedureOutcome::Done:
                return rpc::successReply(xid, out.bytes());
            case ProcedureOutcome::Unavailable:
                return rpc::acceptedReply(xid, rpc::AcceptStat::ProcUnavail);
            case ProcedureOutcome::GarbageArgs:
                return rpc::acceptedReply(xid, rpc::AcceptStat::GarbageArgs);
        }
    }
    return rpc::acceptedReply(xid, rpc::AcceptStat::ProgUnavail);
}

}  // namespace zz::vxi11
