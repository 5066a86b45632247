#pragma once
// The commands the server understands: the common commands of IEEE 488.2 and
// the SCPI subsystems SOURce (resistance, temperature), UNIT and SYSTem.

#include "scpi/header_pattern.h"

#include <string_view>
#include <vector>

namespace zz::scpi {

class Session;
using Params = std::vector<std::string_view>;
using Handler = void (*)(Session &, const Params &);

struct CommandEntry {
    HeaderPattern header;
    Handler set = nullptr;  // nullptr: no such form (-113)
    Handler query = nullptr;
};

const std::vector<CommandEntry> &commandTable();

// "IDN", "ESE", ... (upper case, without '*').
Handler commonHandler(std::string_view name, bool query);

}  // namespace zz::scpi
