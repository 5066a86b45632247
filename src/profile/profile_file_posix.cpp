// Profile file names on POSIX systems: lower case, as the port map's entries.
#include "profile/profile_file.h"

namespace zz::profile {

std::string portProfileName(int port) {
    return "com" + std::to_string(port) + ".toml";
}

std::string profilePath(const std::string &configFolder, const std::string &fileName) {
    return configFolder + "/boxes/" + fileName;
}

}  // namespace zz::profile
