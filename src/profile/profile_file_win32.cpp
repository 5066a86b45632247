// Profile file names on Windows: as Windows names the port.
#include "profile/profile_file.h"

namespace zz::profile {

std::string portProfileName(int port) {
    return "COM" + std::to_string(port) + ".toml";
}

std::string profilePath(const std::string &configFolder, const std::string &fileName) {
    return configFolder + "\\boxes\\" + fileName;
}

}  // namespace zz::profile
