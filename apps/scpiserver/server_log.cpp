#include "server_log.h"

#include <cstdio>
#include <string>

namespace zz::scpiserver {

void logLine(std::string_view text) {
    const std::string line = "6175ZIZ-scpi: " + std::string(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace zz::scpiserver
