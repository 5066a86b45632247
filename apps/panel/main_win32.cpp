// 6175ZIZ.exe, the panel on Windows: the start sequence and then the panel's
// events, drawn by the Win32 face (src/winui).

#include "command_line.h"
#include "common/version.h"
#include "frontpanel/message_boxes.h"
#include "link/serial_control.h"
#include "link/text_win32.h"
#include "program/stop_signals.h"
#include "startup/start_sequence.h"
#include "winui/message_boxes.h"
#include "winui/message_loop.h"
#include "winui/win32_start_ui.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

using zz::link::win32::widen;

// Where the Start-menu entry keeps Settings.txt: the user's own folder,
// beside the last-command records; created when missing.
std::string enterLocalAppData() {
    const wchar_t *base = _wgetenv(L"LOCALAPPDATA");
    if (!base || !*base) return "LOCALAPPDATA is not set";
    const std::wstring folder = std::wstring(base) + L"\\" + widen(zz::common::kName);
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return zz::link::win32::narrow(folder) + ": " + zz::link::win32::errorText(GetLastError());
    if (!SetCurrentDirectoryW(folder.c_str()))
        return zz::link::win32::narrow(folder) + ": " + zz::link::win32::errorText(GetLastError());
    return {};
}

// A window program has no console to print to: help, version and a refused
// folder are said in a box.
void tell(const std::string &text, UINT icon) {
    MessageBoxW(nullptr, widen(text).c_str(), widen(zz::common::kName).c_str(), MB_OK | icon);
}

}  // namespace

int main(int argc, char **argv) {
    using namespace zz;
    const panel::PanelOptions options = panel::readPanelOptions(argc, argv);
    if (options.action == panel::PanelOptions::Action::Help) {
        tell(panel::panelHelpText(
                 {"                                 (%LOCALAPPDATA%\\6175ZIZ)", ""}),
             MB_ICONINFORMATION);
        return 0;
    }
    if (options.action == panel::PanelOptions::Action::Version) {
        tell(std::string(common::kName) + " " + common::kVersion, MB_ICONINFORMATION);
        return 0;
    }
    if (options.settingsInConfigHome) {
        if (const std::string error = enterLocalAppData(); !error.empty()) {
            tell(error, MB_ICONEXCLAMATION);
            return 1;
        }
    }

    // The pictures are decoded by WIC, a COM component.
    (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    winui::initialiseMessageLoops();
    program::watchStopSignals([] { winui::requestStop(); });

    link::SerialControl serial;
    winui::Win32MessageBoxes boxes;
    winui::Win32StartUi ui(serial, boxes);
    if (const startup::StartEnd end = startup::runStartSequence(ui, serial, boxes)) return *end;
    return ui.runPanel();
}
