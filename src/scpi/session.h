#pragma once
// One connection's side of the protocol: its parser state, its error queue
// and its status registers. A line is carried out whole, unit by unit; a
// command error (-1xx) discards the rest of the line, as IEEE 488.2 asks.
// The answers of one line's queries go back as one line, separated by ';'.

#include "scpi/error_queue.h"
#include "scpi/instrument.h"
#include "scpi/status_registers.h"

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
    // A line passed the input bound and was discarded.
    void inputOverrun() { fail(error::kInputBufferOverrun); }

    // For the commands.
    Instrument &instrument() { return instrument_; }
    ErrorQueue &errors() { return errors_; }
    StatusRegisters &status() { return status_; }
    void fail(int code, std::string_view detail = {});
    void respond(std::string_view answer);
    bool answersPending() const { return !answers_.empty(); }

private:
    Instrument &instrument_;
    ErrorQueue errors_;
    StatusRegisters status_;
    std::string answers_;  // of the line being carried out
    bool commandError_ = false;
};

}  // namespace zz::scpi
