#include "scpi/error_queue.h"

namespace zz::scpi {

std::string_view errorText(int code) {
    switch (code) {
        case 0:
            return "No error";
        case error::kSyntax:
            return "Syntax error";
        case error::kDataType:
            return "Data type error";
        case error::kParameterNotAllowed:
            return "Parameter not allowed";
        case error::kMissingParameter:
            return "Missing parameter";
        case error::kUndefinedHeader:
            return "Undefined header";
        case error::kInvalidSuffix:
            return "Invalid suffix";
        case error::kExecution:
            return "Execution error";
        case error::kSettingsConflict:
            return "Settings conflict";
        case error::kDataOutOfRange:
            return "Data out of range";
        case error::kIllegalParameterValue:
            return "Illegal parameter value";
        case error::kHardware:
            return "Hardware error";
        case error::kQueueOverflow:
            return "Queue overflow";
        case error::kInputBufferOverrun:
            return "Input buffer overrun";
    }
    return "Error";
}

void ErrorQueue::push(int code, std::string_view detail) {
    if (queue_.size() >= kCapacity) {
        queue_.back() = {error::kQueueOverflow, {}};
        return;
    }
    queue_.push_back({code, std::string(detail)});
}

QueuedError ErrorQueue::pop() {
    if (queue_.empty()) return {};
    QueuedError front = std::move(queue_.front());
    queue_.pop_front();
    return front;
}

namespace {

// The characters beyond ASCII that our own texts use, as ASCII.
struct Spelled {
    std::string_view utf8, ascii;
};
constexpr Spelled kSpelled[] = {{"\u03A9", "ohm"}, {"\u00B0", "deg"}, {"\u2013", "-"}};

// Printable ASCII only; a character beyond it is one '?' unless spelled above.
std::string asciiText(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (c == '"') {  // inside the answer's string: doubled, as IEEE 488.2 reads it
            out += "\"\"";
            ++at;
            continue;
        }
        if (c < 0x80) {
            out += (c >= ' ' && c <= '~') ? char(c) : '?';
            ++at;
            continue;
        }
        std::string_view ascii = "?";
        std::size_t length = 1;
        for (const Spelled &s : kSpelled)
            if (text.substr(at).starts_with(s.utf8)) ascii = s.ascii, length = s.utf8.size();
        if (length == 1)  // the rest of an unknown sequence
            while (at + length < text.size() && (text[at + length] & 0xC0) == 0x80) ++length;
        out += ascii;
        at += length;
    }
    return out;
}

}  // namespace

std::string errorResponse(const QueuedError &e) {
    std::string text(errorText(e.code));
    if (!e.detail.empty()) text += ";" + asciiText(e.detail);
    if (text.size() > 255) text.resize(255);
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return std::to_string(e.code) + "," + quoted + "\"";
}

}  // namespace zz::scpi
