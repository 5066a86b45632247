#pragma once
// Careful reads of a sysfs tree that may be hostile (a test's fake tree, a
// device going away while it is read): every read is bounded, every link is
// resolved by the kernel (a loop is an error, not a hang), and a file that
// is not a regular one is never read, so a FIFO cannot block the scan.

#include <optional>
#include <string>
#include <vector>

namespace zz::link::sysfs {

// The text of the attribute file (attributeText), or nothing when it cannot
// be read.
std::optional<std::string> readAttribute(const std::string &path);

// The bytes of a small file read whole up to kMaxAttributeBytes.
std::optional<std::string> readBounded(const std::string &path);

// The path with every link resolved, or nothing (missing, a loop).
std::optional<std::string> realPath(const std::string &path);

// The last part of a path.
std::string baseName(const std::string &path);
// The path without its last part ("/" for "/x").
std::string parentOf(const std::string &path);

// The names in a directory, without "." and "..", at most `limit` of them.
std::vector<std::string> directoryNames(const std::string &path, std::size_t limit);

// The subsystem a device folder belongs to ("usb-serial", "pnp"), or empty.
std::string subsystemOf(const std::string &deviceFolder);

}  // namespace zz::link::sysfs
