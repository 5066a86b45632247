#include "common/settings_record.h"

#include "common/leading_number.h"
#include "common/number_text.h"

#include <algorithm>

namespace zz::common {

std::optional<std::int16_t> portFromSettingsBytes(std::string_view fileBytes) {
    char record[kSettingsRecordLength] = {0, 0};
    std::copy_n(fileBytes.data(), std::min(fileBytes.size(), kSettingsRecordLength), record);
    return toInt16(leadingNumber(std::string_view(record, kSettingsRecordLength)));
}

}  // namespace zz::common
