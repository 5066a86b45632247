#pragma once
// The page's files, built into the program from src/web/page/ (nothing is
// read from disk when serving).

#include <optional>
#include <string_view>

namespace zz::web {

struct EmbeddedFile {
    std::string_view body;
    std::string_view contentType;
};

// "/" is the panel itself; nothing for a path that is not one of the files.
std::optional<EmbeddedFile> embeddedFile(std::string_view path);

}  // namespace zz::web
