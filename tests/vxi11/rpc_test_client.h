#pragma once
// The client's side of the messages, for the tests: call records built by
// hand (field by field, so that broken ones can be made too) and replies
// taken apart.

#include "vxi11/xdr.h"

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace vxi11test {

using Bytes = std::vector<std::uint8_t>;

// Big-endian words and raw bytes, in order.
inline Bytes words(std::initializer_list<std::uint32_t> values) {
    zz::vxi11::XdrWriter out;
    for (const auto v : values) out.u32(v);
    return out.take();
}

inline Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes xdrString(std::string_view text) {
    zz::vxi11::XdrWriter out;
    out.string(text);
    return out.take();
}

// A call with AUTH_NONE credential and verifier.
inline Bytes call(std::uint32_t program, std::uint32_t version, std::uint32_t procedure,
                  const Bytes &args, std::uint32_t xid = 0x1234) {
    return words({xid, 0, 2, program, version, procedure, 0, 0, 0, 0}) + args;
}

struct Reply {
    bool valid = false;
    std::uint32_t xid = 0, replyStat = 0, stat = 0;  // accept_stat or reject_stat
    Bytes body;                                      // what follows the stat
};

inline Reply parse(const Bytes &bytes) {
    Reply r;
    zz::vxi11::XdrReader in(bytes);
    r.xid = in.u32();
    if (in.u32() != 1) return r;  // REPLY
    r.replyStat = in.u32();
    if (r.replyStat == 0) {  // accepted: verifier first
        in.u32();
        in.opaque(400);
    }
    r.stat = in.u32();
    r.valid = in.ok();
    const auto rest = in.rest();
    r.body.assign(rest.begin(), rest.end());
    return r;
}

}  // namespace vxi11test
