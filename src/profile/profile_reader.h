#pragma once
// A profile from its TOML text. Anything wrong is refused whole, with the
// file, line and reason ("com3.toml:7: limits.min 3000.0 is above limits.max
// 2000.0"): a safety setting that silently vanished would be worse than none,
// so unknown keys are refused as well.

#include "common/status.h"
#include "profile/profile.h"

#include <functional>
#include <string>
#include <string_view>

namespace zz::profile {

// The text of a sensor's table file, its path made whole by besideFile
// (profile_file.h); the refusal names the file.
using FileReader = std::function<Outcome<std::string>(const std::string &path)>;

// Without `readFile` a sensor's `table = "FILE"` is refused: only a profile
// read from its file (loadProfile) has a folder to read tables from.
Outcome<Profile> readProfile(std::string_view text, const std::string &fileName,
                             const FileReader &readFile = {});

// The line of the first byte that is not UTF-8, or 0 when all of it is.
std::size_t firstNonUtf8Line(std::string_view text);

}  // namespace zz::profile
