#pragma once
// The texts of --help and --version.

#include "box/sensor.h"

#include <string>
#include <vector>

namespace zz::ctl {

// `userSensors`, the profile's of the port a run would use, are named
// beside the catalogue's sensors, the lines kept within 80 columns.
std::string helpText(const std::vector<box::UserSensor> &userSensors = {});
std::string versionText();

}  // namespace zz::ctl
