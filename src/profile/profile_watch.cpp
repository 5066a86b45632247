#include "profile/profile_watch.h"

#include "profile/profile_file.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace zz::profile {

namespace fs = std::filesystem;

ProfileWatch::ProfileWatch(std::string path) : path_(std::move(path)) {
    read();
}

ProfileWatch::Stamps ProfileWatch::stamps() const {
    Stamps all;
    const auto now = fs::file_time_type::clock::now();
    const auto stampOf = [&](const std::string &path) {
        std::error_code error;
        Stamp stamp;
        const fs::path file(std::u8string(path.begin(), path.end()));
        if (!fs::exists(file, error)) return stamp;
        stamp.exists = true;
        stamp.size = fs::file_size(file, error);
        const auto written = fs::last_write_time(file, error);
        stamp.modified = written.time_since_epoch().count();
        stamp.recent = !error && written > now - kSettle && written <= now + kSettle;
        return stamp;
    };
    all.push_back(stampOf(path_));
    for (const std::string &table : tables_) all.push_back(stampOf(table));
    return all;
}

void ProfileWatch::read() {
    const Stamp before = stamps().front();
    std::vector<std::string> tables;
    rules_ = BoxRules::fromLoaded(loadProfile(path_, &tables));
    tables_ = std::move(tables);
    stamps_ = stamps();
    // Written again while it was read: the next look reads it once more.
    if (!(stamps_.front() == before)) stamps_.front() = before;
    unsettled_.reset();
}

bool ProfileWatch::poll() {
    const Stamps now = stamps();
    if (now == stamps_) {
        unsettled_.reset();
        return false;
    }
    const bool recent =
        std::any_of(now.begin(), now.end(), [](const Stamp &s) { return s.recent; });
    if (recent && unsettled_ != now) {
        unsettled_ = now;
        return false;
    }
    read();
    return true;
}

}  // namespace zz::profile
