#include "box/sensor_catalogue.h"

#include "box/nickel_rtd.h"
#include "box/platinum_rtd.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zz::box {

namespace {

constexpr std::array kTypes{
    SensorType{"pt100", "Pt100", "IEC 60751",
               [](double t) { return platinum_rtd::resistance(100.0, t); }, platinum_rtd::kMinC,
               platinum_rtd::kMaxC},
    SensorType{"pt500", "Pt500", "IEC 60751",
               [](double t) { return platinum_rtd::resistance(500.0, t); }, platinum_rtd::kMinC,
               platinum_rtd::kMaxC},
    SensorType{"pt1000", "Pt1000", "IEC 60751",
               [](double t) { return platinum_rtd::resistance(1000.0, t); }, platinum_rtd::kMinC,
               platinum_rtd::kMaxC},
    SensorType{"ni1000", "Ni1000", "DIN 43760",
               [](double t) { return nickel_rtd::resistance(1000.0, t); }, nickel_rtd::kMinC,
               nickel_rtd::kMaxC},
};

bool sameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::span<const SensorType> sensorTypes() {
    return kTypes;
}

const SensorType *findSensorType(std::string_view name) {
    for (const SensorType &type : kTypes)
        if (sameLetters(type.name, name)) return &type;
    return nullptr;
}

std::string sensorTypeList(std::string_view separator, std::string_view lastSeparator) {
    std::string text;
    for (std::size_t i = 0; i < kTypes.size(); ++i) {
        if (i > 0) text += i + 1 == kTypes.size() ? lastSeparator : separator;
        text += kTypes[i].name;
    }
    return text;
}

}  // namespace zz::box
