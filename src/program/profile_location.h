#pragma once
// Where the profile of the port a run uses lives, found the same way by every
// program of ours: port N reads boxes/com<N>.toml, a --device its own file
// named after the device path, in the program's configuration folder; a
// device without a file of its own that a port number leads to reads that
// port's file, as the panel on that port does.

#include "link/serial_control.h"
#include "program/port_selection.h"

#include <string>

namespace zz::program {

// After selectPort has chosen the port of `request` in `control`.
std::string profilePathFor(const PortRequest &request, const link::SerialControl &control);

}  // namespace zz::program
