#pragma once
// The whole text of a file the profile is made from (the profile itself, a
// sensor's table), bounded: a profile is a few lines, a table a few hundred.

#include "common/status.h"

#include <optional>
#include <string>
#include <string_view>

namespace zz::profile {

inline constexpr std::size_t kMaxProfileBytes = 1024 * 1024;

// Nothing when there is no such file. One that cannot be read: "PATH:
// cannot be read: REASON"; one over kMaxProfileBytes: "PATH:1: the file is
// larger than 1 MB; " and `whatItIs` ("a profile is a few lines").
Outcome<std::optional<std::string>> readFileText(const std::string &path,
                                                 std::string_view whatItIs);

}  // namespace zz::profile
