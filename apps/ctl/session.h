#pragma once
// One run of 6175ZIZ-ctl from its command line to its exit status.

#include <string>
#include <vector>

namespace zz::ctl {

inline constexpr int kExitSent = 0;
inline constexpr int kExitLinkFailed = 1;
inline constexpr int kExitUsage = 2;

int runSession(const std::vector<std::string> &args);

}  // namespace zz::ctl
