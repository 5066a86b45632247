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

// "C:\x.csv", "C:/x.csv", "\\server\share\x.csv" and "\x.csv" stand on their
// own; "ntc\x.csv" and "ntc/x.csv" start from the profile's folder.
std::string besideFile(const std::string &file, const std::string &path) {
    const bool rooted = !path.empty() && (path.front() == '\\' || path.front() == '/');
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    if (rooted || drive) return path;
    const std::size_t slash = file.find_last_of("\\/");
    return slash == std::string::npos ? path : file.substr(0, slash + 1) + path;
}

}  // namespace zz::profile
