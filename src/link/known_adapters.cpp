#include "link/known_adapters.h"

#include <array>

namespace zz::link {
namespace {

struct KnownAdapter {
    std::uint16_t vendor, product;
    std::string_view name;
};

constexpr std::array kAdapters{
    KnownAdapter{0x0403, 0x6001, "FT232R USB UART"},
    KnownAdapter{0x0403, 0x6010, "FT2232 Dual USB UART"},
    KnownAdapter{0x0403, 0x6015, "FT231X USB UART"},
    KnownAdapter{0x1a86, 0x7523, "USB-SERIAL CH340"},
    KnownAdapter{0x1a86, 0x5523, "USB-SERIAL CH341"},
    KnownAdapter{0x067b, 0x2303, "PL2303 Serial Port"},
    KnownAdapter{0x10c4, 0xea60, "CP210x USB to UART Bridge"},
};

}  // namespace

std::string_view knownAdapterName(std::uint16_t vendor, std::uint16_t product) {
    for (const auto &adapter : kAdapters)
        if (adapter.vendor == vendor && adapter.product == product) return adapter.name;
    return {};
}

}  // namespace zz::link
