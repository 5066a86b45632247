#pragma once
// Which serial port a run uses: --device PATH (used directly, with the same
// checks as a mapped port), else --port N (the panel's port map), else the
// port in "Settings.txt" of the current directory, read as the panel reads it
// but never created. Nothing is opened here.

#include "common/status.h"
#include "link/serial_control.h"

#include <optional>
#include <string>
#include <string_view>

namespace zz::program {

// What a command line asked for, as typed.
struct PortRequest {
    std::optional<std::string> port;    // --port N
    std::optional<std::string> device;  // --device PATH
};

// A failure is a usage error: "no port given: use --port N".
Status selectPort(const PortRequest &request, link::SerialControl &control);

// The port number of "3"; nothing unless it is a whole number from 1 to 255.
std::optional<int> readPortNumber(std::string_view text);

// "COM3 → /dev/ttyUSB0" or "/dev/ttyUSB0", for messages.
std::string describeSelection(const PortRequest &request, const link::SerialControl &control);

}  // namespace zz::program
