#include "vxi11/portmapper.h"

#include "vxi11/device_protocol.h"

namespace zz::vxi11::pmap {

namespace {

Mapping readMapping(XdrReader &in) {
    Mapping m;
    m.program = in.u32();
    m.version = in.u32();
    m.protocol = in.u32();
    m.port = in.u32();
    return m;
}

void writeMapping(XdrWriter &out, const Mapping &m) {
    out.u32(m.program);
    out.u32(m.version);
    out.u32(m.protocol);
    out.u32(m.port);
}

std::vector<std::uint8_t> mappingCall(std::uint32_t xid, std::uint32_t procedure,
                                      const Mapping &mapping) {
    XdrWriter args;
    writeMapping(args, mapping);
    return rpc::callMessage({xid, rpc::kVersion, kProgram, kVersion, procedure}, args.bytes());
}

}  // namespace

Portmapper::Portmapper(std::uint16_t corePort) : corePort_(corePort) {
    program_.number = kProgram;
    program_.lowVersion = kVersion;
    program_.highVersion = kVersion;
    program_.procedure = [this](const rpc::CallHeader &c, XdrReader &in, XdrWriter &out) {
        return call(c, in, out);
    };
}

std::vector<std::uint8_t> Portmapper::handleCall(std::span<const std::uint8_t> record) const {
    return serveCall(record, {&program_, 1});
}

ProcedureOutcome Portmapper::call(const rpc::CallHeader &call, XdrReader &in,
                                  XdrWriter &out) const {
    const Mapping core{device::kCoreProgram, device::kCoreVersion, kTcp, corePort_};
    switch (call.procedure) {
        case kNull:
            return ProcedureOutcome::Done;
        case kGetPort: {
            const Mapping asked = readMapping(in);
            if (!in.ok()) return ProcedureOutcome::GarbageArgs;
            std::uint32_t port = 0;
            if (asked.program == core.program && asked.version == core.version &&
                asked.protocol == core.protocol)
                port = core.port;
            else if (asked.program == kProgram && asked.version == kVersion &&
                     (asked.protocol == kTcp || asked.protocol == kUdp))
                port = kPort;
            out.u32(port);
            return ProcedureOutcome::Done;
        }
        case kDump: {
            // A list of mappings, each behind "more follows".
            for (const Mapping &m : {Mapping{kProgram, kVersion, kTcp, kPort},
                                     Mapping{kProgram, kVersion, kUdp, kPort}, core}) {
                out.boolean(true);
                writeMapping(out, m);
            }
            out.boolean(false);
            return ProcedureOutcome::Done;
        }
        default:
            return ProcedureOutcome::Unavailable;  // SET, UNSET, CALLIT: not ours to take
    }
}

std::vector<std::uint8_t> setCall(std::uint32_t xid, const Mapping &mapping) {
    return mappingCall(xid, kSet, mapping);
}

std::vector<std::uint8_t> unsetCall(std::uint32_t xid, const Mapping &mapping) {
    return mappingCall(xid, kUnset, mapping);
}

std::optional<bool> boolReply(std::span<const std::uint8_t> record, std::uint32_t xid) {
    const auto results = rpc::successResults(record, xid);
    if (!results) return std::nullopt;
    XdrReader in(*results);
    const bool value = in.boolean();
    if (!in.ok()) return std::nullopt;
    return value;
}

}  // namespace zz::vxi11::pmap
