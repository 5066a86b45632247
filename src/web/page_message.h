#pragma once
// What a page asks for: the operator's intents, never values to trust. The
// page sends one short text message per action; the server applies the
// panel's own rules to it.
//
//   up N | down N      the arrow of digit N (1 = 0.1 ohm .. 6 = 10 000 ohm)
//   preset N           preset button N (1 = 0.1 ohm .. 7 = 99999.9 ohm)
//   zero               ZERO, already confirmed on the page
//   enter TEXT         a typed value, as typed (Set Value or Enter)
//   resend             the readout again (the lamp clicked)
//   true on | true off the footer's true-ohms switch
//   ping               nothing: the page is still there

#include <optional>
#include <string>
#include <string_view>

namespace zz::web {

inline constexpr std::size_t kMaxMessage = 4096;

struct Intent {
    enum class Kind { Up, Down, Preset, Zero, Enter, Resend, Ping, TrueMode };
    Kind kind = Kind::Ping;
    int number = 0;    // the digit or the preset; TrueMode: 1 on, 0 off
    std::string text;  // for Enter

    bool operator==(const Intent &) const = default;
};

// Nothing when the message is not one of the forms above.
std::optional<Intent> parsePageMessage(std::string_view message);

}  // namespace zz::web
