#pragma once
// Every sensor with a standard curve that the box can stand in for, one row
// each. Command lines, SCPI and help texts take the names from here; a new
// sensor type is a new row and the file of its curve.

#include <span>
#include <string>
#include <string_view>

namespace zz::box {

struct SensorType {
    std::string_view name;      // "pt100": as typed (any case)
    std::string_view label;     // "Pt100": as shown
    std::string_view standard;  // where the curve comes from
    double (*resistance)(double celsius);
    double minC = 0.0;
    double maxC = 0.0;
};

std::span<const SensorType> sensorTypes();

// The row named `name` in any case; nothing for an unknown name.
const SensorType *findSensorType(std::string_view name);

// The names joined for texts: sensorTypeList(", ", " or ") gives
// "pt100, pt500, pt1000 or ni1000".
std::string sensorTypeList(std::string_view separator, std::string_view lastSeparator);

}  // namespace zz::box
