// Profile file names on POSIX systems: lower case, as the port map's entries.
#include "profile/profile_file.h"

namespace zz::profile {

std::string portProfileName(int port) {
    return "com" + std::to_string(port) + ".toml";
}

std::string profilePath(const std::string &configFolder, const std::string &fileName) {
    return configFolder + "/boxes/" + fileName;
}

std::string besideFile(const std::string &file, const std::string &path) {
    if (!path.empty() && path.front() == '/') return path;
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? path : file.substr(0, slash + 1) + path;
}

}  // namespace zz::profile
