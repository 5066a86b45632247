#pragma once
// `6175ZIZ-ctl profile check|show`: what the profile of the box on the
// selected port says, or why it is refused.

#include "options.h"

namespace zz::ctl {

int runProfile(const Options &options);

}  // namespace zz::ctl
