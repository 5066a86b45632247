#include "frontpanel/panel_texts.h"

#include "box/range.h"

namespace zz::frontpanel::panel_text {

std::string tooHighPrompt() {
    return "The value entered is too high (max. = " + box::limitText(box::kMaxOhms) + " Ohms)";
}

std::string tooLowPrompt() {
    return "The value entered is too low (min. = " + box::limitText(box::kMinOhms) + " Ohms)";
}

}  // namespace zz::frontpanel::panel_text
