#pragma once
// What a VXI-11 link carries its lines out on: a session of the instrument,
// a client of its own as a SCPI connection is, with its own parser, error
// queue and status. The server provides the host; each create_link opens one
// session and destroy_link (or the end of the connection that made the
// link) closes it.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zz::vxi11 {

class InstrumentSession {
public:
    virtual ~InstrumentSession() = default;
    // Carries out one program message (a line without its terminator) and
    // returns its answers with their LF, or "" when nothing answered.
    virtual std::string execute(std::string_view line) = 0;
    // Whether carrying out `line` may send to the box; a server carries out
    // the others at once instead of in the serial link's turn.
    virtual bool needsTheBox(std::string_view line) const = 0;
    // A message passed the input bound and was discarded.
    virtual void inputOverrun() = 0;
    // The IEEE 488.2 status byte; `messageAvailable`: the link holds unread answers.
    virtual std::uint8_t statusByte(bool messageAvailable) = 0;
    // device_clear: the link's buffers are already emptied.
    virtual void deviceClear() = 0;
    // A line waits for the instrument's run to end (*OPC?, *WAI); its
    // answers, and the lines after it, come once it has.
    virtual bool waiting() const { return false; }
    // On the box's thread: the waiting line goes on if the run has ended;
    // its answers, or nothing while it still waits.
    virtual std::optional<std::string> goOn() { return std::nullopt; }
};

class SessionHost {
public:
    virtual ~SessionHost() = default;
    // A new session, or nullptr when the host can take no more.
    virtual std::unique_ptr<InstrumentSession> open() = 0;
};

}  // namespace zz::vxi11
