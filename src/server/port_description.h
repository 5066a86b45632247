#pragma once
// The served port as people know it, from the scan of the ports present:
// "FT232R USB UART (/dev/ttyUSB0, 0403:6001, serial A6008isP)". Empty when
// the device is not among them (a pseudo-terminal, a port gone).

#include "link/port_scan.h"

#include <string>
#include <vector>

namespace zz::server {

std::string portDescription(const std::string &devicePath,
                            const std::vector<link::PresentPort> &present);
std::string portDescription(const std::string &devicePath);  // scans now

}  // namespace zz::server
