#pragma once
// Who made the box and what it is, as *IDN?, the DNS-SD records and the LXI
// identification tell it. The box answers nothing over its write-only link,
// so these are the program's own facts: no serial number can be read from
// it ("0"), and the firmware is this program's version.

#include <string_view>

namespace zz::box {

struct Identity {
    std::string_view maker;
    std::string_view model;
    std::string_view serialNumber;
    std::string_view firmware;
};

Identity identity();

}  // namespace zz::box
