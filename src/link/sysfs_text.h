#pragma once
// What sysfs attribute files hold, read as untrusted text: a USB adapter's
// firmware writes its manufacturer, product and serial strings, and nothing
// stops them from being long, binary or not UTF-8 at all.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zz::link::sysfs {

// How much of an attribute file is read; real ones are a line or two.
inline constexpr std::size_t kMaxAttributeBytes = 4096;
// How many characters of it are shown; USB strings hold at most 126.
inline constexpr std::size_t kMaxTextCharacters = 128;

// The text of an attribute as it may be shown: the trailing newline (and any
// spaces or NULs) dropped, each byte that is not part of valid UTF-8 and each
// control character replaced by U+FFFD, cut to kMaxTextCharacters.
std::string attributeText(std::string_view raw);

// A USB id as idVendor and idProduct hold it ("0403"): one to four hex digits.
std::optional<std::uint16_t> hexId(std::string_view text);

// A small number as sysfs writes it: decimal ("4", "02") or hex with "0x"
// ("0x3F8"), never negative.
std::optional<unsigned long> number(std::string_view text);

// "0403:6001", the way lsusb and udev write a vendor and product.
std::string usbIdText(std::uint16_t vendor, std::uint16_t product);

}  // namespace zz::link::sysfs
