#pragma once
// Between the program's UTF-8 texts and the UTF-16 of the Win32 calls, and
// Windows' own text for an error code.

#include <string>

namespace zz::link::win32 {

std::wstring widen(const std::string &utf8);
std::string narrow(const std::wstring &utf16);

// FormatMessageW's text for an error code, in one line without the final
// full stop ("Access denied"); the bare number when Windows has no text.
std::string errorText(unsigned long error);

// The running program's file name without folder and ".exe": "6175ZIZ-ctl".
std::string programFileStem();

}  // namespace zz::link::win32
