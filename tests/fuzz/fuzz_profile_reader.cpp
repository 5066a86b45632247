// Any file contents through the profile reader: it reads a profile or gives
// a refusal that names the file and a line; what it reads is always a
// profile the box can honour.

#include "fuzz_check.h"
#include "profile/profile_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const auto profile = zz::profile::readProfile(text, "com3.toml");
    if (!profile) {
        FUZZ_CHECK(profile.error().rfind("com3.toml:", 0) == 0);
        return 0;
    }
    const auto &limits = profile.value().limits;
    FUZZ_CHECK(limits.minOhms >= 0 && limits.minOhms <= limits.maxOhms &&
               limits.maxOhms <= 99999.9);
    FUZZ_CHECK(!limits.maxChangeOhms || *limits.maxChangeOhms > 0);
    FUZZ_CHECK(zz::profile::firstNonUtf8Line(text) == 0);
    return 0;
}
