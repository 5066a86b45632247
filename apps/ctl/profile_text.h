#pragma once
// The effective profile as its file would say it (defaults filled in, a
// table file's rows inline): valid TOML that reads back as the same
// profile.

#include "profile/profile.h"

#include <string>

namespace zz::ctl {

std::string profileText(const profile::Profile &profile);

}  // namespace zz::ctl
