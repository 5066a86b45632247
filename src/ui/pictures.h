#pragma once
// The pictures and icons under resources/: the file each one is and the size
// it is drawn at. tools/pictures draws them at these sizes; the windows show
// them from the resources, where each lies under its file name.

#include <QSize>
#include <QString>

namespace zz::ui {

struct Picture {
    const char *file;  // under resources/, and under ":/" in the resources
    QSize size;

    QString resource() const { return QStringLiteral(":/") + QLatin1StringView(file); }
};

namespace picture {

// The backdrops of the panel (stretched over its window), the port dialog and
// the start screen (both drawn at their own size, which is the window's).
inline constexpr Picture kPanelBackground{"pictures/panel_background.jpg", {620, 380}};
inline constexpr Picture kDialogBackground{"pictures/dialog_background.jpg", {388, 154}};
inline constexpr Picture kStartBackground{"pictures/start_background.jpg", {510, 313}};

// The program logo (the windows' icon, and shown on the panel and the start
// screen) and the port dialog's icon in its two sizes.
inline constexpr Picture kLogo{"icons/logo48.png", {48, 48}};
inline constexpr Picture kPortIcon{"icons/port_dialog.png", {32, 32}};
inline constexpr Picture kPortIconSmall{"icons/port_dialog16.png", {16, 16}};

// The logo again at the sizes a desktop's menus and launchers ask for; they
// are installed as the application's icon, not built into the program.
inline constexpr Picture kMenuIcons[] = {{"icons/logo64.png", {64, 64}},
                                         {"icons/logo128.png", {128, 128}},
                                         {"icons/logo256.png", {256, 256}}};

}  // namespace picture

}  // namespace zz::ui
