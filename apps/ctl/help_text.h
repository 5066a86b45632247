#pragma once
// The texts of --help and --version.

#include <string>

namespace zz::ctl {

std::string helpText();
std::string versionText();

}  // namespace zz::ctl
