// Any bytes from the network through the RPC record framer and the
// portmapper, as the TCP listener hands them over (the first byte chooses
// the size of the pieces), and each record also as a UDP datagram: no
// crash, no undefined behaviour, records within their bound, and every
// reply a reply to the call it answers.

#include "fuzz_check.h"
#include "vxi11/portmapper.h"
#include "vxi11/record_marking.h"
#include "vxi11/rpc_message.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

void checkReply(std::span<const std::uint8_t> call, std::span<const std::uint8_t> reply) {
    if (reply.empty()) return;
    zz::vxi11::XdrReader in(call), out(reply);
    FUZZ_CHECK(out.u32() == in.u32());  // the XID echoed
    FUZZ_CHECK(out.u32() == zz::vxi11::rpc::kReply);
    FUZZ_CHECK(out.ok());
    FUZZ_CHECK(reply.size() % 4 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    const zz::vxi11::pmap::Portmapper mapper(4321);

    // The whole input as one datagram, and as our rpcbind client reads it.
    checkReply(bytes, mapper.handleCall(bytes));
    if (bytes.size() >= 4) (void)zz::vxi11::pmap::boolReply(bytes, bytes[3]);

    zz::vxi11::RecordFramer framer(4096);
    for (std::size_t at = 0; at < bytes.size() && !framer.failed(); at += piece) {
        framer.feed(bytes.subspan(at, std::min(piece, bytes.size() - at)));
        while (const auto record = framer.next()) {
            FUZZ_CHECK(record->size() <= 4096);
            checkReply(*record, mapper.handleCall(*record));
        }
    }
    return 0;
}
