#pragma once
// The last command that reached each device, kept where every program of ours
// can see it: the panel follows values that a script or the network server
// set, and shows who set them.
//
// One small file per device, named by the device's identity (its major and
// minor numbers), so that two map entries or a link to the same device share
// one record. The files live in a private directory, $XDG_RUNTIME_DIR/6175ZIZ
// (or <tmp>/6175ZIZ-<uid> without it), and are replaced atomically, so a
// reader sees the old record or the new one, never a mixture.
//
// Windows: the directory is %LOCALAPPDATA%\6175ZIZ (private to the user by
// its place in the profile), and a device is known by its port name: the
// record of "\\.\COM3" is "device-COM3".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zz::link {

// A record is four short lines; anything longer is not one of ours.
inline constexpr std::size_t kMaxRecordBytes = 512;

struct CommandRecord {
    std::string command;          // as sent, without the carriage return: "01234.5"
    std::int64_t unixMillis = 0;  // when it went out whole
    std::string program;          // the sender: "6175ZIZ", "6175ZIZ-ctl", ...
    long pid = 0;

    bool operator==(const CommandRecord &) const = default;
};

// The directory of the records; created (mode 0700) when missing. Empty when
// it cannot be made or is not ours alone (a link, another owner, open to
// others): nothing is then read or written.
std::string commandRecordDirectory();

// The record file of the device a path leads to (links followed); empty when
// the path leads to no character device.
std::string commandRecordPath(const std::string &devicePath);

// Replaces the device's record. False when it could not be written; the
// command has gone out all the same, so callers carry on.
bool writeCommandRecord(const std::string &devicePath, const CommandRecord &record);

// The device's record, or nothing when there is none or it cannot be read as
// one (too long, a field missing or malformed, not a regular file).
std::optional<CommandRecord> readCommandRecord(const std::string &devicePath);

// The record as stored, and back. Kept apart so that the reading can be
// tested and fuzzed without files.
std::string recordText(const CommandRecord &record);
std::optional<CommandRecord> parseRecordText(std::string_view text);

// This process's id, as the record states it.
long currentProcessId();

// The name written as the sender: the program's own name unless set.
const std::string &senderName();
void setSenderName(std::string name);

}  // namespace zz::link
