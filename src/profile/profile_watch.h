#pragma once
// A box's profile kept current: read once, then read again whenever its
// file, or a sensor's table file it names, changes (appears, goes, or gets
// another size or time), as the panel and the server look at the
// last-command record. The owner asks on its own timer; nothing here runs by
// itself.
#include "profile/box_rules.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zz::profile {

class ProfileWatch {
public:
    // A file written less than this long ago may be half written.
    static constexpr std::chrono::milliseconds kSettle{100};

    explicit ProfileWatch(std::string path);

    const std::string &path() const { return path_; }
    const BoxRules &rules() const { return rules_; }

    // True when a file changed since the last look and was read again. A
    // change is read once its writer is done: when the files have been left
    // alone kSettle, or look the same at two looks in a row. An editor that
    // empties a file before it writes it would otherwise hand out, for a
    // moment, a profile without its limits.
    bool poll();

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;
        bool recent = false;  // written within kSettle; not compared
        bool operator==(const Stamp &other) const {
            return exists == other.exists && size == other.size && modified == other.modified;
        }
    };
    using Stamps = std::vector<Stamp>;
    Stamps stamps() const;
    void read();

    std::string path_;
    std::vector<std::string> tables_;  // the table files the profile named
    Stamps stamps_;                    // of the files as last read
    std::optional<Stamps> unsettled_;  // a change seen, its writer maybe not done
    BoxRules rules_;
};

}  // namespace zz::profile
