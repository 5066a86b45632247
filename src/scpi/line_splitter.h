#pragma once
// Splits a connection's byte stream into program messages: a line ends with
// LF, a CR before it is dropped. A line may hold at most kMaxLine bytes; a
// longer one is reported as an overrun as soon as it passes the bound and its
// rest is discarded up to its LF, so one connection never holds more than
// about kMaxLine bytes of input.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zz::scpi {

inline constexpr std::size_t kMaxLine = 64 * 1024;

struct InputLine {
    std::string text;      // without LF and CR
    bool overrun = false;  // too long: text is empty, the line was discarded
};

class LineSplitter {
public:
    // The lines `bytes` completes, in order.
    std::vector<InputLine> feed(std::string_view bytes);
    // Bytes of an unfinished line held back.
    std::size_t pending() const { return partial_.size(); }

private:
    std::string partial_;
    bool discarding_ = false;  // inside a line that passed the bound
};

}  // namespace zz::scpi
