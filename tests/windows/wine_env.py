"""Wine 8 for the Windows tests: a private prefix under the build directory
with its own wineserver, run as nobody when root (root opens a terminal
whatever its exclusive mode), COM3 on a pseudo-terminal, and the results as
"ok   name" / "FAIL name: detail" lines."""

import os, pty, pwd, select, shutil, subprocess, tty

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
TIMEOUT = 120


class Wine:
    def __init__(self, home, fresh=False):
        self.as_root = os.geteuid() == 0
        self.user = pwd.getpwnam("nobody") if self.as_root else pwd.getpwuid(os.geteuid())
        self.home = home
        self.prefix = os.path.join(home, "prefix")
        if fresh:
            shutil.rmtree(home, ignore_errors=True)
        os.makedirs(home, exist_ok=True)
        if self.as_root:
            os.chown(home, self.user.pw_uid, self.user.pw_gid)
        # No Linux menu entries from the prefix's shortcuts; no Mono, no Gecko.
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEDEBUG="-all", HOME=home,
                        DISPLAY="", WAYLAND_DISPLAY="",
                        WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")

    def command(self, args):
        drop = ["setpriv", f"--reuid={self.user.pw_uid}", f"--regid={self.user.pw_gid}",
                "--clear-groups"]
        return (drop if self.as_root else []) + args

    def run(self, *args, timeout=TIMEOUT):
        return subprocess.run(self.command([WINE, *args]), env=self.env, capture_output=True,
                              text=True, errors="replace", timeout=timeout)

    def server(self, flag):
        # Without our pipes: Wine's services outlive the program that started
        # them and would hold them open.
        subprocess.run(self.command([WINESERVER, flag]), env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=TIMEOUT)

    def boot(self):
        """One wineserver for the run, so that each program starts quickly."""
        first = not os.path.exists(os.path.join(self.prefix, "system.reg"))
        self.server("-p")
        subprocess.run(self.command([WINE, "wineboot"] + (["-i"] if first else [])), env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)

    def stop(self):
        self.server("-k")
        self.server("-w")

    def unix_path(self, windows_path):
        return os.path.join(self.prefix, "drive_c", *windows_path[3:].split("\\"))

    def map_com3(self):
        """A pseudo-terminal as COM3: the registry's Ports key, read when Wine
        starts, and the dosdevices link that opening it follows. Returns the
        far end to read from."""
        master, slave = pty.openpty()
        tty.setraw(slave)
        device = os.ttyname(slave)
        if self.as_root:
            os.chmod(device, 0o666)
        self.run("reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM3", "/d", device, "/f")
        self.stop()
        link = os.path.join(self.prefix, "dosdevices", "com3")
        if os.path.lexists(link):
            os.unlink(link)
        os.symlink(device, link)
        self.boot()
        self.slave = slave
        return master


def drain(master, quiet=1.0):
    """Everything the terminal received, once it has been quiet for a while."""
    data = b""
    while select.select([master], [], [], quiet)[0]:
        data += os.read(master, 4096)
    return data


class Results:
    def __init__(self):
        self.failures = []

    def check(self, name, ok, detail=""):
        print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)), flush=True)
        if not ok:
            self.failures.append(name)
        return ok

    def summary(self):
        print(f"{len(self.failures)} failed" if self.failures else "all passed")
        return 1 if self.failures else 0
