#pragma once
// Error numbers of the serial link. The texts name the port and the reason.

namespace zz::link::serial_error {

inline constexpr int InvalidPortNumber = 8002;  // refused when set: outside 1..255
inline constexpr int PortAlreadyOpen = 8005;    // port changed, or opened, while open
inline constexpr int PortNotOpen = 8018;        // Output while closed
inline constexpr int NoSuchPort = 8020;         // device missing
inline constexpr int PortBusy = 8021;           // held by another program
inline constexpr int AccessDenied = 8022;       // no permission (dialout group)
inline constexpr int NotASerialPort = 8023;     // regular file, /dev/null, directory, ...
inline constexpr int ConfigureFailed = 8024;    // line settings refused
inline constexpr int WriteFailed = 8025;        // write error
inline constexpr int WriteTimeout = 8026;       // far end never took the bytes

}  // namespace zz::link::serial_error
