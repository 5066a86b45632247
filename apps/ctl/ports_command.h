#pragma once
// `6175ZIZ-ctl ports`: the ports present, and `ports --map N DEVICE`, which
// makes port N lead to a device by its stable name.

#include "options.h"

namespace zz::ctl {

// The exit status: 0 done, 1 the map entry could not be written, 2 a usage
// error or a refusal.
int runPorts(const Options &options);

}  // namespace zz::ctl
