#include "frontpanel/panel_profile.h"

#include "link/port_map.h"
#include "profile/profile_file.h"

namespace zz::frontpanel {

namespace {

// A refusal names the file itself (PanelLogic::setRules shows it).
std::string newsOf(const profile::BoxRules &rules, const std::string &path, const char *read) {
    if (!rules.usable()) return {};
    if (!rules.profile()) return "the profile " + path + " is gone: no limits now";
    return "the profile " + path + " was " + read;
}

}  // namespace

PanelProfile::PanelProfile(std::string configFolder)
    : folder_(configFolder.empty() ? link::programConfigDirectory() : std::move(configFolder)) {}

const profile::BoxRules &PanelProfile::rules() const {
    static const profile::BoxRules none;
    return watch_ ? watch_->rules() : none;
}

std::optional<std::string> PanelProfile::look(int port) {
    const std::string path = profile::profilePath(folder_, profile::portProfileName(port));
    if (!watch_ || path != watch_->path()) {
        // Another port: its own profile, read now. No file is news only
        // when the port before had a profile (or a refused one).
        const bool first = !watch_;
        const bool hadOne = watch_ && (watch_->rules().profile() || !watch_->rules().usable());
        watch_ = std::make_unique<profile::ProfileWatch>(path);
        if (!watch_->rules().profile() && watch_->rules().usable()) {
            if (!hadOne) return std::nullopt;
            return "no profile " + path + ": no limits on this port";
        }
        // The panel's first profile is no news; another port's is.
        return first ? std::string() : newsOf(watch_->rules(), path, "read");
    }
    if (!watch_->poll()) return std::nullopt;
    return newsOf(watch_->rules(), path, "read again");
}

}  // namespace zz::frontpanel
