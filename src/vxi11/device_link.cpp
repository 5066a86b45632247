#include "vxi11/device_link.h"

#include "vxi11/device_protocol.h"

#include <algorithm>

namespace zz::vxi11 {

namespace {

std::string_view withoutCarriageReturn(std::string_view line) {
    return line.ends_with('\r') ? line.substr(0, line.size() - 1) : line;
}

}  // namespace

void DeviceLink::write(std::span<const std::uint8_t> data, bool end) {
    goOn();
    if (!messageOpen_) {
        output_.clear();
        readAt_ = 0;
    }
    messageOpen_ = !end;
    for (const std::uint8_t byte : data) {
        if (byte == '\n') {
            runLine();
            continue;
        }
        if (discarding_) continue;
        if (line_.size() == kMaxMessageLine) {
            line_.clear();
            discarding_ = true;
            session_->inputOverrun();
            continue;
        }
        line_.push_back(static_cast<char>(byte));
    }
    if (end && (!line_.empty() || discarding_)) runLine();
}

bool DeviceLink::needsTheBox(std::span<const std::uint8_t> data, bool end) const {
    if (answerComing()) return true;  // the waiting line may go on first
    // A line past the bound is only discarded; leave that to write().
    if (discarding_ || line_.size() + data.size() > kMaxMessageLine) return true;
    std::string line = line_;
    for (const std::uint8_t byte : data) {
        if (byte != '\n') {
            line.push_back(static_cast<char>(byte));
            continue;
        }
        if (session_->needsTheBox(withoutCarriageReturn(line))) return true;
        line.clear();
    }
    return end && !line.empty() && session_->needsTheBox(withoutCarriageReturn(line));
}

void DeviceLink::runLine() {
    if (discarding_) {
        discarding_ = false;
        return;
    }
    std::string line(withoutCarriageReturn(line_));
    line_.clear();
    if (!answerComing()) return carryOut(line);
    // Behind the waiting line, bounded as one line is.
    if (waitingBytes_ + line.size() > kMaxMessageLine) return session_->inputOverrun();
    waitingBytes_ += line.size();
    waitingLines_.push_back(std::move(line));
}

void DeviceLink::carryOut(const std::string &line) {
    const std::string answers = session_->execute(line);
    // Answers past the output bound are dropped; those before stay whole.
    if (output_.size() + answers.size() <= kMaxUnreadOutput) output_ += answers;
}

void DeviceLink::goOn() {
    if (!answerComing()) return;
    const auto answers = session_->goOn();
    if (!answers) return;
    if (output_.size() + answers->size() <= kMaxUnreadOutput) output_ += *answers;
    while (!answerComing() && !waitingLines_.empty()) {
        const std::string line = std::move(waitingLines_.front());
        waitingLines_.pop_front();
        waitingBytes_ -= line.size();
        carryOut(line);
    }
}

std::optional<ReadPiece> DeviceLink::read(std::uint32_t requestSize, std::optional<char> termChar) {
    if (unread() == 0) return std::nullopt;
    std::size_t size = std::min<std::size_t>(requestSize, unread());
    ReadPiece piece;
    if (termChar) {
        const auto at = output_.find(*termChar, readAt_);
        if (at != std::string::npos && at < readAt_ + size) {
            size = at + 1 - readAt_;
            piece.reason |= device::reason::kTermChar;
        }
    }
    piece.data = output_.substr(readAt_, size);
    readAt_ += size;
    if (unread() == 0) {
        piece.reason |= device::reason::kEnd;
        output_.clear();
        readAt_ = 0;
    } else if (size == requestSize) {
        piece.reason |= device::reason::kRequestCount;
    }
    return piece;
}

void DeviceLink::clear() {
    line_.clear();
    waitingLines_.clear();
    waitingBytes_ = 0;
    discarding_ = false;
    messageOpen_ = false;
    output_.clear();
    readAt_ = 0;
    session_->deviceClear();
}

}  // namespace zz::vxi11
