#include "net/log.h"

#include <cstdio>
#include <string>

namespace zz::net {

namespace {

LogSink &sink() {
    static LogSink theSink;
    return theSink;
}

}  // namespace

void setLogSink(LogSink newSink) {
    sink() = std::move(newSink);
}

void logLine(std::string_view text) {
    if (sink()) return sink()(text);
    // One write per line, so that lines of two threads do not interleave.
    const std::string line = std::string(text) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

}  // namespace zz::net
