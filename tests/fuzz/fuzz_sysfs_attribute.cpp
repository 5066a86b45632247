// Any bytes as a sysfs attribute file, read through the scan's reader: the
// text is valid UTF-8 without control characters and within its bounds, the
// file read agrees with the bytes, and the id readers never go astray.

#include "fuzz_check.h"
#include "link/device_ids.h"
#include "link/sysfs_posix.h"
#include "link/sysfs_text.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace {

// Checks UTF-8 the long way round: a decoder of its own.
bool validUtf8WithoutControls(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) return false;
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size()) return false;
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n; ++k) {
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        const char32_t min[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < min[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        if (cp >= 0x80 && cp < 0xA0) return false;
        i += n;
    }
    return true;
}

std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace zz::link;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string text = sysfs::attributeText(bytes);
    FUZZ_CHECK(validUtf8WithoutControls(text));
    FUZZ_CHECK(characters(text) <= sysfs::kMaxTextCharacters);
    // Clean text comes back as it went in.
    FUZZ_CHECK(sysfs::attributeText(text) == text);

    // The same bytes as a file: the bounded read gives the same text.
    static const std::string path = "/tmp/zz-fuzz-attribute-" + std::to_string(::getpid());
    static const bool removedAtExit = (std::atexit([] { ::unlink(path.c_str()); }), true);
    (void)removedAtExit;
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<long>(size));
    const auto read = sysfs::readAttribute(path);
    FUZZ_CHECK(read && *read == text);

    if (const auto id = sysfs::hexId(bytes)) {
        FUZZ_CHECK(size >= 1 && size <= 5);
        FUZZ_CHECK(sysfs::hexId(sysfs::usbIdText(*id, 0).substr(0, 4)) == id);
    }
    (void)sysfs::number(bytes);
    const DeviceIds ids = readDeviceIds(bytes);
    FUZZ_CHECK(validUtf8WithoutControls(ids.serial));
    FUZZ_CHECK(ids.serial.empty() || (ids.vendorId && ids.productId));
    if (const auto port = comPortNumber(bytes)) FUZZ_CHECK(*port >= 1 && *port <= 255);
    return 0;
}
