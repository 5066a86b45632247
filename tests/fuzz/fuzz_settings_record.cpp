// Any file contents through the settings record: the port depends on the
// first two bytes alone, and two bytes always hold a port of -9..99.

#include "common/settings_record.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto port = zz::common::portFromSettingsBytes(bytes);

    // A short file reads as if padded with NULs.
    std::string record(bytes.substr(0, 2));
    record.resize(2, '\0');
    FUZZ_CHECK(zz::common::portFromSettingsBytes(record) == port);

    // Two characters hold at most a signed digit or two digits (an exponent
    // or a "&H" number needs three): never out of range.
    FUZZ_CHECK(port.has_value() && *port >= -9 && *port <= 99);
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (digit(record[0]) && digit(record[1]))
        FUZZ_CHECK(*port == (record[0] - '0') * 10 + (record[1] - '0'));
    return 0;
}
