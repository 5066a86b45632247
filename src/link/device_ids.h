#pragma once
// The USB ids in a Windows device's hardware or instance id:
// "USB\VID_0403&PID_6001\A6008ISP", "FTDIBUS\VID_0403+PID_6001+A6008ISPA\0000".

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zz::link {

struct DeviceIds {
    std::optional<std::uint16_t> vendorId, productId;
    std::string serial;  // empty when the id holds none (or one Windows made up)
};

DeviceIds readDeviceIds(std::string_view id);

// The number of "COM3", or nothing unless it is COM1 to COM255.
std::optional<int> comPortNumber(std::string_view name);

}  // namespace zz::link
