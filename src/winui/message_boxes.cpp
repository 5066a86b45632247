#include "winui/message_boxes.h"

#include "link/text_win32.h"

#include <windows.h>

namespace zz::winui {

namespace {

int show(const std::string &title, const std::string &text, unsigned style) {
    using link::win32::widen;
    return MessageBoxW(GetActiveWindow(), widen(text).c_str(), widen(title).c_str(),
                       style | MB_SETFOREGROUND);
}

}  // namespace

void Win32MessageBoxes::exclamation(const std::string &title, const std::string &text) {
    show(title, text, kExclamationStyle);
}

bool Win32MessageBoxes::askYesNo(const std::string &title, const std::string &text) {
    return show(title, text, kQuestionStyle | MB_DEFBUTTON1) == IDYES;
}

}  // namespace zz::winui
