#include "profile/profile_watch.h"

#include "profile/profile_file.h"

#include <filesystem>
#include <system_error>

namespace zz::profile {

ProfileWatch::ProfileWatch(std::string path) : path_(std::move(path)) {
    stamp_ = stamp();
    rules_ = BoxRules::fromLoaded(loadProfile(path_));
}

ProfileWatch::Stamp ProfileWatch::stamp() const {
    namespace fs = std::filesystem;
    std::error_code error;
    Stamp now;
    const fs::path file(std::u8string(path_.begin(), path_.end()));
    if (!fs::exists(file, error)) return now;
    now.exists = true;
    now.size = fs::file_size(file, error);
    now.modified = fs::last_write_time(file, error).time_since_epoch().count();
    return now;
}

bool ProfileWatch::poll() {
    const Stamp now = stamp();
    if (now == stamp_) return false;
    stamp_ = now;
    rules_ = BoxRules::fromLoaded(loadProfile(path_));
    return true;
}

}  // namespace zz::profile
