#include "link/command_record.h"

#include "common/version.h"

#include <charconv>
#include <cstdlib>

#ifdef _WIN32
#include "link/text_win32.h"
#endif

namespace zz::link {

namespace {

constexpr std::size_t kMaxFieldBytes = 64;

bool printable(std::string_view text) {
    if (text.empty() || text.size() > kMaxFieldBytes) return false;
    for (char c : text)
        if (c < 0x21 || c > 0x7e) return false;
    return true;
}

template <typename Number>
bool readNumber(std::string_view text, Number &out) {
    if (text.empty() || text.size() > 20) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc{} && end == text.data() + text.size();
}

std::string defaultSenderName() {
#if defined(__GLIBC__)
    return program_invocation_short_name;
#elif defined(_WIN32)
    return win32::programFileStem();
#else
    return common::kName;
#endif
}

std::string &sender() {
    static std::string name = defaultSenderName();
    return name;
}

}  // namespace

const std::string &senderName() {
    return sender();
}

void setSenderName(std::string name) {
    sender() = std::move(name);
}

std::string recordText(const CommandRecord &record) {
    return "command " + record.command + "\ntime " + std::to_string(record.unixMillis) +
           "\nprogram " + record.program + "\npid " + std::to_string(record.pid) + "\n";
}

std::optional<CommandRecord> parseRecordText(std::string_view text) {
    if (text.size() > kMaxRecordBytes) return std::nullopt;
    CommandRecord record;
    constexpr std::string_view kKeys[] = {"command ", "time ", "program ", "pid "};
    for (std::string_view key : kKeys) {
        const std::size_t end = text.find('\n');
        if (end == text.npos || text.substr(0, key.size()) != key) return std::nullopt;
        const std::string_view value = text.substr(key.size(), end - key.size());
        text.remove_prefix(end + 1);
        if (key == "time ") {
            if (!readNumber(value, record.unixMillis)) return std::nullopt;
        } else if (key == "pid ") {
            if (!readNumber(value, record.pid) || record.pid <= 0) return std::nullopt;
        } else if (!printable(value)) {
            return std::nullopt;
        } else {
            (key == "command " ? record.command : record.program) = value;
        }
    }
    if (!text.empty()) return std::nullopt;
    return record;
}

}  // namespace zz::link
