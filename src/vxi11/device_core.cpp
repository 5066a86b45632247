#include "vxi11/device_core.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace zz::vxi11 {

namespace {

using device::Error;

void writeError(XdrWriter &out, Error error) {
    out.u32(static_cast<std::uint32_t>(error));
}

// The device names a LAN instrument answers to: "inst" and "inst<N>", any case.
bool ourDevice(std::string_view name) {
    if (name.size() < 4) return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != "inst"[i]) return false;
    return std::all_of(name.begin() + 4, name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

constexpr std::uint32_t kMaxDeviceName = 256;

}  // namespace

DeviceCore::DeviceCore(SessionHost &host, CoreOptions options) : host_(host), options_(options) {}

std::vector<std::uint8_t> DeviceCore::handleCall(std::span<const std::uint8_t> record,
                                                 ConnectionId connection) {
    std::unique_lock links(mutex_);
    return serve(record, {connection, links});
}

std::optional<std::vector<std::uint8_t>> DeviceCore::handleCallUnlessToTheBox(
    std::span<const std::uint8_t> record, ConnectionId connection) {
    std::unique_lock links(mutex_);
    if (toTheBox(record, connection)) return std::nullopt;
    return serve(record, {connection, links});
}

std::optional<std::vector<std::uint8_t>> DeviceCore::handleCallOrWait(
    std::span<const std::uint8_t> record, ConnectionId connection) {
    std::unique_lock links(mutex_);
    bool later = false;
    auto reply = serve(record, {connection, links, &later});
    if (later) return std::nullopt;
    return reply;
}

std::optional<std::uint32_t> DeviceCore::readTimeout(std::span<const std::uint8_t> record) {
    const rpc::DecodedCall call = rpc::decodeCall(record);
    if (call.outcome != rpc::DecodedCall::Outcome::Call ||
        call.header.program != device::kCoreProgram || call.header.procedure != device::proc::kRead)
        return std::nullopt;
    XdrReader in(call.arguments);
    in.u32();  // link
    in.u32();  // requestSize
    const std::uint32_t timeout = in.u32();
    if (!in.ok()) return std::nullopt;
    return timeout;
}

// The programs are made for each call, so that its procedures get the call.
std::vector<std::uint8_t> DeviceCore::serve(std::span<const std::uint8_t> record, Call call) {
    const RpcProgram programs[] = {
        {device::kCoreProgram, device::kCoreVersion, device::kCoreVersion,
         [this, &call](const rpc::CallHeader &header, XdrReader &in, XdrWriter &out) {
             return core(call, header, in, out);
         }},
        {device::kAbortProgram, device::kAbortVersion, device::kAbortVersion,
         [this](const rpc::CallHeader &header, XdrReader &in, XdrWriter &out) {
             return abort(header, in, out);
         }},
    };
    return serveCall(record, programs);
}

bool DeviceCore::needsTheBox(std::span<const std::uint8_t> record, ConnectionId connection) const {
    const std::lock_guard guard(mutex_);
    return toTheBox(record, connection);
}

bool DeviceCore::toTheBox(std::span<const std::uint8_t> record, ConnectionId connection) const {
    const rpc::DecodedCall call = rpc::decodeCall(record);
    if (call.outcome != rpc::DecodedCall::Outcome::Call ||
        call.header.program != device::kCoreProgram || call.header.version != device::kCoreVersion)
        return false;
    XdrReader in(call.arguments);
    const std::uint32_t id = in.u32();
    // A device clear stops a slew or a program the instrument runs; a read
    // whose answer waits for the run's end carries the line on.
    const auto proc = call.header.procedure;
    if (proc == device::proc::kClear || proc == device::proc::kRead) {
        const auto it = links_.find(id);
        if (!in.ok() || it == links_.end() || it->second.connection != connection ||
            lockedByOther(id))
            return false;
        return proc == device::proc::kClear || it->second.device->answerComing();
    }
    if (call.header.procedure != device::proc::kWrite) return false;
    in.u32();  // io_timeout
    in.u32();  // lock_timeout
    const std::uint32_t flags = in.u32();
    const auto data = in.opaque(0xffffffffu);
    const auto it = links_.find(id);
    const Link *link = it == links_.end() ? nullptr : &it->second;
    // What write() would refuse does not reach the box either.
    if (!in.ok() || !link || link->connection != connection || lockedByOther(id)) return false;
    return link->device->needsTheBox(data, (flags & device::flag::kEnd) != 0);
}

std::size_t DeviceCore::linkCount() const {
    const std::lock_guard guard(mutex_);
    return links_.size();
}

void DeviceCore::closeConnection(ConnectionId connection) {
    const std::lock_guard guard(mutex_);
    std::vector<std::uint32_t> ids;
    for (const auto &[id, link] : links_)
        if (link.connection == connection) ids.push_back(id);
    for (const std::uint32_t id : ids) destroy(id);
}

DeviceCore::Link *DeviceCore::find(Call call, std::uint32_t id) {
    const auto it = links_.find(id);
    if (it == links_.end() || it->second.connection != call.connection) return nullptr;
    return &it->second;
}

std::uint32_t DeviceCore::nextId() {
    // Ids are not reused soon, so a stale id finds no newer link. Device_Link
    // is signed: stay below 2^31.
    do {
        lastId_ = lastId_ >= 0x7fffffffu ? 1 : lastId_ + 1;
    } while (links_.count(lastId_));
    return lastId_;
}

void DeviceCore::destroy(std::uint32_t id) {
    if (lockHolder_ == id) lockHolder_.reset();
    links_.erase(id);
}

DeviceCore::Outcome DeviceCore::core(Call call, const rpc::CallHeader &header, XdrReader &in,
                                     XdrWriter &out) {
    namespace p = device::proc;
    switch (header.procedure) {
        case p::kCreateLink:
            return createLink(call, in, out);
        case p::kWrite:
            return write(call, in, out);
        case p::kRead:
            return read(call, in, out);
        case p::kReadStb:
        case p::kTrigger:
        case p::kClear:
        case p::kRemote:
        case p::kLocal:
            return generic(call, header.procedure, in, out);
        case p::kLock:
            return lock(call, in, out);
        case p::kUnlock:
        case p::kDestroyLink:
            return linkOnly(call, header.procedure, in, out);
        case p::kEnableSrq:
        case p::kDocmd:
        case p::kCreateIntrChan:
        case p::kDestroyIntrChan:
            return unsupported(call, header.procedure, in, out);
        default:
            return Outcome::Unavailable;
    }
}

DeviceCore::Outcome DeviceCore::abort(const rpc::CallHeader &header, XdrReader &in,
                                      XdrWriter &out) {
    if (header.procedure != device::proc::kAbort) return Outcome::Unavailable;
    const std::uint32_t id = in.u32();
    if (!in.ok()) return Outcome::GarbageArgs;
    // From any connection: the abort channel is a connection of its own.
    // Nothing is ever in progress to abort.
    writeError(out, links_.count(id) ? Error::None : Error::InvalidLink);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::createLink(Call call, XdrReader &in, XdrWriter &out) {
    in.i32();  // clientId
    const bool lockDevice = in.boolean();
    in.u32();  // lock_timeout
    const std::string_view name = in.string(kMaxDeviceName);
    if (!in.ok()) return Outcome::GarbageArgs;

    Error error = Error::None;
    std::unique_ptr<InstrumentSession> session;
    if (!ourDevice(name))
        error = Error::NotAccessible;
    else if (links_.size() >= options_.maxLinks)
        error = Error::OutOfResources;
    else if (lockDevice && lockHolder_)
        error = Error::LockedByAnother;
    else if (!(session = host_.open()))
        error = Error::OutOfResources;

    std::uint32_t id = 0;
    if (error == Error::None) {
        id = nextId();
        links_.emplace(id, Link{call.connection, std::make_shared<DeviceLink>(std::move(session))});
        if (lockDevice) lockHolder_ = id;
    }
    writeError(out, error);
    out.u32(id);
    out.u32(options_.abortPort);
    out.u32(options_.maxRecvSize);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::write(Call call, XdrReader &in, XdrWriter &out) {
    const std::uint32_t id = in.u32();
    in.u32();  // io_timeout
    in.u32();  // lock_timeout
    const std::uint32_t flags = in.u32();
    const auto data = in.opaque(0xffffffffu);  // bounded by the record
    if (!in.ok()) return Outcome::GarbageArgs;

    Link *link = find(call, id);
    Error error = Error::None;
    if (!link)
        error = Error::InvalidLink;
    else if (lockedByOther(id))
        error = Error::LockedByAnother;
    if (error == Error::None) {
        // The lines may wait on the box: the other links are served meanwhile.
        // The link may be destroyed then; its buffers live on in `target`.
        const std::shared_ptr<DeviceLink> target = link->device;
        call.links.unlock();
        target->write(data, (flags & device::flag::kEnd) != 0);
        call.links.lock();
    }
    writeError(out, error);
    out.u32(error == Error::None ? static_cast<std::uint32_t>(data.size()) : 0);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::read(Call call, XdrReader &in, XdrWriter &out) {
    const std::uint32_t id = in.u32();
    const std::uint32_t requestSize = in.u32();
    in.u32();  // io_timeout
    in.u32();  // lock_timeout
    const std::uint32_t flags = in.u32();
    const std::uint32_t termChar = in.u32();
    if (!in.ok()) return Outcome::GarbageArgs;

    Link *link = find(call, id);
    Error error = Error::None;
    std::optional<ReadPiece> piece;
    if (!link) {
        error = Error::InvalidLink;
    } else if (lockedByOther(id)) {
        error = Error::LockedByAnother;
    } else {
        std::optional<char> term;
        if (flags & device::flag::kTermCharSet) term = static_cast<char>(termChar & 0xff);
        piece = link->device->read(requestSize, term);
        if (!piece && link->device->answerComing()) {
            link->device->goOn();  // on the box's thread: toTheBox chose it
            piece = link->device->read(requestSize, term);
            if (!piece && link->device->answerComing() && call.later) {
                *call.later = true;
                return Outcome::Done;
            }
        }
        // No answer waits: one would never come, so the read times out now.
        if (!piece) error = Error::IoTimeout;
    }
    writeError(out, error);
    out.u32(piece ? piece->reason : 0);
    out.string(piece ? std::string_view(piece->data) : std::string_view());
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::generic(Call call, std::uint32_t procedure, XdrReader &in,
                                        XdrWriter &out) {
    const std::uint32_t id = in.u32();
    in.u32();  // flags
    in.u32();  // lock_timeout
    in.u32();  // io_timeout
    if (!in.ok()) return Outcome::GarbageArgs;

    Link *link = find(call, id);
    Error error = Error::None;
    std::uint8_t stb = 0;
    if (!link)
        error = Error::InvalidLink;
    else if (lockedByOther(id))
        error = Error::LockedByAnother;
    else if (procedure == device::proc::kReadStb)
        stb = link->device->statusByte();
    else if (procedure == device::proc::kClear)
        link->device->clear();
    else  // trigger, remote, local: the session has no trigger and no local controls
        error = Error::NotSupported;
    writeError(out, error);
    if (procedure == device::proc::kReadStb) out.u32(stb);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::lock(Call call, XdrReader &in, XdrWriter &out) {
    const std::uint32_t id = in.u32();
    in.u32();  // flags
    in.u32();  // lock_timeout
    if (!in.ok()) return Outcome::GarbageArgs;

    Error error = Error::None;
    if (!find(call, id))
        error = Error::InvalidLink;
    else if (lockedByOther(id))
        error = Error::LockedByAnother;
    else
        lockHolder_ = id;
    writeError(out, error);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::linkOnly(Call call, std::uint32_t procedure, XdrReader &in,
                                         XdrWriter &out) {
    const std::uint32_t id = in.u32();
    if (!in.ok()) return Outcome::GarbageArgs;

    Error error = Error::None;
    if (!find(call, id))
        error = Error::InvalidLink;
    else if (procedure == device::proc::kDestroyLink)
        destroy(id);
    else if (lockHolder_ != id)
        error = Error::NoLockHeld;
    else
        lockHolder_.reset();
    writeError(out, error);
    return Outcome::Done;
}

DeviceCore::Outcome DeviceCore::unsupported(Call call, std::uint32_t procedure, XdrReader &in,
                                            XdrWriter &out) {
    namespace p = device::proc;
    // The arguments are read all the same: ones that do not decode are garbage.
    std::optional<std::uint32_t> id;
    switch (procedure) {
        case p::kEnableSrq:
            id = in.u32();
            in.boolean();
            in.opaque(40);
            break;
        case p::kDocmd:
            id = in.u32();
            for (int i = 0; i < 4; ++i) in.u32();  // flags, io_timeout, lock_timeout, cmd
            in.boolean();                          // network_order
            in.u32();                              // datasize
            in.opaque(0xffffffffu);
            break;
        case p::kCreateIntrChan:
            for (int i = 0; i < 5; ++i) in.u32();
            break;
        default:
            break;  // destroy_intr_chan takes nothing
    }
    if (!in.ok()) return Outcome::GarbageArgs;

    Error error = Error::NotSupported;
    if (id && !find(call, *id))
        error = Error::InvalidLink;
    else if (procedure == p::kDestroyIntrChan)
        error = Error::ChannelNotEstablished;
    writeError(out, error);
    if (procedure == p::kDocmd) out.u32(0);  // data_out, empty
    return Outcome::Done;
}

}  // namespace zz::vxi11
