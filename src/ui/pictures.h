#pragma once
// The pictures and icons of layout/pictures.h as the Qt windows find them
// in the resources, where each lies under its file name.

#include "layout/pictures.h"

#include <QSize>
#include <QString>

namespace zz::ui {

struct Picture {
    const char *file;  // under resources/, and under ":/" in the resources
    QSize size;

    QString resource() const { return QStringLiteral(":/") + QLatin1StringView(file); }
};

constexpr Picture qtPicture(const layout::Picture &p) {
    return {p.file.data(), QSize(p.width, p.height)};  // the files' names are literals
}

namespace picture {

// The backdrops of the panel (stretched over its window), the port dialog and
// the start screen (both drawn at their own size, which is the window's).
inline constexpr Picture kPanelBackground = qtPicture(layout::picture::kPanelBackground);
inline constexpr Picture kDialogBackground = qtPicture(layout::picture::kDialogBackground);
inline constexpr Picture kStartBackground = qtPicture(layout::picture::kStartBackground);

// The program logo (the windows' icon, and shown on the panel and the start
// screen) and the port dialog's icon in its two sizes.
inline constexpr Picture kLogo = qtPicture(layout::picture::kLogo);
inline constexpr Picture kPortIcon = qtPicture(layout::picture::kPortIcon);
inline constexpr Picture kPortIconSmall = qtPicture(layout::picture::kPortIconSmall);

// The logo again at the sizes a desktop's menus and launchers ask for; they
// are installed as the application's icon, not built into the program.
inline constexpr Picture kMenuIcons[] = {{"icons/logo64.png", {64, 64}},
                                         {"icons/logo128.png", {128, 128}},
                                         {"icons/logo256.png", {256, 256}}};

}  // namespace picture

}  // namespace zz::ui
