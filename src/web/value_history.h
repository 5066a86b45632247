#pragma once
// Every value the box was set to since the server started, whoever set it:
// a ring of fixed capacity in memory, the oldest dropped first. Written on
// the link's thread, read by the pages and the CSV download on the network
// thread, hence the lock; readers copy the compact entries out under it and
// format them after.
//
// An entry takes 32 bytes (the sender's name is kept once, counted by the
// entries that name it), so the default capacity of 262144 entries holds
// 8 MiB: 72 minutes of a ramp at 60 commands a second, days of a bench.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace zz::web {

using WallTime = std::chrono::system_clock::time_point;

struct HistoryEntry {
    std::uint64_t number = 0;  // counts up from 1, never reused
    std::int64_t unixMillis = 0;
    std::string command;  // as sent: "01234.5"
    double ohms = 0.0;
    std::optional<double> celsius;  // when a sensor's temperature set it
    std::string sender;

    bool operator==(const HistoryEntry &) const = default;
};

// Longer command texts are not ours ("99999.9" is the longest).
inline constexpr std::size_t kMaxHistoryCommand = 11;

// Entries as the ring holds them, copied out: consecutive numbers from
// `firstNumber`, senders by index into `senders`.
struct HistorySlice {
    struct Row {
        std::int64_t unixMillis;
        std::int32_t tenths;   // ohms × 10
        float celsius;         // NaN: none
        std::uint32_t sender;  // index into the sender table
        char command[kMaxHistoryCommand + 1];
    };
    std::uint64_t firstNumber = 1;
    std::vector<Row> rows;
    std::vector<std::string> senders;

    std::size_t size() const { return rows.size(); }
    HistoryEntry operator[](std::size_t index) const;
    std::vector<HistoryEntry> entries() const;
};

class ValueHistory {
public:
    static constexpr std::size_t kDefaultCapacity = std::size_t(1) << 18;

    explicit ValueHistory(std::size_t capacity = kDefaultCapacity);

    // False (nothing kept) for a command that is not a value of the box.
    bool add(WallTime at, std::string_view command, std::optional<double> celsius,
             std::string_view sender);

    // The entries numbered above `after`, oldest first; with `notBefore`,
    // only those set since then, and the one before them (what the box held
    // when that time began).
    HistorySlice slice(std::uint64_t after = 0, std::optional<WallTime> notBefore = {}) const;
    std::vector<HistoryEntry> entries(std::uint64_t after = 0,
                                      std::optional<WallTime> notBefore = {}) const {
        return slice(after, notBefore).entries();
    }
    std::uint64_t lastNumber() const;
    std::size_t size() const;
    std::size_t capacity() const { return capacity_; }

private:
    using Row = HistorySlice::Row;
    struct Sender {
        std::string name;
        std::size_t uses = 0;
    };
    std::uint32_t senderIndex(std::string_view name);
    void release(std::uint32_t sender);
    const Row &rowAt(std::size_t index) const;  // 0: the oldest

    mutable std::mutex mutex_;
    std::size_t capacity_;
    std::vector<Row> ring_;
    std::size_t oldest_ = 0;  // where the oldest is in ring_ once it is full
    std::uint64_t lastNumber_ = 0;
    std::vector<Sender> senders_;
    std::vector<std::uint32_t> freeSenders_;
    std::unordered_map<std::string, std::uint32_t> senderByName_;
};

// The entries as CSV: a header, then time (ISO 8601 UTC, milliseconds),
// command, ohms, celsius (empty when none), sender; quoted where needed.
std::string historyCsv(const HistorySlice &slice);

// The entries as the message pushed to the pages: columns of numbers and a
// table of senders, so an hour of a ramp stays a few megabytes.
std::string historyJson(const HistorySlice &slice, bool whole);

}  // namespace zz::web
