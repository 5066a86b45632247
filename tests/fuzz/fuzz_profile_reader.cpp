// Any file contents through the profile reader: it reads a profile or gives
// a refusal that names the file and a line; what it reads is always a
// profile the box can honour. A sensor's table file named in it reads as a
// short table, or, named "*.bad", as one the reader refuses.

#include "fuzz_check.h"
#include "profile/profile_reader.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const zz::profile::FileReader readTable = [](const std::string &path) {
        if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".bad") == 0)
            return zz::Outcome<std::string>("0,1\n0,2\n");
        return zz::Outcome<std::string>("t,R\n0,32730\n25,10000\n");
    };
    const auto profile = zz::profile::readProfile(text, "boxes/com3.toml", readTable);
    if (!profile) {
        FUZZ_CHECK(profile.error().rfind("boxes/com3.toml:", 0) == 0);
        return 0;
    }
    const auto &limits = profile.value().limits;
    FUZZ_CHECK(limits.minOhms >= 0 && limits.minOhms <= limits.maxOhms &&
               limits.maxOhms <= 99999.9);
    FUZZ_CHECK(!limits.maxChangeOhms || *limits.maxChangeOhms > 0);
    FUZZ_CHECK(zz::profile::firstNonUtf8Line(text) == 0);
    for (const auto &sensor : profile.value().sensors)
        if (const auto *table = std::get_if<zz::box::TableSensor>(&sensor))
            FUZZ_CHECK(!zz::box::tableFault(table->kind, table->rows));
    return 0;
}
