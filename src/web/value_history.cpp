#include "web/value_history.h"

#include "box/ohms_command.h"
#include "common/decimal_text.h"
#include "web/json_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace zz::web {

namespace {

std::int64_t millisOf(WallTime at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

// 2026-12-08T10:37:37.123Z, from the calendar of <chrono> (no gmtime:
// the same on every platform and thread).
std::string isoUtc(std::int64_t unixMillis) {
    using namespace std::chrono;
    const sys_time<milliseconds> at{milliseconds(unixMillis)};
    const auto day = floor<days>(at);
    const year_month_day date{day};
    const hh_mm_ss clock{at - day};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    return text;
}

// A field as CSV holds it: quoted when it has a comma, quote or line break;
// a text a spreadsheet would take for a formula gets a leading apostrophe.
std::string csvField(std::string_view text) {
    std::string field;
    if (!text.empty() && std::strchr("=+-@", text.front()) != nullptr) field = "'";
    field += text;
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (const char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace

ValueHistory::ValueHistory(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

bool ValueHistory::add(WallTime at, std::string_view command, std::optional<double> celsius,
                       std::string_view sender) {
    const auto ohms = box::commandOhms(command);
    if (!ohms || command.size() > kMaxCommand) return false;
    Stored stored{millisOf(at),
                  std::int32_t(std::lround(*ohms * 10.0)),
                  celsius ? float(*celsius) : NAN,
                  0,
                  {}};
    std::memcpy(stored.command, command.data(), command.size());
    const std::lock_guard lock(mutex_);
    // A record seen late (another program's, looked at 20 times a second)
    // keeps the order the entries came in: the binary search relies on it.
    if (!ring_.empty()) {
        const Stored &newest = ring_[(oldest_ + ring_.size() - 1) % ring_.size()];
        stored.unixMillis = std::max(stored.unixMillis, newest.unixMillis);
    }
    stored.sender = senderIndex(sender);
    if (ring_.size() < capacity_) {
        ring_.push_back(stored);
    } else {
        release(ring_[oldest_].sender);
        ring_[oldest_] = stored;
        oldest_ = (oldest_ + 1) % capacity_;
    }
    ++lastNumber_;
    return true;
}

std::uint32_t ValueHistory::senderIndex(std::string_view name) {
    const std::string key(name);
    if (const auto found = senderByName_.find(key); found != senderByName_.end()) {
        ++senders_[found->second].uses;
        return found->second;
    }
    std::uint32_t index;
    if (!freeSenders_.empty()) {
        index = freeSenders_.back();
        freeSenders_.pop_back();
    } else {
        index = std::uint32_t(senders_.size());
        senders_.emplace_back();
    }
    senders_[index] = {key, 1};
    senderByName_.emplace(key, index);
    return index;
}

// A name no entry uses any more is forgotten: one client per command for
// hours leaves no trail of names behind the ring.
void ValueHistory::release(std::uint32_t sender) {
    Sender &entry = senders_[sender];
    if (--entry.uses != 0) return;
    senderByName_.erase(entry.name);
    entry.name = std::string();
    freeSenders_.push_back(sender);
}

HistoryEntry ValueHistory::entryAt(std::size_t index) const {
    const Stored &stored = ring_[(oldest_ + index) % ring_.size()];
    HistoryEntry entry;
    entry.number = lastNumber_ - ring_.size() + index + 1;
    entry.unixMillis = stored.unixMillis;
    entry.command = stored.command;
    entry.ohms = stored.tenths / 10.0;
    if (!std::isnan(stored.celsius)) entry.celsius = double(stored.celsius);
    entry.sender = senders_[stored.sender].name;
    return entry;
}

std::vector<HistoryEntry> ValueHistory::entries(std::uint64_t after,
                                                std::optional<WallTime> notBefore) const {
    const std::lock_guard lock(mutex_);
    const std::uint64_t firstNumber = lastNumber_ - ring_.size() + 1;
    std::size_t begin = after < firstNumber ? 0 : std::size_t(after - firstNumber + 1);
    if (notBefore) {
        // Entries are in time order as they were added; the first one at or
        // after the time, by halves, then one back for the value held then.
        const std::int64_t since = millisOf(*notBefore);
        std::size_t low = begin, high = ring_.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (ring_[(oldest_ + middle) % ring_.size()].unixMillis < since)
                low = middle + 1;
            else
                high = middle;
        }
        begin = low > begin ? low - 1 : begin;
    }
    std::vector<HistoryEntry> out;
    out.reserve(ring_.size() > begin ? ring_.size() - begin : 0);
    for (std::size_t i = begin; i < ring_.size(); ++i) out.push_back(entryAt(i));
    return out;
}

std::uint64_t ValueHistory::lastNumber() const {
    const std::lock_guard lock(mutex_);
    return lastNumber_;
}

std::size_t ValueHistory::size() const {
    const std::lock_guard lock(mutex_);
    return ring_.size();
}

std::string historyCsv(const std::vector<HistoryEntry> &entries) {
    std::string csv = "time,command,ohms,celsius,sender\r\n";
    csv.reserve(csv.size() + entries.size() * 64);
    for (const HistoryEntry &entry : entries) {
        csv += isoUtc(entry.unixMillis);
        csv += ',';
        csv += csvField(entry.command);
        csv += ',';
        csv += common::decimalText(entry.ohms, 1, 1);
        csv += ',';
        if (entry.celsius) csv += common::decimalText(*entry.celsius, 3);
        csv += ',';
        csv += csvField(entry.sender);
        csv += "\r\n";
    }
    return csv;
}

std::string historyJson(const std::vector<HistoryEntry> &entries, bool whole) {
    std::string numbers, times, ohms, celsius, by, senders;
    std::unordered_map<std::string, std::size_t> senderColumn;
    for (const HistoryEntry &entry : entries) {
        const char *comma = numbers.empty() ? "" : ",";
        numbers += comma + std::to_string(entry.number);
        times += comma + std::to_string(entry.unixMillis);
        ohms += comma + common::decimalText(entry.ohms, 1);
        celsius += comma + (entry.celsius ? common::decimalText(*entry.celsius, 3) : "null");
        auto [found, added] = senderColumn.emplace(entry.sender, senderColumn.size());
        if (added) senders += (senders.empty() ? "" : ",") + jsonString(entry.sender);
        by += comma + std::to_string(found->second);
    }
    return std::string("{\"type\":\"history\",\"whole\":") + (whole ? "true" : "false") +
           ",\"n\":[" + numbers + "],\"t\":[" + times + "],\"ohms\":[" + ohms + "],\"celsius\":[" +
           celsius + "],\"by\":[" + by + "],\"senders\":[" + senders + "]}";
}

}  // namespace zz::web
