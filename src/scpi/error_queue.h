#pragma once
// The error/event queue of SCPI: first in, first out, at most kCapacity
// entries. When it is full the newest error is lost and the last entry
// becomes -350 "Queue overflow", so the oldest errors, the ones that explain
// the rest, stay.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace zz::scpi {

namespace error {
inline constexpr int kSyntax = -102;
inline constexpr int kDataType = -104;
inline constexpr int kParameterNotAllowed = -108;
inline constexpr int kMissingParameter = -109;
inline constexpr int kUndefinedHeader = -113;
inline constexpr int kInvalidSuffix = -131;
// The box's profile is refused: nothing may be sent until it is mended.
inline constexpr int kExecution = -200;
// True values asked for without a correction table.
inline constexpr int kSettingsConflict = -221;
inline constexpr int kDataOutOfRange = -222;
inline constexpr int kIllegalParameterValue = -224;
inline constexpr int kHardware = -240;
inline constexpr int kQueueOverflow = -350;
inline constexpr int kInputBufferOverrun = -363;
}  // namespace error

// "Undefined header" for -113; "Error" for codes not listed above.
std::string_view errorText(int code);

struct QueuedError {
    int code = 0;
    std::string detail;  // after the text, behind a ';': the link's reason
};

class ErrorQueue {
public:
    static constexpr std::size_t kCapacity = 20;

    void push(int code, std::string_view detail = {});
    QueuedError pop();  // {0} when empty
    std::size_t count() const { return queue_.size(); }
    void clear() { queue_.clear(); }

private:
    std::deque<QueuedError> queue_;
};

// The answer to SYSTem:ERRor?: -240,"Hardware error;COM3: no such device",
// 0,"No error". Quotes inside are doubled; at most 255 characters inside.
// Only printable ASCII travels (clients decode answers as ASCII): Ω is
// written "ohm", ° "deg", – "-", any other character beyond ASCII "?".
std::string errorResponse(const QueuedError &error);

}  // namespace zz::scpi
