#pragma once
// A box's profile kept current: read once, then read again whenever its
// file changes (appears, goes, or gets another size or time), as the panel
// and the server look at the last-command record. The owner asks on its own
// timer; nothing here runs by itself.
#include "profile/box_rules.h"

#include <cstdint>
#include <string>

namespace zz::profile {

class ProfileWatch {
public:
    explicit ProfileWatch(std::string path);

    const std::string &path() const { return path_; }
    const BoxRules &rules() const { return rules_; }

    // True when the file changed since the last look and was read again.
    bool poll();

private:
    struct Stamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modified = 0;
        bool operator==(const Stamp &) const = default;
    };
    Stamp stamp() const;

    std::string path_;
    Stamp stamp_;
    BoxRules rules_;
};

}  // namespace zz::profile
