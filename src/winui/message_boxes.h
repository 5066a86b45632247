#pragma once
// The program's message boxes as the platform's own (MessageBoxW): the
// exclamation with OK (style 48) and the question with Yes and No, Yes the
// default (style 36). Texts keep their carriage-return line breaks. Each box
// is modal over the window that is active on this thread.

#include "frontpanel/message_boxes.h"

namespace zz::winui {

inline constexpr unsigned kExclamationStyle = 0x30;  // MB_ICONEXCLAMATION | MB_OK
inline constexpr unsigned kQuestionStyle = 0x24;     // MB_ICONQUESTION | MB_YESNO

class Win32MessageBoxes : public frontpanel::MessageBoxes {
public:
    void exclamation(const std::string &title, const std::string &text) override;
    bool askYesNo(const std::string &title, const std::string &text) override;
};

}  // namespace zz::winui
