#include "scpi/status_registers.h"

namespace zz::scpi {

std::uint8_t eventBitFor(int code) {
    if (code <= -100 && code > -200) return event::kCommandError;
    if (code <= -200 && code > -300) return event::kExecutionError;
    if (code <= -300 && code > -400) return event::kDeviceError;
    if (code <= -400 && code > -500) return event::kQueryError;
    return 0;
}

std::uint8_t StatusRegisters::takeEvents() {
    const std::uint8_t events = esr_;
    esr_ = 0;
    return events;
}

std::uint8_t StatusRegisters::statusByte(bool errorQueued, bool messageAvailable) const {
    std::uint8_t byte = 0;
    if (errorQueued) byte |= stb::kErrorQueue;
    if (messageAvailable) byte |= stb::kMessageAvailable;
    if (esr_ & ese_) byte |= stb::kEventSummary;
    if (byte & sre_) byte |= stb::kMasterSummary;
    return byte;
}

}  // namespace zz::scpi
