#pragma once
// Where a box's profile lives and reading it from there. One file per port
// in the program's configuration folder: boxes/com3.toml (Windows:
// boxes\COM3-box.toml, as "COM3.toml" names the device); a port named by --device uses its path
// made into a file name ("/dev/serial/by-id/usb-X" → boxes/dev_serial_by-id_usb-X.toml), so a
// stable name keeps its profile across replugging.

#include "common/status.h"
#include "profile/file_text.h"
#include "profile/profile.h"

#include <optional>
#include <string>
#include <vector>

namespace zz::profile {

// The file name of port n's profile ("com3.toml"; Windows "COM3-box.toml").
std::string portProfileName(int port);

// The file name of a device path's profile: every character other than
// letters, digits, '.', '-' and '_' becomes '_', leading ones dropped; a
// name Windows keeps for a device ("COM3", "nul.x") gets "-box" after it.
std::string deviceProfileName(const std::string &devicePath);

// `configFolder`/boxes/`fileName`, with the platform's separator.
std::string profilePath(const std::string &configFolder, const std::string &fileName);

// `path` as a file beside `file` names it: an absolute path as it is, a
// relative one from `file`'s folder ("/home/u/.config/6175ZIZ/boxes/com3.toml"
// and "ntc1.csv" give ".../boxes/ntc1.csv").
std::string besideFile(const std::string &file, const std::string &path);

// No file: no profile, nothing changes. A file that cannot be read, is over
// 1 MB, is not UTF-8 or holds a wrong value, or names a sensor's table that
// cannot be read or holds a wrong row: the refusal with file and line.
// `tablesNamed`, when given, receives the path of every table file the
// profile names, read or not, so that a watch can look at those too.
Outcome<std::optional<Profile>> loadProfile(const std::string &path,
                                            std::vector<std::string> *tablesNamed = nullptr);

}  // namespace zz::profile
