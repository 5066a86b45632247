#pragma once
// One VXI-11 link's message buffers around its session. device_write bytes
// are gathered until a line is complete (LF) or the message ends (END), and
// each line is carried out; its answers wait for device_read, which hands
// them out in pieces of the requested size, up to the termination character
// when asked, with END on the last byte. A new message discards answers left
// unread, as IEEE 488.2 asks. Input is bounded per line, output per link.

#include "vxi11/instrument_session.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace zz::vxi11 {

inline constexpr std::size_t kMaxMessageLine = 64 * 1024;
inline constexpr std::size_t kMaxUnreadOutput = 1024 * 1024;

struct ReadPiece {
    std::string data;
    std::uint32_t reason = 0;  // device::reason bits
};

class DeviceLink {
public:
    explicit DeviceLink(std::unique_ptr<InstrumentSession> session)
        : session_(std::move(session)) {}

    void write(std::span<const std::uint8_t> data, bool end);
    // Whether write(data, end) would carry out a line that may send to the box.
    bool needsTheBox(std::span<const std::uint8_t> data, bool end) const;
    // The next piece of the answers; nothing when no answer waits.
    std::optional<ReadPiece> read(std::uint32_t requestSize, std::optional<char> termChar);
    std::uint8_t statusByte() { return session_->statusByte(unread() > 0); }
    void clear();

    std::size_t unread() const { return output_.size() - readAt_; }
    // A line waits for the instrument's run to end: a device_read waits for
    // its answers, and the lines written after it wait their turn.
    bool answerComing() const { return session_->waiting(); }
    // On the box's thread: the waiting line goes on if the run has ended,
    // then the lines that came after it.
    void goOn();

private:
    void runLine();
    void carryOut(const std::string &line);

    std::unique_ptr<InstrumentSession> session_;
    std::string line_;          // the line being gathered
    bool discarding_ = false;   // the line passed the bound; dropped up to its end
    bool messageOpen_ = false;  // writes since the last END belong to one message
    std::string output_;
    std::size_t readAt_ = 0;
    std::deque<std::string> waitingLines_;  // written while a line waits
    std::size_t waitingBytes_ = 0;
};

}  // namespace zz::vxi11
