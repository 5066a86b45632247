// Profile file names on Windows: the port as Windows names it, with "-box",
// since "COM3.toml" would name the serial device COM3 itself.
#include "profile/profile_file.h"

namespace zz::profile {

std::string portProfileName(int port) {
    return "COM" + std::to_string(port) + "-box.toml";
}

std::string profilePath(const std::string &configFolder, const std::string &fileName) {
    return configFolder + "\\boxes\\" + fileName;
}

}  // namespace zz::profile
