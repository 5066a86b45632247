#pragma once
// Values written as TOML, so that what `profile show` prints reads back as
// the same profile: strings escaped whatever they hold, numbers in the
// fewest digits that give the same double.

#include <string>
#include <string_view>

namespace zz::ctl {

// "Bench \"3\"" in quotes: quotes, backslashes and control characters escaped.
std::string tomlString(std::string_view text);

// 0.35, 2000, 3.9083e-03 ... as short as reads back exactly.
std::string tomlNumber(double value);

// A line for after "# ": its control characters escaped, so that a strange
// path cannot end the comment and start a key.
std::string tomlComment(std::string_view text);

}  // namespace zz::ctl
