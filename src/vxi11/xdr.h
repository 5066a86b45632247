#pragma once
// XDR (RFC 4506) as ONC RPC carries it: big-endian 32-bit units, opaque data
// and strings padded to a multiple of four. The reader trusts no declared
// length: each is checked against the bytes that are really there and against
// the caller's bound before anything is taken. A failure sticks, and every
// later read answers zero or empty, so a decoder reads a whole structure and
// asks ok() once.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zz::vxi11 {

class XdrReader {
public:
    explicit XdrReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t u32();
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    // Only 0 and 1 are booleans; anything else fails.
    bool boolean();
    // Variable-length opaque<maxLength>: its bytes, the padding skipped.
    std::span<const std::uint8_t> opaque(std::uint32_t maxLength);
    std::string_view string(std::uint32_t maxLength);

    bool ok() const { return ok_; }
    void fail() { ok_ = false; }
    std::size_t remaining() const { return ok_ ? bytes_.size() - at_ : 0; }
    // The bytes not read yet (the arguments after an RPC call header).
    std::span<const std::uint8_t> rest() const { return bytes_.subspan(ok_ ? at_ : bytes_.size()); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

class XdrWriter {
public:
    void u32(std::uint32_t value);
    void i32(std::int32_t value) { u32(static_cast<std::uint32_t>(value)); }
    void boolean(bool value) { u32(value ? 1 : 0); }
    void opaque(std::span<const std::uint8_t> data);
    void string(std::string_view text);

    const std::vector<std::uint8_t> &bytes() const { return bytes_; }
    std::vector<std::uint8_t> take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace zz::vxi11
