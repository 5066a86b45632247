#pragma once
// The texts of --help and --version.

#include <string>

namespace zz::scpiserver {

std::string helpText();
std::string versionText();

}  // namespace zz::scpiserver
