#pragma once
// ONC RPC record marking (RFC 5531, section 11) for a byte stream: a record
// is one or more fragments, each behind a 4-byte mark whose top bit says
// "last fragment" and whose other 31 bits give its length. The framer takes
// bytes in whatever pieces the socket hands over and gives back whole
// records. It never sets aside room for a declared length: a record whose
// fragments would pass the bound is refused as soon as its mark is read, and
// the framer stays failed (the connection is to be closed).

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

namespace zz::vxi11 {

// The largest record taken: a 64 KiB device_write and its headers.
inline constexpr std::size_t kMaxRecord = 64 * 1024 + 1024;

class RecordFramer {
public:
    explicit RecordFramer(std::size_t maxRecord = kMaxRecord) : maxRecord_(maxRecord) {}

    // Takes the next bytes of the stream; false once a record passed the
    // bound (then and afterwards nothing more is taken).
    bool feed(std::span<const std::uint8_t> bytes);
    // The next whole record, oldest first.
    std::optional<std::vector<std::uint8_t>> next();

    bool failed() const { return failed_; }
    // Inside a record: the stream ending now would cut it short.
    bool midRecord() const { return markHave_ > 0 || fragmentLeft_ > 0 || !record_.empty(); }

private:
    std::size_t maxRecord_;
    std::deque<std::vector<std::uint8_t>> done_;
    std::vector<std::uint8_t> record_;  // fragments so far of the record being read
    std::uint8_t mark_[4] = {};
    std::size_t markHave_ = 0;
    std::size_t fragmentLeft_ = 0;
    bool lastFragment_ = false;
    bool failed_ = false;
};

// `record` behind marks, in fragments of at most `maxFragment` bytes (one
// fragment unless a smaller size is asked for, as tests do).
std::vector<std::uint8_t> frameRecord(std::span<const std::uint8_t> record,
                                      std::size_t maxFragment = 0x7fffffff);

}  // namespace zz::vxi11
