#pragma once
// The status registers of IEEE 488.2 for one connection: the standard event
// status register with its enable mask, and the status byte with its service
// request enable mask.

#include <cstdint>

namespace zz::scpi {

namespace event {
inline constexpr std::uint8_t kOperationComplete = 0x01;
inline constexpr std::uint8_t kQueryError = 0x04;
inline constexpr std::uint8_t kDeviceError = 0x08;
inline constexpr std::uint8_t kExecutionError = 0x10;
inline constexpr std::uint8_t kCommandError = 0x20;
}  // namespace event

namespace stb {
inline constexpr std::uint8_t kErrorQueue = 0x04;  // error/event queue not empty
inline constexpr std::uint8_t kMessageAvailable = 0x10;
inline constexpr std::uint8_t kEventSummary = 0x20;
inline constexpr std::uint8_t kMasterSummary = 0x40;
}  // namespace stb

// The event bit an error code sets: -1xx command, -2xx execution, -3xx
// device-dependent, -4xx query error.
std::uint8_t eventBitFor(int code);

class StatusRegisters {
public:
    void setEvent(std::uint8_t bits) { esr_ |= bits; }
    std::uint8_t takeEvents();  // *ESR? reads and clears
    void clearEvents() { esr_ = 0; }

    std::uint8_t eventEnable() const { return ese_; }
    void setEventEnable(std::uint8_t mask) { ese_ = mask; }
    std::uint8_t serviceEnable() const { return sre_; }
    void setServiceEnable(std::uint8_t mask) { sre_ = mask & ~stb::kMasterSummary; }

    std::uint8_t statusByte(bool errorQueued, bool messageAvailable) const;

private:
    std::uint8_t esr_ = 0, ese_ = 0, sre_ = 0;
};

}  // namespace zz::scpi
