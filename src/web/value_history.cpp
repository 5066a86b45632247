#include "web/value_history.h"

#include "box/ohms_command.h"
#include "web/json_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace zz::web {

namespace {

std::int64_t millisOf(WallTime at) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(at.time_since_epoch()).count();
}

// The writers below are plain appends: an hour of a ramp is 216000 lines.
void appendInteger(std::string &out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, end);
}

void appendTwo(std::string &out, long long value) {
    out += char('0' + value / 10);
    out += char('0' + value % 10);
}

// 1234.5 from 12345 tenths, always one place.
void appendTenths(std::string &out, std::int32_t tenths) {
    appendInteger(out, tenths / 10);
    out += '.';
    out += char('0' + tenths % 10);
}

// At most three places, trailing zeros dropped: 100, -50.125, 21.5.
void appendCelsius(std::string &out, float celsius) {
    long long milli = std::llround(double(celsius) * 1000.0);
    if (milli < 0) {
        out += '-';
        milli = -milli;
    }
    appendInteger(out, milli / 1000);
    const int fraction = int(milli % 1000);
    if (fraction == 0) return;
    char places[3] = {char('0' + fraction / 100), char('0' + fraction / 10 % 10),
                      char('0' + fraction % 10)};
    std::size_t length = 3;
    while (places[length - 1] == '0') --length;
    out += '.';
    out.append(places, length);
}

// 2026-12-08T10:37:37.123Z; the date from the calendar of <chrono> (no
// gmtime: the same on every platform and thread), worked out once a day.
class IsoUtc {
public:
    void append(std::string &out, std::int64_t unixMillis) {
        constexpr std::int64_t kDay = 86400000;
        const std::int64_t day = unixMillis / kDay - (unixMillis % kDay < 0 ? 1 : 0);
        if (day != day_) {
            day_ = day;
            const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days(day)}};
            std::snprintf(date_, sizeof date_, "%04d-%02u-%02uT", int(date.year()),
                          unsigned(date.month()), unsigned(date.day()));
        }
        out += date_;
        const std::int64_t inDay = unixMillis - day * kDay;
        appendTwo(out, inDay / 3600000);
        out += ':';
        appendTwo(out, inDay / 60000 % 60);
        out += ':';
        appendTwo(out, inDay / 1000 % 60);
        out += '.';
        out += char('0' + inDay % 1000 / 100);
        appendTwo(out, inDay % 100);
        out += 'Z';
    }

private:
    std::int64_t day_ = std::numeric_limits<std::int64_t>::min();
    char date_[24] = {};
};

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

HistoryEntry HistorySlice::operator[](std::size_t index) const {
    const Row &row = rows[index];
    HistoryEntry entry;
    entry.number = firstNumber + index;
    entry.unixMillis = row.unixMillis;
    entry.command = row.command;
    entry.ohms = row.tenths / 10.0;
    if (!std::isnan(row.celsius)) entry.celsius = double(row.celsius);
    entry.sender = senders[row.sender];
    return entry;
}

std::vector<HistoryEntry> HistorySlice::entries() const {
    std::vector<HistoryEntry> out;
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) out.push_back((*this)[i]);
    return out;
}

ValueHistory::ValueHistory(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

bool ValueHistory::add(WallTime at, std::string_view command, std::optional<double> celsius,
                       std::string_view sender) {
    const auto ohms = box::commandOhms(command);
    if (!ohms || command.size() > kMaxHistoryCommand) return false;
    Row stored{millisOf(at),
               std::int32_t(std::lround(*ohms * 10.0)),
               celsius ? float(*celsius) : NAN,
               0,
               {}};
    std::memcpy(stored.command, command.data(), command.size());
    const std::lock_guard lock(mutex_);
    // A record seen late (another program's, looked at 20 times a second)
    // keeps the order the entries came in: the binary search relies on it.
    if (!ring_.empty()) {
        const Row &newest = rowAt(ring_.size() - 1);
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

const HistorySlice::Row &ValueHistory::rowAt(std::size_t index) const {
    return ring_[(oldest_ + index) % ring_.size()];
}

HistorySlice ValueHistory::slice(std::uint64_t after, std::optional<WallTime> notBefore) const {
    HistorySlice out;
    const std::lock_guard lock(mutex_);
    const std::uint64_t firstNumber = lastNumber_ - ring_.size() + 1;
    std::size_t begin = after < firstNumber ? 0 : std::size_t(after - firstNumber + 1);
    begin = std::min(begin, ring_.size());
    if (notBefore) {
        // Entries are in time order (add keeps them so); the first one at or
        // after the time, by halves, then one back for the value held then.
        const std::int64_t since = millisOf(*notBefore);
        std::size_t low = begin, high = ring_.size();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (rowAt(middle).unixMillis < since)
                low = middle + 1;
            else
                high = middle;
        }
        begin = low > begin ? low - 1 : begin;
    }
    out.firstNumber = firstNumber + begin;
    out.rows.reserve(ring_.size() - begin);
    for (std::size_t i = begin; i < ring_.size(); ++i) out.rows.push_back(rowAt(i));
    // Only the names these rows use, numbered afresh.
    std::unordered_map<std::uint32_t, std::uint32_t> local;
    std::uint32_t lastFrom = UINT32_MAX, lastTo = 0;  // runs of one sender are the rule
    for (Row &row : out.rows) {
        if (row.sender != lastFrom) {
            lastFrom = row.sender;
            const auto [found, added] =
                local.emplace(row.sender, std::uint32_t(out.senders.size()));
            if (added) out.senders.push_back(senders_[row.sender].name);
            lastTo = found->second;
        }
        row.sender = lastTo;
    }
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

std::string historyCsv(const HistorySlice &slice) {
    std::vector<std::string> senders;
    for (const std::string &name : slice.senders) senders.push_back(csvField(name));
    std::string csv = "time,command,ohms,celsius,sender\r\n";
    csv.reserve(csv.size() + slice.rows.size() * 72);
    IsoUtc clock;
    for (const HistorySlice::Row &row : slice.rows) {
        clock.append(csv, row.unixMillis);
        csv += ',';
        csv += row.command;  // a value of the box: nothing to quote
        csv += ',';
        appendTenths(csv, row.tenths);
        csv += ',';
        if (!std::isnan(row.celsius)) appendCelsius(csv, row.celsius);
        csv += ',';
        csv += senders[row.sender];
        csv += "\r\n";
    }
    return csv;
}

std::string historyJson(const HistorySlice &slice, bool whole) {
    const auto &rows = slice.rows;
    std::string json = std::string("{\"type\":\"history\",\"whole\":") + (whole ? "true" : "false");
    json.reserve(json.size() + rows.size() * 40 + 128);
    const auto column = [&](const char *name, auto write) {
        json += ",\"";
        json += name;
        json += "\":[";
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (i) json += ',';
            write(i, rows[i]);
        }
        json += ']';
    };
    column("n", [&](std::size_t i, const auto &) {
        appendInteger(json, (long long)(slice.firstNumber + i));
    });
    column("t", [&](std::size_t, const auto &row) { appendInteger(json, row.unixMillis); });
    column("ohms", [&](std::size_t, const auto &row) { appendTenths(json, row.tenths); });
    column("celsius", [&](std::size_t, const auto &row) {
        if (std::isnan(row.celsius))
            json += "null";
        else
            appendCelsius(json, row.celsius);
    });
    column("by", [&](std::size_t, const auto &row) { appendInteger(json, row.sender); });
    json += ",\"senders\":[";
    for (std::size_t i = 0; i < slice.senders.size(); ++i) {
        if (i) json += ',';
        json += jsonString(slice.senders[i]);
    }
    return json + "]}";
}

}  // namespace zz::web
