#pragma once
// How long bytes take on the line: 10 bits a byte (start, 8 data, stop) at
// 9600 baud. A command frame is eight bytes ("01234.5" and its CR), about
// 8.3 ms; senders that follow a moving value keep their commands at least
// two frames apart so that the box has taken one before the next begins.

#include <chrono>
#include <cstddef>

namespace zz::link {

inline constexpr long long kBitsPerByte = 10;
inline constexpr long long kBaud = 9600;
inline constexpr std::size_t kFrameBytes = 8;

constexpr std::chrono::microseconds wireTime(std::size_t bytes) {
    return std::chrono::microseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000 /
                                     kBaud);
}

inline constexpr std::chrono::microseconds kFrameTime = wireTime(kFrameBytes);

}  // namespace zz::link
