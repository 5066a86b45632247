#pragma once
// The six decade digits of the resistance, digit 1 (0.1 Ω) to digit 6
// (10 000 Ω). This is the only copy of the value: the readout labels are
// views that an observer keeps equal to it.

#include <array>
#include <functional>
#include <string>

namespace zz::frontpanel {

class ValueRegister {
public:
    static constexpr int kDigits = 6;

    ValueRegister();

    // The text of digit i, i = 1..6, exactly as stored.
    const std::string &digitText(int i) const;
    void setDigitText(int i, std::string caption);

    // Every digit to "0". Sends nothing, repaints nothing.
    void reset();
    // Kept for the panel's public interface; it has no effect.
    void setDisplay(const std::string &Digits);

    // Digits 6..2, ".", digit 1: "10100.0".
    std::string displayText() const;

    // Called with the index after every change of a caption.
    void setObserver(std::function<void(int)> observer);

private:
    std::array<std::string, kDigits> digits_;
    std::function<void(int)> observer_;
};

}  // namespace zz::frontpanel
