#include "value_register.h"

#include <cassert>
#include <utility>

namespace zz {

ValueRegister::ValueRegister() {
    digits_.fill("0");
}

const std::string &ValueRegister::DigitLab(int i) const {
    assert(i >= 1 && i <= kDigits);
    return digits_[static_cast<size_t>(i - 1)];
}

void ValueRegister::setDigitLab(int i, std::string caption) {
    if (i < 1 || i > kDigits) return;
    digits_[static_cast<size_t>(i - 1)] = std::move(caption);
    if (observer_) observer_(i);
}

void ValueRegister::Reset() {
    for (int i = 1; i <= kDigits; ++i) setDigitLab(i, "0");
}

void ValueRegister::SetDisplay(const std::string & /*Digits*/) {}

std::string ValueRegister::displayText() const {
    std::string text;
    for (int i = kDigits; i >= 2; --i) text += DigitLab(i);
    text += '.';
    text += DigitLab(1);
    return text;
}

void ValueRegister::setObserver(std::function<void(int)> observer) {
    observer_ = std::move(observer);
}

}  // namespace zz
