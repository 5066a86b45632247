#include "frontpanel/value_register.h"

#include <cassert>
#include <utility>

namespace zz::frontpanel {

ValueRegister::ValueRegister() {
    digits_.fill("0");
}

const std::string &ValueRegister::digitText(int i) const {
    assert(i >= 1 && i <= kDigits);
    return digits_[static_cast<size_t>(i - 1)];
}

void ValueRegister::setDigitText(int i, std::string caption) {
    if (i < 1 || i > kDigits) return;
    digits_[static_cast<size_t>(i - 1)] = std::move(caption);
    if (observer_) observer_(i);
}

void ValueRegister::reset() {
    for (int i = 1; i <= kDigits; ++i) setDigitText(i, "0");
}

void ValueRegister::setDisplay(const std::string & /*Digits*/) {}

std::string ValueRegister::displayText() const {
    std::string text;
    for (int i = kDigits; i >= 2; --i) text += digitText(i);
    text += '.';
    text += digitText(1);
    return text;
}

void ValueRegister::setObserver(std::function<void(int)> observer) {
    observer_ = std::move(observer);
}

}  // namespace zz::frontpanel
