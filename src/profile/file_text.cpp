#include "profile/file_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace zz::profile {

Outcome<std::optional<std::string>> readFileText(const std::string &path,
                                                 std::string_view whatItIs) {
    using Text = Outcome<std::optional<std::string>>;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        if (errno == ENOENT) return std::optional<std::string>{};
        return Text::failure(path + ": cannot be read: " + std::strerror(errno));
    }
    std::string text;
    char buffer[65536];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(file.gcount()));
        if (text.size() > kMaxProfileBytes)
            return Text::failure(path + ":1: the file is larger than 1 MB; " +
                                 std::string(whatItIs));
    }
    if (file.bad()) return Text::failure(path + ": cannot be read: " + std::strerror(errno));
    return std::optional<std::string>{std::move(text)};
}

}  // namespace zz::profile
