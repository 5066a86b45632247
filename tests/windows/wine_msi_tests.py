#!/usr/bin/env python3
"""The Windows installer under Wine, in a fresh prefix of its own: a silent
install (files, Start-menu entry, Apps & Features entry), the installed
programs setting the box on COM3 (a pseudo-terminal), a newer package
replacing it in place with the user's Settings.txt and records kept, an older
one refused, and an uninstall that leaves only those behind.
Usage: wine_msi_tests.py WINDOWS_BUILD"""

import os, select, subprocess, sys, time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import shell_link
from wine_env import WINE, Results, Wine, drain

VERSION = os.environ["ZZ_VERSION"]  # project()'s, "1.02"
build = os.path.abspath(sys.argv[1])
source = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
builder = os.path.join(source, "scripts", "build-windows-installer.sh")
results = Results()
check = results.check


def product_version(version):
    major, minor = version.split(".")[:2]
    return f"{int(major)}.{int(minor)}.0"


major, minor = VERSION.split(".")[:2]
NEWER = f"{major}.{int(minor) + 1:0{len(minor)}d}"  # 1.02 -> 1.03
wine = Wine(os.path.join(build, "wine-msi-home"), fresh=True)
older = os.path.join(build, f"6175ZIZ-{VERSION}-x64.msi")
newer = os.path.join(wine.home, f"6175ZIZ-{NEWER}-x64.msi")

FOLDER = r"C:\Program Files\6175ZIZ"
folder = wine.unix_path(FOLDER)
user_dir = rf"C:\users\{wine.user.pw_name}"
data = wine.unix_path(user_dir + r"\AppData\Local\6175ZIZ")
# Per machine, the entry belongs in the common Programs folder; Wine's
# installer puts it in the user's own.
menus = [wine.unix_path(p + r"\Microsoft\Windows\Start Menu\Programs\6175 Virtual Panel.lnk")
         for p in (r"C:\ProgramData", user_dir + r"\AppData\Roaming")]
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"
OUR_KEY = r"HKLM\Software\Quellor Ltd\6175ZIZ"
PROGRAMS = ["6175ZIZ.exe", "6175ZIZ-ctl.exe", "6175ZIZ-scpi.exe"]
BUILT = {"6175ZIZ.exe": "apps/panel", "6175ZIZ-ctl.exe": "apps/ctl",
         "6175ZIZ-scpi.exe": "apps/scpiserver"}


def msi_table(package, table):
    """The rows of one table of a package, as lists of fields."""
    text = subprocess.run(["msiinfo", "export", package, table], capture_output=True, text=True,
                          check=True).stdout
    return [line.rstrip("\r").split("\t") for line in text.splitlines()[3:]]


def msi_property(package, name):
    return dict(row[:2] for row in msi_table(package, "Property")).get(name)


def registry(key):
    """The values of a key (name -> data), None when there is no such key."""
    r = wine.run("reg", "query", key)
    if r.returncode != 0:
        return None
    values = {}
    for line in r.stdout.splitlines():
        fields = line.strip().split("    ")
        if len(fields) >= 2 and fields[1].startswith("REG_"):
            values[fields[0]] = fields[2] if len(fields) > 2 else ""
    return values


def our_products():
    """The Uninstall keys named like ours."""
    found, key = [], None
    for line in wine.run("reg", "query", UNINSTALL, "/s").stdout.splitlines():
        if line.startswith("HKEY_"):
            key = line.rsplit("\\", 1)[1]
        elif line.strip().split("    ") == ["DisplayName", "REG_SZ", "6175 Virtual Panel"]:
            found.append(key)
    return sorted(found)


def packed(code):
    """A ProductCode as the installer's own keys spell it."""
    g = code.strip("{}").split("-")
    tail = g[3] + g[4]
    return g[0][::-1] + g[1][::-1] + g[2][::-1] + "".join(
        tail[i + 1] + tail[i] for i in range(0, len(tail), 2))


def msiexec(*args):
    """A silent msiexec run; its verbose log is in the failure's detail."""
    log = os.path.join(wine.home, "msiexec.log")
    if os.path.exists(log):
        os.unlink(log)
    r = wine.run("msiexec", *args, "/qn", "/l*v", windows(log))
    if r.returncode != 0 and os.path.exists(log):
        tail = open(log, errors="replace").read()[-1500:]
        r.stderr += "\nlog: ..." + tail
    return r


def windows(path):
    return "Z:" + path.replace("/", "\\")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def user_files():
    """The user's files under %LOCALAPPDATA%\\6175ZIZ: name -> contents."""
    return {name: read(os.path.join(data, name)) for name in sorted(os.listdir(data))}


def stripped(exe):
    """The program as shipped: stripped, its own time in the header."""
    out = os.path.join(wine.home, "stripped.exe")
    subprocess.run(["x86_64-w64-mingw32-strip", "-o", out, exe], check=True,
                   env=dict(os.environ, SOURCE_DATE_EPOCH=str(int(os.stat(exe).st_mtime))))
    return read(out)


def as_user(path):
    if wine.as_root:
        os.chown(path, wine.user.pw_uid, wine.user.pw_gid)


def package_cases(codes):
    check("package: the programs' version as ProductVersion",
          msi_property(older, "ProductVersion") == product_version(VERSION) and
          msi_property(newer, "ProductVersion") == product_version(NEWER),
          f"{msi_property(older, 'ProductVersion')}, {msi_property(newer, 'ProductVersion')}")
    upgrade = [msi_property(p, "UpgradeCode") for p in (older, newer)]
    check("package: one UpgradeCode, a ProductCode per version",
          upgrade[0] == upgrade[1] and codes[0] != codes[1] and None not in codes,
          f"upgrade codes {upgrade}, product codes {codes}")
    rows = msi_table(older, "Shortcut")
    check("package: the Start-menu entry", len(rows) == 1 and rows[0][1:5] ==
          ["ProgramMenuFolder", "6175 Virtual Panel", "MenuEntry", "[INSTALLFOLDER]6175ZIZ.exe"]
          and rows[0][5] == "--settings-in-config-home" and rows[0][8] == "panel.ico", rows)
    print(f"  {os.path.basename(older)}: {os.path.getsize(older) / 1e6:.1f} MB")
    for bad in ("1.256", "1.x", "1.2.3.4"):
        out = os.path.join(wine.home, "refused.msi")
        r = subprocess.run([builder, build, bad, out], capture_output=True, text=True)
        check(f"package: version {bad} refused", r.returncode != 0 and not os.path.exists(out),
              f"status {r.returncode}, {r.stdout}{r.stderr}")


def installed_cases(code, version):
    """What one silent install must leave: files, menu entry, ARP entry."""
    present = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
    check(f"{version}: files in Program Files\\6175ZIZ", present ==
          sorted(PROGRAMS + ["LICENSE.txt", "README.txt"]), present)
    same = [p for p in PROGRAMS if p in present and
            read(os.path.join(folder, p)) == stripped(os.path.join(build, BUILT[p], p))]
    check(f"{version}: the programs are the build's, stripped", same == PROGRAMS,
          f"identical: {same}")
    readme = read(os.path.join(folder, "README.txt")) if "README.txt" in present else b""
    check(f"{version}: the read-me names its version, Windows line ends",
          f"6175 Virtual Panel {version} ".encode() in readme and
          readme.count(b"\r\n") == readme.count(b"\n") > 0, readme[:80])

    found = [m for m in menus if os.path.exists(m)]
    link = shell_link.read(found[0]) if len(found) == 1 else {}
    icon = link.get("icon", "")
    check(f"{version}: the Start-menu entry starts the panel", len(found) == 1 and
          link.get("target") == FOLDER + r"\6175ZIZ.exe" and
          link.get("arguments") == "--settings-in-config-home" and
          icon.endswith(r"\panel.ico") and os.path.isfile(wine.unix_path(icon)),
          f"{found}, {link}")

    arp = registry(rf"{UNINSTALL}\{code}") or {}
    want = {"DisplayName": "6175 Virtual Panel", "Publisher": "Quellor Ltd",
            "DisplayVersion": product_version(version), "DisplayIcon": FOLDER + r"\6175ZIZ.exe,0",
            "InstallLocation": FOLDER + "\\"}
    check(f"{version}: the Apps & Features entry",
          {k: arp.get(k) for k in want} == want, {k: arp.get(k) for k in want})
    # The icon Windows Installer keeps for Apps & Features (ARPPRODUCTICON).
    product = registry(rf"HKLM\Software\Classes\Installer\Products\{packed(code)}") or {}
    icon = product.get("ProductIcon", "")
    check(f"{version}: the product's icon", icon.endswith(r"\panel.ico") and
          read(wine.unix_path(icon)) == read(os.path.join(source, "resources/icons/6175ZIZ.ico")),
          product)
    check(f"{version}: our key names the folder",
          (registry(OUR_KEY) or {}).get("InstallFolder") == FOLDER + "\\", registry(OUR_KEY))


def program_cases(master):
    ctl = FOLDER + r"\6175ZIZ-ctl.exe"
    r = wine.run(ctl, "--version")
    check("installed 6175ZIZ-ctl.exe --version", r.returncode == 0 and VERSION in r.stdout,
          f"status {r.returncode}, {r.stdout!r} {r.stderr!r}")
    r = wine.run(ctl, "--port", "3", "set", "4k7")
    got = drain(master)
    check("installed 6175ZIZ-ctl.exe sets the box", r.returncode == 0 and got == b"04700.0\r" and
          os.path.exists(os.path.join(data, "device-COM3")),
          f"status {r.returncode}, line {got!r}, {r.stderr.strip()!r}, records "
          f"{os.listdir(data) if os.path.isdir(data) else None}")


def panel_case(master, display):
    """The installed panel as the Start-menu entry starts it, with port 3 in
    the user's Settings.txt: the box goes to 10000 after the start screen."""
    if not os.path.isdir(data):
        os.makedirs(data)
        as_user(data)
    settings = os.path.join(data, "Settings.txt")
    with open(settings, "wb") as f:
        f.write(b"3\r\n")
    as_user(settings)
    # A Settings.txt of another port where it starts: not the one to read.
    elsewhere = os.path.join(wine.home, "elsewhere")
    os.makedirs(elsewhere, exist_ok=True)
    with open(os.path.join(elsewhere, "Settings.txt"), "wb") as f:
        f.write(b"5\r\n")
    started = time.monotonic()
    panel = subprocess.Popen(wine.command([WINE, FOLDER + r"\6175ZIZ.exe",
                                           "--settings-in-config-home"]),
                             env=dict(wine.env, DISPLAY=display), cwd=elsewhere,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    got, deadline = b"", started + 30
    try:
        while b"10000\r" not in got and time.monotonic() < deadline:
            if select.select([master], [], [], 0.2)[0]:
                got += os.read(master, 64)
            if panel.poll() is not None:
                break
        if check("installed panel starts and sets the box", got == b"10000\r",
                 f"line {got!r}, status {panel.poll()}"):
            print(f"  10000 on COM3 {time.monotonic() - started:.1f} s after the panel started")
    finally:
        # The Unix process is the Windows one: nothing of it outlives this.
        panel.kill()
        panel.wait()
    check("the panel's Settings.txt stays the user's", read(settings) == b"3\r\n", read(settings))


def upgrade_cases(codes, kept):
    r = msiexec("/i", windows(newer))
    check(f"silent install of {NEWER} over {VERSION}", r.returncode == 0,
          f"status {r.returncode}, {r.stdout} {r.stderr}")
    check(f"{NEWER}: one product installed, {VERSION}'s gone", our_products() == [codes[1]],
          our_products())
    installed_cases(codes[1], NEWER)
    check(f"{NEWER}: Settings.txt and the records kept", user_files() == kept,
          f"{list(kept)} -> {list(user_files())}")

    # 1603, a fatal error (the launch condition), of which exit statuses keep
    # the low byte.
    r = msiexec("/i", windows(older))
    readme = read(os.path.join(folder, "README.txt"))
    check(f"{VERSION} refused over {NEWER}", r.returncode == 1603 & 0xFF and
          our_products() == [codes[1]] and f" {NEWER} ".encode() in readme,
          f"status {r.returncode}, {our_products()}")


def uninstall_case(codes, kept):
    r = msiexec("/x", windows(newer))
    left = [p for p in [folder] + menus if os.path.exists(p)]
    keys = [k for k in (rf"{UNINSTALL}\{codes[1]}", OUR_KEY, OUR_KEY.rsplit("\\", 1)[0])
            if registry(k) is not None]
    # The installer's copies of the package and of the icon (a fresh prefix
    # holds no others).
    cache = wine.unix_path(r"C:\windows\Installer")
    cached = os.listdir(cache) if os.path.isdir(cache) else []
    check("silent uninstall leaves nothing of ours", r.returncode == 0 and not left and not keys
          and our_products() == [] and not cached,
          f"status {r.returncode}, files {left}, keys {keys}, {our_products()}, cache {cached}")
    check("uninstall keeps Settings.txt and the records", user_files() == kept,
          f"{list(kept)} -> {list(user_files()) if os.path.isdir(data) else None}")


def main():
    if not os.path.exists(older):
        print(f"FAIL no package {older}: make windows-installer builds it")
        return 1
    subprocess.run([builder, build, NEWER, newer], check=True, stdout=subprocess.DEVNULL)
    codes = [msi_property(p, "ProductCode") for p in (older, newer)]
    package_cases(codes)

    # A private X server for the whole run: the desktop Wine opens on it for
    # the panel stays until Wine stops.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-nolisten", "tcp", "-ac",
                             "-screen", "0", "1024x768x24"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    display = ":" + xvfb.stdout.readline().decode().strip()
    wine.boot()
    master = wine.map_com3()
    try:
        r = msiexec("/i", windows(older))
        check(f"silent install of {VERSION}", r.returncode == 0,
              f"status {r.returncode}, {r.stdout} {r.stderr}")
        installed_cases(codes[0], VERSION)
        program_cases(master)
        panel_case(master, display)
        kept = user_files()
        upgrade_cases(codes, kept)
        uninstall_case(codes, kept)
    finally:
        wine.stop()
        xvfb.terminate()
        xvfb.wait()
    return results.summary()


if __name__ == "__main__":
    sys.exit(main())
