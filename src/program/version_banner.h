#pragma once
// What --version prints, in the GNU manner: "6175ZIZ-ctl (6175ZIZ) 1.02" (the
// package in brackets for the other programs) and the copyright line.

#include "common/version.h"

#include <string>
#include <string_view>

namespace zz::program {

inline std::string versionBanner(std::string_view program) {
    using namespace common;
    const std::string package =
        program == common::kName ? "" : std::string(" (") + common::kName + ")";
    return std::string(program) + package + " " + common::kVersion + "\nCopyright (C) " +
           common::kCompany + "\n";
}

}  // namespace zz::program
