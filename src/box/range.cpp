#include "box/range.h"

#include "common/decimal_text.h"

namespace zz::box {

std::string limitText(double ohms) {
    return common::decimalText(ohms, kDecimals, kDecimals);
}

}  // namespace zz::box
