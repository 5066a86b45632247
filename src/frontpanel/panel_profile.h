#pragma once
// The profile of the panel's port, kept current: read when the panel starts
// or its port changes, read again when its file changes. The panel asks on
// the timer where it looks at the last-command record.

#include "profile/profile_watch.h"

#include <memory>
#include <optional>
#include <string>

namespace zz::frontpanel {

class PanelProfile {
public:
    // `configFolder` holds boxes/; empty: the program's configuration folder.
    explicit PanelProfile(std::string configFolder = {});

    // Looks at port `port`'s profile. Set when it was read (again) since the
    // last look: the caption's news ("the profile …/com3.toml was read
    // again"); empty for the first one read and for a refusal (the rules say
    // why).
    std::optional<std::string> look(int port);
    // No profile (nothing looked at yet, or no file): everything as without one.
    const profile::BoxRules &rules() const;

private:
    std::string folder_;
    std::unique_ptr<profile::ProfileWatch> watch_;
};

}  // namespace zz::frontpanel
