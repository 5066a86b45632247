#include "program/stored_port.h"

#include "common/number_text.h"
#include "common/settings_record.h"

#include <filesystem>
#include <string_view>

namespace zz::program {

std::string settingsPath() {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::current_path(ec);
    // A current directory that cannot be named (removed) must not turn into "/".
    return dir.empty() ? kSettingsFileName : (dir / kSettingsFileName).string();
}

Status settingsFileError(const std::string &reason) {
    return Status::failure(kSettingsFileError, settingsPath() + ": " + reason);
}

StoredPort storedPortFromRecord(const std::string &record) {
    const auto port = common::portFromSettingsBytes(record);
    if (!port) return {Status::failure(common::kOverflowError, common::kOverflowText), 0};
    return {Status(), *port};
}

}  // namespace zz::program
