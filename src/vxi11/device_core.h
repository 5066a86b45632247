#pragma once
// The VXI-11 core channel (program 0x0607AF, version 1) and its abort channel
// (0x0607B0): the links, the device lock, and one procedure per call. Each
// link owns a session the host opens for it, so it is a client of its own as
// a SCPI connection is. Links belong to the connection that made them: they
// answer only there, and go when it closes. Calls are carried out at once, in
// the caller's thread. Calls may come from several threads: the links are
// guarded, and a device_write runs its lines with the guard let go, so a line
// stalled on the box holds up no other link's call. One connection's calls
// come one at a time. Each call carries its connection and its hold on the
// guard down to the procedure: nothing of one call is kept in the core where
// another call could overwrite it.
//
// A lock held by another link is answered "device locked by another link"
// at once: no call waits for it (lock_timeout) or for an answer (io_timeout).

#include "vxi11/device_link.h"
#include "vxi11/device_protocol.h"
#include "vxi11/instrument_session.h"
#include "vxi11/rpc_dispatch.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace zz::vxi11 {

struct CoreOptions {
    std::size_t maxLinks = 16;
    // Told to clients in create_link: the abort channel's port (this one's,
    // when the same listener serves both), and the largest device_write data.
    std::uint16_t abortPort = 0;
    std::uint32_t maxRecvSize = 64 * 1024;
};

using ConnectionId = std::uint64_t;

class DeviceCore {
public:
    explicit DeviceCore(SessionHost &host, CoreOptions options = {});
    DeviceCore(const DeviceCore &) = delete;
    DeviceCore &operator=(const DeviceCore &) = delete;

    // One call record of the core or the abort program from `connection`
    // (any number the transport gives each connection); the reply, or empty
    // when none is due (see serveCall).
    std::vector<std::uint8_t> handleCall(std::span<const std::uint8_t> record,
                                         ConnectionId connection = 0);
    // Whether handleCall(record, connection) may send to the box: a
    // device_write that completes a line which is not answered by the
    // session alone, or a device_clear (it stops the instrument's run), or
    // a device_read while a line waits for the run's end (the line goes on
    // there). Any other call only reads or changes the links here.
    bool needsTheBox(std::span<const std::uint8_t> record, ConnectionId connection) const;
    // handleCall, unless the call needs the box: then nothing, and the
    // caller hands it to the box's thread. One decision with the links held,
    // so a lock freed meanwhile cannot turn a refused write into a sent one.
    std::optional<std::vector<std::uint8_t>> handleCallUnlessToTheBox(
        std::span<const std::uint8_t> record, ConnectionId connection);
    // handleCall for a call needsTheBox chose, except a device_read whose
    // answer is still coming (its line waits for the instrument's run to
    // end): nothing, and the caller asks again later, with handleCall once
    // the read's io_timeout has passed.
    std::optional<std::vector<std::uint8_t>> handleCallOrWait(std::span<const std::uint8_t> record,
                                                              ConnectionId connection);
    // The io_timeout of a device_read call, in milliseconds.
    static std::optional<std::uint32_t> readTimeout(std::span<const std::uint8_t> record);
    // The connection ended: its links are destroyed, a lock they held freed.
    void closeConnection(ConnectionId connection);

    std::size_t linkCount() const;
    const CoreOptions &options() const { return options_; }

private:
    struct Link {
        ConnectionId connection = 0;
        // Shared: a write in progress outlives its link being destroyed.
        std::shared_ptr<DeviceLink> device;
    };
    using Outcome = ProcedureOutcome;
    // The call being served: the connection it came on, and the caller's
    // hold on mutex_, which a device_write lets go of while its lines run.
    struct Call {
        ConnectionId connection;
        std::unique_lock<std::mutex> &links;
        bool *later = nullptr;  // set: a device_read that may wait, and does
    };

    bool toTheBox(std::span<const std::uint8_t> record, ConnectionId connection) const;
    std::vector<std::uint8_t> serve(std::span<const std::uint8_t> record, Call call);
    Outcome core(Call call, const rpc::CallHeader &header, XdrReader &in, XdrWriter &out);
    Outcome abort(const rpc::CallHeader &header, XdrReader &in, XdrWriter &out);
    Outcome createLink(Call call, XdrReader &in, XdrWriter &out);
    Outcome write(Call call, XdrReader &in, XdrWriter &out);
    Outcome read(Call call, XdrReader &in, XdrWriter &out);
    Outcome generic(Call call, std::uint32_t procedure, XdrReader &in, XdrWriter &out);
    Outcome lock(Call call, XdrReader &in, XdrWriter &out);
    Outcome linkOnly(Call call, std::uint32_t procedure, XdrReader &in, XdrWriter &out);
    Outcome unsupported(Call call, std::uint32_t procedure, XdrReader &in, XdrWriter &out);

    // The caller's link, or nothing (invalid link).
    Link *find(Call call, std::uint32_t id);
    bool lockedByOther(std::uint32_t id) const { return lockHolder_ && *lockHolder_ != id; }
    std::uint32_t nextId();
    void destroy(std::uint32_t id);

    SessionHost &host_;
    CoreOptions options_;
    std::map<std::uint32_t, Link> links_;
    std::optional<std::uint32_t> lockHolder_;
    std::uint32_t lastId_ = 0;
    mutable std::mutex mutex_;  // guards the links, the lock holder and the ids
};

}  // namespace zz::vxi11
