#pragma once
// One run of the real 6175ZIZ program on a private X server, in a scratch
// working directory of its own (where "Settings.txt" lives) and with its own
// configuration directory (the port map). What it writes to its standard
// output and error is kept for the failure message.

#include "rig/child_process.h"
#include "rig/x_session.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTemporaryDir;

namespace zz::rig {

// The program's top-level windows, by the titles they name to the window system.
inline const std::string kStartScreenTitle = "Quellor 6175 Virtual Panel";
inline const std::string kPanelTitle = "6175 Virtual Panel V1.20 : 24/07/2006";
inline const std::string kDialogTitle = "Set Communication Port";

// The start screen: 510 x 313 pixels centred on the screen, its title,
// model number and rules drawn in this blue.
inline constexpr std::uint32_t kTitleBlue = 0x0061a5;
Rect startScreenArea();

struct StartScreenLook {
    double drawnShare = 0;  // share of pixels that are not the black of the bare screen
    int titleBluePixels = 0;
};
StartScreenLook inspectStartScreen(const Image &image);
// Painted: covered almost entirely and the blue lettering there.
bool looksPainted(const StartScreenLook &look);

class PanelRun {
public:
    PanelRun();   // makes the scratch directories; check ok()
    ~PanelRun();  // ends the program if it still runs, removes the scratch
    PanelRun(const PanelRun &) = delete;
    PanelRun &operator=(const PanelRun &) = delete;

    bool ok() const { return !root_.empty(); }
    const std::string &workDirectory() const { return work_; }
    std::string settingsPath() const { return work_ + "/Settings.txt"; }
    // The settings file's bytes; nullopt when there is no such file.
    std::optional<std::string> settingsBytes() const;
    bool writeSettings(const std::string &bytes) const;
    // Sets the settings file's immutable flag, which binds the superuser too:
    // read-only even for root. Cleared again when the run ends.
    bool makeSettingsImmutable();

    // Starts the program on the session's display with XDG_CONFIG_HOME at
    // `configHome`, with these arguments.
    bool start(const std::string &program, const XSession &x, const std::string &configHome,
               const std::vector<std::string> &arguments = {});
    ChildProcess &process() { return process_; }
    bool running() { return process_.running(); }
    std::string output() const;  // standard output and error so far

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string root_;
    std::string work_;
    bool immutable_ = false;
    ChildProcess process_;
};

}  // namespace zz::rig
