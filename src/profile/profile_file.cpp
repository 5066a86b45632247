#include "profile/profile_file.h"

#include "profile/file_text.h"
#include "profile/profile_reader.h"

#include <algorithm>

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

Outcome<std::optional<Profile>> loadProfile(const std::string &path,
                                            std::vector<std::string> *tablesNamed) {
    using Loaded = Outcome<std::optional<Profile>>;
    const auto text = readFileText(path, "a profile is a few lines");
    if (!text) return Loaded::failure(text.error());
    if (!text.value()) return std::optional<Profile>{};
    // A sensor's table is read when the profile names it; a missing one is
    // as wrong as a broken one.
    const FileReader readTable =
        [tablesNamed](const std::string &tablePath) -> Outcome<std::string> {
        if (tablesNamed) tablesNamed->push_back(tablePath);
        auto table = readFileText(tablePath, "a sensor's table is a few hundred lines");
        if (!table) return table.status();
        if (!table.value()) return Outcome<std::string>::failure(tablePath + ": no such file");
        return std::move(*table.value());
    };
    auto profile = readProfile(*text.value(), path, readTable);
    if (!profile) return Loaded::failure(profile.error());
    return std::optional<Profile>{std::move(profile.value())};
}

}  // namespace zz::profile
