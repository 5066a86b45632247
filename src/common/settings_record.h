#pragma once
// The port number "Settings.txt" holds: its first two bytes, read with the
// leading-number conversion and rounded to a 16-bit whole number. Everything
// after the second byte is ignored; a shorter file reads as if padded with
// null characters, so an empty one gives 0.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zz::common {

inline constexpr std::size_t kSettingsRecordLength = 2;

// `fileBytes` may be the whole file or only its head. No result when the
// number lies beyond the 16-bit range.
std::optional<std::int16_t> portFromSettingsBytes(std::string_view fileBytes);

}  // namespace zz::common
