#pragma once
// The numbers of VXI-11's core and abort channels: programs, procedures,
// flags, read reasons and the Device_ErrorCode values.

#include <cstdint>

namespace zz::vxi11::device {

inline constexpr std::uint32_t kCoreProgram = 0x0607AF;
inline constexpr std::uint32_t kCoreVersion = 1;
inline constexpr std::uint32_t kAbortProgram = 0x0607B0;
inline constexpr std::uint32_t kAbortVersion = 1;

namespace proc {
inline constexpr std::uint32_t kAbort = 1;  // on the abort channel
inline constexpr std::uint32_t kCreateLink = 10;
inline constexpr std::uint32_t kWrite = 11;
inline constexpr std::uint32_t kRead = 12;
inline constexpr std::uint32_t kReadStb = 13;
inline constexpr std::uint32_t kTrigger = 14;
inline constexpr std::uint32_t kClear = 15;
inline constexpr std::uint32_t kRemote = 16;
inline constexpr std::uint32_t kLocal = 17;
inline constexpr std::uint32_t kLock = 18;
inline constexpr std::uint32_t kUnlock = 19;
inline constexpr std::uint32_t kEnableSrq = 20;
inline constexpr std::uint32_t kDocmd = 22;
inline constexpr std::uint32_t kDestroyLink = 23;
inline constexpr std::uint32_t kCreateIntrChan = 25;
inline constexpr std::uint32_t kDestroyIntrChan = 26;
}  // namespace proc

namespace flag {
inline constexpr std::uint32_t kWaitLock = 0x01;
inline constexpr std::uint32_t kEnd = 0x08;
inline constexpr std::uint32_t kTermCharSet = 0x80;
}  // namespace flag

namespace reason {
inline constexpr std::uint32_t kRequestCount = 0x01;
inline constexpr std::uint32_t kTermChar = 0x02;
inline constexpr std::uint32_t kEnd = 0x04;
}  // namespace reason

enum class Error : std::uint32_t {
    None = 0,
    Syntax = 1,
    NotAccessible = 3,
    InvalidLink = 4,
    Parameter = 5,
    ChannelNotEstablished = 6,
    NotSupported = 8,
    OutOfResources = 9,
    LockedByAnother = 11,
    NoLockHeld = 12,
    IoTimeout = 15,
    IoError = 17,
    InvalidAddress = 21,
    Abort = 23,
    ChannelAlreadyEstablished = 29,
};

}  // namespace zz::vxi11::device
