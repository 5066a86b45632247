#pragma once
// The pictures and icons under resources/: the file each one is and the size
// it is drawn at. tools/pictures draws them at these sizes; both faces show
// them from their resources.

#include <string_view>

namespace zz::layout {

struct Picture {
    std::string_view file;  // under resources/
    int width = 0, height = 0;
};

namespace picture {

// The backdrops of the panel (stretched over its window), the port dialog and
// the start screen (both drawn at their own size, which is the window's).
inline constexpr Picture kPanelBackground{"pictures/panel_background.jpg", 620, 380};
inline constexpr Picture kDialogBackground{"pictures/dialog_background.jpg", 388, 154};
inline constexpr Picture kStartBackground{"pictures/start_background.jpg", 510, 313};

// The program logo (the windows' icon, and shown on the panel and the start
// screen) and the port dialog's icon in its two sizes.
inline constexpr Picture kLogo{"icons/logo48.png", 48, 48};
inline constexpr Picture kPortIcon{"icons/port_dialog.png", 32, 32};
inline constexpr Picture kPortIconSmall{"icons/port_dialog16.png", 16, 16};

}  // namespace picture

}  // namespace zz::layout
