#include "profile/profile_file.h"

#include "profile/profile_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace zz::profile {

namespace {

// CON, PRN, AUX, NUL, COM0-9 and LPT0-9 name devices on Windows whatever
// follows the first dot: "COM3.toml" is the port itself.
bool windowsDeviceName(std::string_view stem) {
    std::string upper;
    for (const char c : stem) upper += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL") return true;
    return upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
           upper[3] >= '0' && upper[3] <= '9';
}

}  // namespace

std::string deviceProfileName(const std::string &devicePath) {
    std::string name;
    for (const char c : devicePath) {
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (name.empty() && !kept) continue;
        name += kept ? c : '_';
    }
    // ".." and its kind must not climb out of the folder; "\\.\COM3" is COM3.
    name.erase(0, name.find_first_not_of("._"));
    if (name.empty()) name = "device";
    const std::size_t stem = std::min(name.find('.'), name.size());
    if (windowsDeviceName(std::string_view(name).substr(0, stem))) name.insert(stem, "-box");
    return name + ".toml";
}

Outcome<std::optional<Profile>> loadProfile(const std::string &path) {
    using Loaded = Outcome<std::optional<Profile>>;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return std::optional<Profile>{};
        return Loaded::failure(path + ": cannot be read: " + std::strerror(errno));
    }
    std::string text;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxProfileBytes)
            return Loaded::failure(path +
                                   ":1: the file is larger than 1 MB; a profile is a few lines");
    }
    if (file.bad()) return Loaded::failure(path + ": cannot be read: " + std::strerror(errno));
    auto profile = readProfile(text, path);
    if (!profile) return Loaded::failure(profile.error());
    return std::optional<Profile>{std::move(profile.value())};
}

}  // namespace zz::profile
