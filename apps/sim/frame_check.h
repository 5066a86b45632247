#pragma once
// What the simulated instrument makes of the bytes it receives: frames ended
// by one carriage return, each a plain decimal resistance 0.0..99999.9.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <termios.h>

namespace zz::sim {

struct Frame {
    std::string raw;             // the bytes as received, terminator included
    std::optional<double> ohms;  // the value the box now presents, when well formed
    std::vector<std::string> problems;
};

// Splits a byte stream into frames at each carriage return. Bytes after the
// last carriage return stay in `pending`.
class FrameSplitter {
public:
    std::vector<Frame> feed(std::string_view bytes);
    // Whatever arrived without its carriage return (flagged as such).
    std::optional<Frame> flush();

private:
    std::string pending_;
};

// Checks one frame's text (without the carriage return).
Frame checkFrame(std::string raw);

// Problems with the line settings the sender left on the terminal:
// anything but 9600 baud, 8 data bits, no parity, 1 stop bit, no flow control.
std::vector<std::string> lineSettingProblems(const termios &t);

// "01234.5\r" -> "01234.5\\r"; other control bytes as \xNN.
std::string escapeBytes(std::string_view bytes);

}  // namespace zz::sim
