#include "layout/port_dialog_layout.h"

#include <array>

namespace zz::layout::port_dialog {

namespace {

constexpr Face kArialMedium{face::kArial, face::kMediumPoints};
constexpr Face kArialLargeBold{face::kArial, 20.25, true};

constexpr std::array kElements = {
    Element{kPrompt,
            Kind::Label,
            240,
            60,
            5295,
            990,
            "Please select a COM port :",
            kArialMedium,
            {},
            {},
            0},
    Element{
        "Label1", Kind::Label, 1830, 875, 1050, 465, "COM", kArialLargeBold, colour::kNavy, {}, 4},
    Element{kPortBox,
            Kind::ComboBox,
            2865,
            810,
            1050,
            600,
            {},
            kArialLargeBold,
            colour::kDarkRed,
            {},
            3},
    Element{kExitButton, Kind::Button, 180, 1725, 1645, 420, "&Exit", {}, {}, {}, 1},
    Element{kOkButton, Kind::Button, 3960, 1740, 1650, 420, "&OK", kArialMedium, {}, {}, 2},
};

}  // namespace

std::span<const Element> elements() {
    return kElements;
}

const Element &element(std::string_view name) {
    return findElement(kElements, name);
}

}  // namespace zz::layout::port_dialog
