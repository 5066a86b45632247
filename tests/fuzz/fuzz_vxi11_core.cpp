// Any bytes on VXI-11 core channel connections, through the stream helper
// and the core's links on real SCPI sessions: no crash, no undefined
// behaviour, replies that answer their calls, never more than 16 links,
// nothing left once the connections close, only whole commands reach the
// box, and none from a call the core said would not reach it. The first byte chooses the size of
// the pieces and how the bytes are shared between two connections.

#include "checked_box.h"
#include "fuzz_check.h"
#include "scpi/instrument.h"
#include "vxi11/device_core.h"
#include "vxi11/rpc_stream.h"
#include "vxi11/scpi_session_host.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 32;
    const bool twoConnections = data[0] & 0x80;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);

    CheckedBox box;
    zz::scpi::Instrument instrument(box);
    zz::vxi11::ScpiSessionHost host(instrument);
    zz::vxi11::DeviceCore core(host, {16, 0, 1024});
    const auto serve = [&](std::span<const std::uint8_t> record, zz::vxi11::ConnectionId id) {
        const bool toTheBox = core.needsTheBox(record, id);
        const unsigned before = box.sent;
        auto reply = core.handleCall(record, id);
        FUZZ_CHECK(toTheBox || box.sent == before);
        return reply;
    };
    zz::vxi11::RpcStream streams[2] = {
        zz::vxi11::RpcStream([&](auto r) { return serve(r, 1); }, 8192),
        zz::vxi11::RpcStream([&](auto r) { return serve(r, 2); }, 8192)};

    std::size_t turn = 0;
    for (std::size_t at = 0; at < bytes.size(); at += piece, ++turn) {
        auto &stream = streams[twoConnections ? turn % 2 : 0];
        const auto out = stream.feed(bytes.subspan(at, std::min(piece, bytes.size() - at)));
        // Whole records out: each mark says "last fragment" and its length fits.
        std::size_t pos = 0;
        while (pos < out.bytes.size()) {
            FUZZ_CHECK(out.bytes.size() - pos >= 8);
            FUZZ_CHECK(out.bytes[pos] & 0x80);
            const std::size_t length = std::size_t(out.bytes[pos + 1]) << 16 |
                                       std::size_t(out.bytes[pos + 2]) << 8 | out.bytes[pos + 3];
            FUZZ_CHECK(length % 4 == 0 && length <= out.bytes.size() - pos - 4);
            pos += 4 + length;
        }
        FUZZ_CHECK(core.linkCount() <= 16);
    }
    core.closeConnection(1);
    core.closeConnection(2);
    FUZZ_CHECK(core.linkCount() == 0);
    return 0;
}
