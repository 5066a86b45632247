#pragma once
// A profile from its TOML text. Anything wrong is refused whole, with the
// file, line and reason ("com3.toml:7: limits.min 3000.0 is above limits.max
// 2000.0"): a safety setting that silently vanished would be worse than none,
// so unknown keys are refused as well.

#include "common/status.h"
#include "profile/profile.h"

#include <string>
#include <string_view>

namespace zz::profile {

Outcome<Profile> readProfile(std::string_view text, const std::string &fileName);

// The line of the first byte that is not UTF-8, or 0 when all of it is.
std::size_t firstNonUtf8Line(std::string_view text);

}  // namespace zz::profile
