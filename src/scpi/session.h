#pragma once
// One connection's side of the protocol: its parser state, its error queue
// and its status registers. A line is carried out whole, unit by unit; a
// command error (-1xx) discards the rest of the line, as IEEE 488.2 asks.
// The answers of one line's queries go back as one line, separated by ';'.

#include "scpi/error_queue.h"
#include "scpi/instrument.h"
#include "scpi/status_registers.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zz::scpi {

class Session {
public:
    explicit Session(Instrument &instrument) : instrument_(instrument) {}

    // Carries out one program message (a line without its terminator) and
    // returns its answers with their LF, or "" when no query answered.
    std::string execute(std::string_view line);
    // A line held at *OPC? or *WAI while a run goes on (the instrument tells
    // whenSettled): the rest of it waits, and so should the client's next
    // lines. resume() carries it on once settled, with its answers whole.
    bool held() const { return held_; }
    std::string resume();
    void dropHeld() { held_ = false; }
    // A line passed the input bound and was discarded.
    void inputOverrun() { fail(error::kInputBufferOverrun); }

    // For the commands.
    Instrument &instrument() { return instrument_; }
    ErrorQueue &errors() { return errors_; }
    StatusRegisters &status() { return status_; }
    void fail(int code, std::string_view detail = {});
    void respond(std::string_view answer);
    bool answersPending() const { return !answers_.empty(); }
    // *OPC? and *WAI: the rest of the line waits for a run to end; the
    // answer, if any, is given then.
    void holdUntilSettled(std::optional<std::string> answer);

private:
    std::string carryOn(std::size_t firstUnit, std::vector<std::string> path);

    Instrument &instrument_;
    ErrorQueue errors_;
    StatusRegisters status_;
    std::string answers_;  // of the line being carried out
    bool commandError_ = false;
    std::string line_;  // being carried out; from heldUnit_ on when held
    bool held_ = false;
    std::size_t heldUnit_ = 0;
    std::vector<std::string> heldPath_;
    std::optional<std::string> answerWhenSettled_;
};

}  // namespace zz::scpi
