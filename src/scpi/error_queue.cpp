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

std::string errorResponse(const QueuedError &e) {
    std::string text(errorText(e.code));
    if (!e.detail.empty()) text += ";" + e.detail;
    if (text.size() > 255) text.resize(255);
    std::string quoted = "\"";
    for (const char c : text) {
        // Only printable ASCII travels in a response string.
        const char shown = (c >= ' ' && c <= '~') ? c : '?';
        quoted += shown;
        if (shown == '"') quoted += '"';
    }
    return std::to_string(e.code) + "," + quoted + "\"";
}

}  // namespace zz::scpi
