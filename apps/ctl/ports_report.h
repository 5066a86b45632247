#pragma once
// How `6175ZIZ-ctl ports` shows the ports present: a table for people and
// JSON for scripts, with the same facts in both.

#include "link/port_scan.h"

#include <string>
#include <vector>

namespace zz::ctl {

std::string portsTable(const std::vector<link::PresentPort> &ports);
std::string portsJson(const std::vector<link::PresentPort> &ports);

// A JSON string literal of UTF-8 text, quotes included.
std::string jsonString(const std::string &text);

}  // namespace zz::ctl
