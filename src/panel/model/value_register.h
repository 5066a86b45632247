#pragma once
// The six decade digits of the resistance, DigitLab(1) (0.1 Ω) to DigitLab(6)
// (10 000 Ω). This is the only copy of the value: the readout labels are
// views that an observer keeps equal to it.

#include <array>
#include <functional>
#include <string>

namespace zz {

class ValueRegister {
public:
    static constexpr int kDigits = 6;

    ValueRegister();

    // The caption of DigitLab(i), i = 1..6, exactly as stored.
    const std::string &DigitLab(int i) const;
    void setDigitLab(int i, std::string caption);

    // Every digit to "0". Sends nothing, repaints nothing.
    void Reset();
    // Kept for the panel's public interface; it has no effect.
    void SetDisplay(const std::string &Digits);

    // DigitLab(6)..DigitLab(2), ".", DigitLab(1): "10100.0".
    std::string displayText() const;

    // Called with the index after every change of a caption.
    void setObserver(std::function<void(int)> observer);

private:
    std::array<std::string, kDigits> digits_;
    std::function<void(int)> observer_;
};

}  // namespace zz
