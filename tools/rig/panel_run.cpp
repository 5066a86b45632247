#include "rig/panel_run.h"

#include <QTemporaryDir>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace zz::rig {

namespace fs = std::filesystem;

namespace {

bool setImmutable(const std::string &path, bool on) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0) ::close(fd);
    return done;
}

}  // namespace

Rect startScreenArea() {
    constexpr int width = 510, height = 313;
    // Centred; the half pixel of an odd difference may fall either way, so
    // look two pixels inside the window's edges.
    constexpr int inset = 2;
    return {(XSession::kScreenWidth - width) / 2 + inset,
            (XSession::kScreenHeight - height) / 2 + inset, width - 2 * inset, height - 2 * inset};
}

StartScreenLook inspectStartScreen(const Image &image) {
    StartScreenLook look;
    if (image.pixels.empty()) return look;
    long drawn = 0;
    for (const std::uint32_t p : image.pixels) {
        if (p != 0) ++drawn;
        if (p == kTitleBlue) ++look.titleBluePixels;
    }
    look.drawnShare = double(drawn) / double(image.pixels.size());
    return look;
}

bool looksPainted(const StartScreenLook &look) {
    // The two rules alone are some 580 pixels of the blue; the lettering adds more.
    return look.drawnShare > 0.97 && look.titleBluePixels >= 400;
}

PanelRun::PanelRun() {
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid()) return;
    root_ = dir_->path().toStdString();
    work_ = root_ + "/work";
    std::error_code ec;
    if (!fs::create_directory(work_, ec)) root_.clear();
}

PanelRun::~PanelRun() {
    process_.kill();
    if (root_.empty()) return;
    if (immutable_) setImmutable(settingsPath(), false);
    std::error_code ec;
    // A test may have taken away the right to remove what is in it.
    fs::permissions(work_, fs::perms::owner_all, fs::perm_options::add, ec);
}

std::optional<std::string> PanelRun::settingsBytes() const {
    std::error_code ec;
    if (!fs::is_regular_file(settingsPath(), ec)) return std::nullopt;
    std::ifstream in(settingsPath(), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool PanelRun::writeSettings(const std::string &bytes) const {
    std::ofstream out(settingsPath(), std::ios::binary | std::ios::trunc);
    out << bytes;
    return bool(out.flush());
}

bool PanelRun::start(const std::string &program, const XSession &x, const std::string &configHome,
                     const std::vector<std::string> &arguments) {
    EnvChanges env = x.clientEnvironment();
    env["XDG_CONFIG_HOME"] = configHome;
    // A sanitized build reports leaks at exit with a non-zero status; the
    // system libraries' own are not the program's.
    const char *lsan = std::getenv("LSAN_OPTIONS");
    env["LSAN_OPTIONS"] = std::string(lsan ? lsan : "") + (lsan && *lsan ? ":" : "") +
                          "suppressions=" LSAN_SUPPRESSIONS ":print_suppressions=0";
    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return process_.start(command, env, work_, root_ + "/output.txt");
}

bool PanelRun::makeSettingsImmutable() {
    immutable_ = setImmutable(settingsPath(), true);
    return immutable_;
}

std::string PanelRun::output() const {
    std::ifstream in(root_ + "/output.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace zz::rig
