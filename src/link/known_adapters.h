#pragma once
// Names of common USB serial adapters, for those whose firmware gives no
// product string (many CH340s): the name people know from their drivers.

#include <cstdint>
#include <string_view>

namespace zz::link {

// The adapter's name, or empty when the ids are not known.
std::string_view knownAdapterName(std::uint16_t vendor, std::uint16_t product);

}  // namespace zz::link
