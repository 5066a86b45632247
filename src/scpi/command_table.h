#pragma once
// The commands the server understands: the common commands of IEEE 488.2 and
// the SCPI subsystems SOURce (resistance, temperature), UNIT and SYSTem.
// Each row also tells whether its query is answered without the box: from
// the session and constants alone, never touching the shared instrument, the
// serial link or its record (quick_line.h).

#include "scpi/header_pattern.h"

#include <span>
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
    bool queryWithoutTheBox = false;
};

const std::vector<CommandEntry> &commandTable();

struct CommonEntry {
    std::string_view name;  // "IDN", "ESE", ... (upper case, without '*')
    Handler set = nullptr, query = nullptr;
    bool queryWithoutTheBox = false;
};

std::span<const CommonEntry> commonTable();

Handler commonHandler(std::string_view name, bool query);

}  // namespace zz::scpi
