#include "common/ohms_command.h"

#include "common/leading_number.h"
#include "common/number_text.h"

#include <cmath>

namespace zz {

OhmsCommand ohmsCommand(double ohms) {
    using Kind = OhmsCommand::Kind;
    if (ohms < 0) return {Kind::TooLow, {}};
    if (!std::isfinite(ohms)) return {Kind::TooHigh, {}};
    std::string command = formatFixed00000_0(ohms);
    if (leadingNumber(command) > kMaxOhms) return {Kind::TooHigh, {}};
    return {Kind::Accept, std::move(command)};
}

}  // namespace zz
