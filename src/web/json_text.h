#pragma once
// Text as a JSON string literal, quotes included: what the server pushes to
// the pages is built from these.

#include <string>
#include <string_view>

namespace zz::web {

std::string jsonString(std::string_view text);

}  // namespace zz::web
