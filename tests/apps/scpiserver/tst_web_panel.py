#!/usr/bin/python3
"""The web front panel in a real browser: headless Chromium driven by
Selenium against the real 6175ZIZ-scpi, a pseudo-terminal as the box's port
whose far side gives the exact bytes each control sends.

    /usr/bin/python3 tst_web_panel.py PATH/TO/6175ZIZ-scpi PATH/TO/6175ZIZ-ctl
"""
import base64
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.request

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CTL = os.path.abspath(sys.argv.pop(2))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scpi"))
import tst_scpi_pyvisa as fixture  # noqa: E402  (takes the server's path from argv)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support",
                                "one_profile"))
import one_profile  # noqa: E402

Pty, TIMEOUT = fixture.Pty, fixture.TIMEOUT
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage"]


class PanelServer(fixture.Server):
    """The server with its page on a free port of 127.0.0.1."""

    def __init__(self, *args):
        super().__init__(*args, "--http", "127.0.0.1:0")
        self.waitLog("the front panel on", 1)
        self.url = re.search(r"the front panel on (http://[^ ]+/)", self.logText()).group(1)
        self.http_port = int(re.search(r":(\d+)/$", self.url).group(1))


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in CHROMIUM_FLAGS:
        options.add_argument(flag)
    profile = tempfile.mkdtemp(prefix="panel-browser-")
    options.add_argument("--user-data-dir=" + profile)
    options.add_argument("--window-size=1024,900")
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                              options=options)
    driver.profile = profile
    return driver


def quit_browser(driver):
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


class Page:
    def __init__(self, driver, url):
        self.d = driver
        self.d.get(url)
        self.wait_for(lambda: self.d.find_element(By.ID, "connection").text.startswith("Connected"))

    def wait_for(self, condition, message=""):
        try:
            return WebDriverWait(self.d, TIMEOUT, poll_frequency=0.02).until(lambda _: condition())
        except TimeoutException:
            raise AssertionError("timed out: " + message)

    def readout(self):
        return self.d.find_element(By.ID, "readout").get_attribute("data-value")

    def wait_readout(self, value):
        self.wait_for(lambda: self.readout() == value, "readout %s, seen %s" % (value, self.readout()))

    def click(self, element_id):
        self.d.find_element(By.ID, element_id).click()

    def lamp(self):
        lamp = self.d.find_element(By.ID, "lamp")
        return lamp.get_attribute("class"), self.d.find_element(By.ID, "lamp-caption").text

    def dialog(self):
        self.wait_for(lambda: self.d.find_element(By.ID, "ask").get_attribute("open") is not None,
                      "a dialog")
        return (self.d.find_element(By.ID, "ask-title").text,
                self.d.execute_script("return document.getElementById('ask-text').textContent"))

    def answer(self, button):
        self.click(button)
        self.wait_for(lambda: self.d.find_element(By.ID, "ask").get_attribute("open") is None)

    def type_value(self, text):
        box = self.d.find_element(By.ID, "typed")
        box.clear()
        box.send_keys(text)
        self.click("set")


class WebPanel(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        quit_browser(cls.driver)

    def setUp(self):
        self.pty = Pty()
        self.server = PanelServer("--device", self.pty.path)

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def scpi(self, line):
        with socket.create_connection(("127.0.0.1", self.server.port), TIMEOUT) as s:
            s.sendall(line + b"\n*OPC?\n")
            self.assertEqual(s.recv(10), b"1\n")

    def test_each_control_sends_the_panels_bytes(self):
        self.scpi(b"RES 99.9")
        self.assertEqual(self.pty.take(8), b"00099.9\r")
        page = Page(self.driver, self.server.url)
        page.wait_readout("00099.9")  # the page shows what the box holds
        self.assertIn("SCPI client 127.0.0.1:", page.d.find_element(By.ID, "setby").text)
        for action, frames, readout in [
                (lambda: page.click("up1"), b"00100.0\r" * 4, "00100.0"),  # carry: one per decade
                (lambda: page.click("down1"), b"00100.0\r", "00100.0"),    # 0 stays 0, sent again
                (lambda: page.click("down3"), b"00100.0\r", "00100.0"),    # no borrow
                (lambda: page.click("down4"), b"00000.0\r", "00000.0"),
                (lambda: page.click("preset4"), b"100.0\r", "00100.0"),
                (lambda: page.click("preset7"), b"99999.9\r", "99999.9"),
                (lambda: page.type_value("12.34"), b"00012.3\r", "00012.3")]:
            action()
            self.assertEqual(self.pty.take(len(frames)), frames)
            page.wait_readout(readout)
        self.assertEqual(page.lamp(), ("green", "Sent 00012.3"))

        page.click("preset0")  # ZERO asks first, in the panel's words
        self.assertEqual(page.dialog(), ("Set to ZERO", "Set to ZERO\n\nAre You Sure?"))
        page.answer("ask-no")
        self.assertEqual(self.pty.take(quiet=0.5), b"")
        page.click("preset0")
        page.dialog()
        page.answer("ask-yes")
        self.assertEqual(self.pty.take(4), b"0.0\r")
        page.wait_readout("00000.0")

        for typed, title, text in [
                ("100000", "Value Out of Range", "The value entered is too high (max. = 99999.9 Ohms)"),
                ("-1", "Value Out of Range", "The value entered is too low (min. = 0.0 Ohms)"),
                ("", "No Value Entered", "Please enter a value in the box provided.")]:
            page.type_value(typed)
            self.assertEqual(page.dialog(), (title, text), typed)
            page.answer("ask-ok")
            self.assertEqual(self.pty.take(quiet=0.3), b"", typed)  # a refusal sends nothing
        page.wait_readout("00000.0")

    def test_keyboard_and_wheel_step_digits(self):
        page = Page(self.driver, self.server.url)
        page.d.find_element(By.ID, "up5").send_keys("\ue013")  # Up on a focused arrow
        self.assertEqual(self.pty.take(8), b"01000.0\r")
        page.d.execute_script("""document.getElementById('digit5').dispatchEvent(
            new WheelEvent('wheel', {deltaY: 100, bubbles: true, cancelable: true}))""")
        self.assertEqual(self.pty.take(8), b"00000.0\r")
        page.wait_readout("00000.0")

    def test_another_sender_updates_every_open_page(self):
        first = Page(self.driver, self.server.url)
        other = browser()
        try:
            second = Page(other, self.server.url)
            env = dict(os.environ, XDG_RUNTIME_DIR=self.server.scratch.name)
            run = subprocess.run([CTL, "--device", self.pty.path, "set", "4k7"], env=env,
                                 capture_output=True, timeout=TIMEOUT)
            self.assertEqual(run.returncode, 0, run.stderr)
            self.assertEqual(self.pty.take(8), b"04700.0\r")
            for page in (first, second):
                page.wait_readout("04700.0")
                page.wait_for(lambda p=page: p.lamp() == ("green", "Set by 6175ZIZ-ctl"))
                self.assertIn("6175ZIZ-ctl (process", page.d.find_element(By.ID, "setby").text)
            second.click("up2")  # a page's command reaches the other page too
            self.assertEqual(self.pty.take(8), b"04701.0\r")
            first.wait_readout("04701.0")
        finally:
            quit_browser(other)


def profile_file_name(device):
    """The profile's file name of a device path, as the server names it."""
    name = re.sub(r"[^A-Za-z0-9._-]", "_", device).lstrip("_")
    return name + ".toml"


# The 1 kOhm decade's first step measures 999.97 Ohm.
BOX_PROFILE = """serial = "A12345"
name = "Bench 3"
[limits]
min = 10
max = 2000
[table]
due = 2099-01-01
decade_0_1 = [0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9]
decade_1 = [1, 2, 3, 4, 5, 6, 7, 8, 9]
decade_10 = [10, 20, 30, 40, 50, 60, 70, 80, 90]
decade_100 = [100, 200, 300, 400, 500, 600, 700, 800, 900]
decade_1000 = [999.97, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000]
decade_10000 = [10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000, 90000]
"""


class WebPanelProfile(unittest.TestCase):
    """The page under the box's profile, read by the server from
    $XDG_CONFIG_HOME/6175ZIZ/boxes/ (written once the server runs, so that
    it reads it again)."""

    @classmethod
    def setUpClass(cls):
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        quit_browser(cls.driver)

    def setUp(self):
        self.pty = Pty()
        self.server = PanelServer("--device", self.pty.path)
        boxes = os.path.join(self.server.scratch.name, "6175ZIZ", "boxes")
        os.makedirs(boxes, exist_ok=True)
        with open(os.path.join(boxes, profile_file_name(self.pty.path)), "w") as f:
            f.write(BOX_PROFILE)

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def text(self, page, element_id):
        return page.d.find_element(By.ID, element_id).text

    def test_limits_true_mode_and_the_box_in_the_footer(self):
        page = Page(self.driver, self.server.url)
        page.wait_for(lambda: "Bench 3" in self.text(page, "box-name"), "the box's name")
        self.assertIn("serial A12345", self.text(page, "box-name"))
        above = "above the limit 2000.0 \u03A9 of this box's profile"
        for action in (lambda: page.type_value("2100"), lambda: page.click("preset6")):
            action()
            self.assertEqual(page.dialog(), ("Value Out of Range", above))
            page.answer("ask-ok")
            self.assertEqual(self.pty.take(quiet=0.3), b"")  # a refusal sends nothing
        page.type_value("1999.9")
        self.assertEqual(self.pty.take(8), b"01999.9\r")
        page.click("up2")  # an arrow past the limit: nothing, the note says why
        page.wait_for(lambda: above in self.text(page, "note"), "the note")
        self.assertEqual(self.pty.take(quiet=0.3), b"")

        page.click("true-mode")
        page.wait_for(lambda: page.d.find_element(By.ID, "true-mode").is_selected(), "true mode")
        page.type_value("1000")
        self.assertEqual(self.pty.take(8), b"01000.0\r")
        page.wait_for(lambda: "01000.0 \u2192 999.97 \u03A9 true" in self.text(page, "note"),
                      "the true text")


class WebPanelOneProfile(unittest.TestCase):
    """The page held to the rows every front end is held to under one
    profile (tests/support/one_profile), then to a carry across a limit and
    to a profile that cannot be read."""

    @classmethod
    def setUpClass(cls):
        cls.driver = browser()

    @classmethod
    def tearDownClass(cls):
        quit_browser(cls.driver)

    def setUp(self):
        self.pty = Pty()
        self.server = PanelServer("--device", self.pty.path)
        self.server.profilePath = os.path.join(self.server.scratch.name, "6175ZIZ", "boxes",
                                               profile_file_name(self.pty.path))
        self.page = Page(self.driver, self.server.url)

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def use_profile(self, text, logged):
        """Writes the profile and waits for the server to log its reading,
        which it hands to the page's model before it takes the next job."""
        count = self.server.logText().count(logged)
        self.server.writeProfile(text)
        self.server.waitLog(logged, count + 1)
        self.assertEqual(self.server.logText().count(logged), count + 1, self.server.logText())

    def test_the_rows_every_front_end_is_held_to(self):
        self.use_profile(one_profile.profile_text(), "read: Bench 7")
        switch = self.page.d.find_element(By.ID, "true-mode")
        for action, value, sent, refusal in one_profile.rows():
            if action.startswith("sensor"):
                continue  # the panel has no sensors
            with self.subTest(action=action, value=value):
                if switch.is_selected() != (action == "true"):
                    self.page.click("true-mode")
                    self.page.wait_for(lambda: switch.is_selected() == (action == "true"))
                self.page.type_value(value)
                if refusal:
                    title, text = self.page.dialog()
                    self.assertIn(refusal, text)
                    self.page.answer("ask-ok")
                    self.assertEqual(self.pty.take(quiet=0.3), b"")
                else:
                    self.assertEqual(self.pty.take(len(sent)), sent)

    def test_a_carry_across_the_limit_and_a_broken_profile_send_nothing(self):
        self.use_profile("[limits]\nmax = 9999.9\n", "read: limits 0.0\u20139999.9")
        self.page.type_value("9999.9")
        self.assertEqual(self.pty.take(8), b"09999.9\r")
        self.page.click("up1")  # the carry would send 10000.0 once per decade
        self.page.wait_for(lambda: "above the limit 9999.9" in
                           self.page.d.find_element(By.ID, "note").text, "the note")
        self.assertEqual(self.pty.take(quiet=0.3), b"")
        self.assertEqual(self.page.readout(), "09999.9")
        self.use_profile("[limits]\nmax = \"lots\"\n", "refused: the profile")
        self.page.type_value("100")
        self.assertIn("nothing is sent to this port until it is mended", self.page.dialog()[1])
        self.page.answer("ask-ok")
        self.page.click("down1")
        self.assertEqual(self.pty.take(quiet=0.3), b"")


class Unplugged(unittest.TestCase):
    def test_lamp_red_when_unplugged_green_after_resend(self):
        pty = Pty()
        link_dir = tempfile.mkdtemp()
        port = os.path.join(link_dir, "ttyUSB-box")
        os.symlink(pty.path, port)
        server = PanelServer("--device", port)
        driver = browser()
        try:
            page = Page(driver, server.url)
            page.click("preset5")
            self.assertEqual(pty.take(7), b"1000.0\r")
            os.unlink(port)  # the adapter pulled out
            page.click("up2")
            page.wait_for(lambda: page.lamp()[0] == "red", "red lamp")
            self.assertEqual(page.lamp(), ("red", "Not sent"))
            self.assertIn(port, driver.find_element(By.ID, "lamp").get_attribute("title"))
            os.symlink(pty.path, port)  # back again: the box may hold the older value
            page.wait_for(lambda: page.lamp() == ("amber", "Resend?"), "amber lamp")
            page.click("lamp")
            self.assertEqual(pty.take(8), b"01001.0\r")
            page.wait_for(lambda: page.lamp() == ("green", "Sent 01001.0"), "green lamp")
        finally:
            quit_browser(driver)
            self.assertEqual(server.stop(), 0)
            pty.close()
            shutil.rmtree(link_dir)


class Layout(unittest.TestCase):
    def test_every_control_on_a_phone_screen(self):
        pty = Pty()
        server = PanelServer("--device", pty.path)
        driver = browser()
        try:
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": 375, "height": 667, "deviceScaleFactor": 2, "mobile": True})
            page = Page(driver, server.url)
            ids = driver.execute_script(
                "return [...document.querySelectorAll('#panel button, #panel input')]"
                ".filter(e => e.closest('[hidden]') === null).map(e => e.id)")
            # arrows, presets and ZERO, entry, lamp; no true switch without a table
            self.assertEqual(len(ids), 6 + 6 + 8 + 3, ids)
            for element_id in ids:
                box = driver.execute_script("""
                    const e = document.getElementById(arguments[0]);
                    const r = e.getBoundingClientRect();
                    const hit = document.elementFromPoint(r.x + r.width / 2, r.y + r.height / 2);
                    return [r.left, r.top, r.right, r.bottom, hit !== null && e.contains(hit),
                            document.documentElement.scrollWidth];""", element_id)
                left, top, right, bottom, reachable, scroll_width = box
                self.assertTrue(0 <= left and right <= 375 and 0 <= top and bottom <= 667,
                                (element_id, box))
                self.assertTrue(reachable, (element_id, box))
                self.assertLessEqual(scroll_width, 375)
            page.click("up3")  # and a click there does what it says
            self.assertEqual(pty.take(8), b"00010.0\r")
        finally:
            quit_browser(driver)
            self.assertEqual(server.stop(), 0)
            pty.close()


def websocket(port, rcvbuf=None):
    """A WebSocket to the page's server without a browser; the 101 read."""
    s = socket.socket()
    if rcvbuf:
        s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
    s.settimeout(TIMEOUT)
    s.connect(("127.0.0.1", port))
    host = "127.0.0.1:%d" % port
    s.sendall(("GET /ws HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: %s\r\nOrigin: http://%s\r\n\r\n"
               % (host, base64.b64encode(os.urandom(16)).decode(), host)).encode())
    answer = b""
    while b"\r\n\r\n" not in answer:
        chunk = s.recv(1)
        if not chunk:
            return s, ""
        answer += chunk
    return s, answer.split(b"\r\n")[0].decode()


def text_frame(payload):
    """One masked text frame, as a client sends it."""
    mask = os.urandom(4)
    size = len(payload)
    head = bytes([0x81]) + (bytes([0x80 | size]) if size < 126 else
                            bytes([0x80 | 126]) + size.to_bytes(2, "big"))
    return head + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(payload))


def closed(s):
    """Whether the server has closed the connection (after any frames it sent)."""
    try:
        while s.recv(65536):
            pass
        return True
    except ConnectionResetError:
        return True
    except socket.timeout:
        return False


class Limits(unittest.TestCase):
    """At most 16 pages (the longest silent makes room), messages of 4 KiB,
    and a page that does not read its updates, without a browser."""

    def test_sixteen_pages_then_the_silent_one_makes_room(self):
        server = PanelServer("--port", "3", "--slot-idle-ms", "800")
        try:
            pages = [websocket(server.http_port) for _ in range(16)]
            self.assertEqual({status for _, status in pages}, {"HTTP/1.1 101 Switching Protocols"})
            late, status = websocket(server.http_port)
            self.assertEqual(status, "")  # closed without an answer
            late.close()
            server.waitLog("refused: all 16 pages", 1)
            deadline = time.monotonic() + 1.2
            while time.monotonic() < deadline:  # fifteen stay alive; the first is silent
                for s, _ in pages[1:]:
                    s.sendall(text_frame(b"ping"))
                time.sleep(0.1)
            newcomer, status = websocket(server.http_port)
            self.assertEqual(status, "HTTP/1.1 101 Switching Protocols")
            server.waitLog("its slot given to", 1)
            self.assertRegex(server.logText(), r"page 127\.0\.0\.1:\d+ closed: silent for \d+ s")
            pages[0][0].settimeout(2)
            self.assertTrue(closed(pages[0][0]), server.logText())
            for s, _ in pages + [(newcomer, "")]:
                s.close()
        finally:
            self.assertEqual(server.stop(), 0)

    def test_oversized_and_malformed_messages_end_the_page(self):
        server = PanelServer("--port", "3")
        try:
            for payload in [b"enter " + b"1" * 5000, b"set 01234.5"]:
                s, status = websocket(server.http_port)
                self.assertEqual(status, "HTTP/1.1 101 Switching Protocols")
                s.sendall(text_frame(payload))
                s.settimeout(5)
                self.assertTrue(closed(s), payload[:20])
                s.close()
            server.waitLog("page 127.0.0.1", 4)
            self.assertIn("dropped: a message that is not an intent", server.logText())
        finally:
            self.assertEqual(server.stop(), 0)

    def test_a_page_that_does_not_read_is_dropped(self):
        pty = Pty()
        server = PanelServer("--device", pty.path)
        try:
            idle, status = websocket(server.http_port, rcvbuf=4096)
            self.assertEqual(status, "HTTP/1.1 101 Switching Protocols")
            with socket.create_connection(("127.0.0.1", server.port), TIMEOUT) as scpi:
                for batch in range(40):  # each value an update for the page
                    scpi.sendall(b"".join(b"RES %d\n" % (batch * 500 + i) for i in range(500)))
                    scpi.sendall(b"*OPC?\n")
                    self.assertEqual(scpi.recv(10), b"1\n")
                    pty.take(quiet=0.01)
                    if "not read" in server.logText():
                        break
            self.assertIn("dropped: 64 updates not read", server.logText())
            idle.close()
        finally:
            self.assertEqual(server.stop(), 0)
            pty.close()


def read_frame(s):
    """One unmasked frame from the server: its payload as text."""
    def exact(count):
        data = b""
        while len(data) < count:
            chunk = s.recv(count - len(data))
            if not chunk:
                raise ConnectionError("closed after %r" % data[:80])
            data += chunk
        return data
    head = exact(2)
    size = head[1] & 0x7F
    if size == 126:
        size = int.from_bytes(exact(2), "big")
    elif size == 127:
        size = int.from_bytes(exact(8), "big")
    return exact(size).decode()


def next_message(s, kind):
    while True:
        message = json.loads(read_frame(s))
        if message["type"] == kind:
            return message


def rows(history):
    """A history message as (ohms, celsius, sender) rows."""
    return [(o, c, history["senders"][b])
            for o, c, b in zip(history["ohms"], history["celsius"], history["by"])]


class History(unittest.TestCase):
    """The values set, as the page's plot holds and draws them, and as the
    WebSocket and /history.csv give them to real clients."""

    def setUp(self):
        self.pty = Pty()
        self.server = PanelServer("--device", self.pty.path, "--http-token", "t0k")
        self.host = "127.0.0.1:%d" % self.server.http_port
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.server.scratch.name)

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def scpi(self, *lines):
        with socket.create_connection(("127.0.0.1", self.server.port), TIMEOUT) as s:
            s.sendall(b"".join(line + b"\n" for line in lines) + b"*OPC?\n")
            self.assertEqual(s.recv(10), b"1\n")
            return "SCPI client 127.0.0.1:%d" % s.getsockname()[1]

    def ctl(self, *words):
        run = subprocess.run([CTL, "--quiet", "--device", self.pty.path, *words], env=self.env,
                             capture_output=True, timeout=TIMEOUT)
        self.assertEqual(run.returncode, 0, run.stderr)

    def get(self, path):
        request = urllib.request.Request("http://127.0.0.1:%d%s" % (self.server.http_port, path))
        request.add_header("Cookie", "token_%d=t0k" % self.server.http_port)
        try:
            with urllib.request.urlopen(request, timeout=TIMEOUT) as answer:
                return answer.status, dict(answer.headers), answer.read().decode()
        except urllib.error.HTTPError as error:
            return error.code, dict(error.headers), error.read().decode()

    def socket_with_token(self):
        s = socket.create_connection(("127.0.0.1", self.server.http_port), TIMEOUT)
        s.sendall(("GET /ws HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                   "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: %s\r\nOrigin: http://%s\r\n"
                   "Cookie: token_%d=t0k\r\n\r\n" % (self.host, base64.b64encode(os.urandom(16)).decode(),
                                                    self.host, self.server.http_port)).encode())
        answer = b""
        while b"\r\n\r\n" not in answer:
            answer += s.recv(1)
        self.assertTrue(answer.startswith(b"HTTP/1.1 101"), answer)
        return s

    def test_a_new_page_gets_the_hour_then_each_value(self):
        scpi = self.scpi(b"RES 10", b"TEMP:SENS PT100;:TEMP 100", b"RES 20")
        self.pty.take(24)
        page = self.socket_with_token()
        self.assertEqual(next_message(page, "state")["progress"], None)
        hour = next_message(page, "history")
        self.assertTrue(hour["whole"])
        self.assertEqual(rows(hour), [(10.0, None, scpi), (138.5, 100.0, scpi), (20.0, None, scpi)])
        self.assertEqual(hour["n"], [1, 2, 3])
        self.ctl("set", "4k7")  # seen in the record
        self.pty.take(8)
        step = next_message(page, "history")
        self.assertEqual((step["whole"], step["n"]), (False, [4]))
        (ohms, celsius, sender), = rows(step)
        self.assertEqual((ohms, celsius), (4700.0, None))
        self.assertRegex(sender, r"^6175ZIZ-ctl \(process \d+\)$")
        page.close()

    def test_csv_under_the_pages_rules(self):
        scpi = self.scpi(b"RES 1234.5", b"TEMP:SENS PT100;:TEMP -50")
        self.pty.take(16)
        status, headers, body = self.get("/history.csv")
        self.assertEqual(status, 200)
        self.assertEqual(headers["Content-Type"], "text/csv; charset=utf-8")
        self.assertIn("attachment", headers["Content-Disposition"])
        lines = body.split("\r\n")
        self.assertEqual(lines[0], "time,command,ohms,celsius,sender")
        self.assertRegex(lines[1], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z,01234\.5,1234\.5,,%s$"
                         % re.escape(scpi))
        self.assertRegex(lines[2], r"Z,00080\.3,80\.3,-50,%s$" % re.escape(scpi))
        self.assertEqual(lines[3:], [""])
        for path, cookie, host, want in [
                ("/history.csv", False, None, 403),                   # no token
                ("/history.csv?token=t0k", False, None, 303),         # the printed address: cookie set
                ("/history.csv", True, "rebound.example:%d" % self.server.http_port, 421)]:
            with socket.create_connection(("127.0.0.1", self.server.http_port), TIMEOUT) as s:
                s.sendall(("GET %s HTTP/1.1\r\nHost: %s\r\n%s\r\n" % (
                    path, host or self.host,
                    "Cookie: token_%d=t0k\r\n" % self.server.http_port if cookie else "")).encode())
                self.assertIn(b" %d " % want, s.recv(200).split(b"\r\n")[0], (path, cookie, host))

    @staticmethod
    def point_at(driver, number, tap=False):
        plot = driver.find_element(By.ID, "history-plot")
        driver.execute_script("arguments[0].scrollIntoView()", plot)
        at = driver.execute_script("return panelHistory.offsetOf(arguments[0])", number)
        actions = webdriver.ActionChains(driver).move_to_element_with_offset(
            plot, int(at["x"]) + 2, int(at["y"]))
        (actions.click() if tap else actions).perform()

    def test_the_plot_follows_every_sender(self):
        driver = browser()
        try:
            page = Page(driver, "http://%s/?token=t0k" % self.host)
            points = lambda: driver.execute_script("return panelHistory.points()")
            self.ctl("set", "4k7")
            self.assertEqual(self.pty.take(8), b"04700.0\r")
            page.wait_for(lambda: len(points()) == 1, "the set's point")
            self.ctl("sweep", "100", "400", "--step", "100", "--dwell", "300ms")
            self.assertEqual(self.pty.take(32), b"00100.0\r00200.0\r00300.0\r00400.0\r")
            page.wait_for(lambda: len(points()) == 5, "the sweep's points: %s" % points())
            scpi = self.scpi(b"TEMP:SENS PT100;:TEMP 100")
            self.pty.take(8)
            page.wait_for(lambda: len(points()) == 6, "the temperature's point")
            got = points()
            self.assertEqual([(p["ohms"], p["celsius"]) for p in got],
                             [(4700.0, None), (100.0, None), (200.0, None), (300.0, None),
                              (400.0, None), (138.5, 100)])
            for p in got[:5]:
                self.assertRegex(p["by"], r"^6175ZIZ-ctl \(process \d+\)$")
            self.assertEqual(got[5]["by"], scpi)
            self.assertEqual([p["n"] for p in got], list(range(1, 7)))
            page.wait_for(lambda: driver.find_element(By.ID, "history-plot").get_attribute("data-last") == "6")
            # The pointer on the last step names its value, sender and time.
            self.point_at(driver, 6)
            tip = driver.find_element(By.ID, "history-tip")
            page.wait_for(lambda: tip.is_displayed(), "the tip")
            self.assertIn("138.5 \u03A9 (100 \u00B0C)", tip.text)
            self.assertIn("set by " + scpi, tip.text)
            self.assertEqual(tip.get_attribute("data-number"), "6")
            # A run's progress, as the state would bring it, above the plot.
            progress = driver.find_element(By.ID, "progress")
            self.assertFalse(progress.is_displayed())
            for fields, text in [
                    ({"step": 3, "steps": 10, "text": "ramp to 1k", "targetOhms": 1000.0, "secondsLeft": 150},
                     "Step 3 of 10 \u00B7 ramp to 1k \u00B7 target 1000.0 \u03A9 \u00B7 2:30 left"),
                    ({"step": 7, "steps": 0, "text": "", "targetOhms": None, "secondsLeft": 3725},
                     "Step 7 \u00B7 1:02:05 left"),
                    (None, "")]:
                driver.execute_script("document.dispatchEvent(new CustomEvent('panelmessage', "
                                      "{detail: {type: 'state', progress: arguments[0]}}))", fields)
                self.assertEqual(progress.text, text, fields)
                self.assertEqual(progress.is_displayed(), fields is not None)
            # A real ramp: its progress while it runs, its points as they go out.
            with socket.create_connection(("127.0.0.1", self.server.port), TIMEOUT) as s:
                s.sendall(b"RES 400;RES:SLEW 1000;RES 1000\n")
                page.wait_for(lambda: "slew to 1000.0 \u03A9" in progress.text, "the ramp's progress")
                s.sendall(b"*OPC?\n")
                self.assertEqual(s.recv(10), b"1\n")
            page.wait_for(lambda: not progress.is_displayed(), "the progress gone at the end")
            ramp = points()[6:]
            self.assertGreater(len(ramp), 10)
            self.assertEqual((ramp[0]["ohms"], ramp[-1]["ohms"]), (400.0, 1000.0))
            self.assertTrue(all(p["by"].endswith(", ramp") for p in ramp[1:]), ramp)
        finally:
            quit_browser(driver)

    def test_the_plot_on_a_phone_screen(self):
        driver = browser()
        try:
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                   {"width": 375, "height": 667, "deviceScaleFactor": 2, "mobile": True})
            page = Page(driver, "http://%s/?token=t0k" % self.host)
            self.scpi(b"RES 100", b"RES 200")
            page.wait_for(lambda: driver.execute_script("return panelHistory.drawn().count") == 2)
            driver.execute_script("document.getElementById('history').scrollIntoView()")
            box = driver.execute_script("""
                const r = document.getElementById('history-plot').getBoundingClientRect();
                const link = document.getElementById('history-csv').getBoundingClientRect();
                return [r.left, r.right, r.height, link.right, document.documentElement.scrollWidth];""")
            left, right, height, link_right, scroll_width = box
            self.assertTrue(0 <= left and right <= 375 and 100 <= height <= 667 / 2, box)
            self.assertLessEqual(link_right, 375)
            self.assertLessEqual(scroll_width, 375)
            self.point_at(driver, 2, tap=True)
            tip = driver.find_element(By.ID, "history-tip")
            page.wait_for(lambda: tip.is_displayed(), "the tip")
            self.assertIn("200.0 \u03A9", tip.text)
            r = driver.execute_script("return document.getElementById('history-tip').getBoundingClientRect()"
                                      ".toJSON()")
            self.assertTrue(0 <= r["left"] and r["right"] <= 375, r)
        finally:
            quit_browser(driver)


class Refusals(unittest.TestCase):
    """Requests a browser page from elsewhere could make, refused."""

    def setUp(self):
        self.server = PanelServer("--port", "3")
        self.host = "127.0.0.1:%d" % self.server.http_port

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0)

    def request(self, text):
        with socket.create_connection(("127.0.0.1", self.server.http_port), TIMEOUT) as s:
            s.sendall(text.encode())
            answer = b""
            while b"\r\n\r\n" not in answer:
                chunk = s.recv(4096)
                if not chunk:
                    break
                answer += chunk
            return answer.split(b"\r\n")[0].decode()

    def upgrade(self, host, origin):
        key = base64.b64encode(os.urandom(16)).decode()
        return self.request("GET /ws HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\n"
                            "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                            "Sec-WebSocket-Key: %s\r\nOrigin: %s\r\n\r\n" % (host, key, origin))

    def test_foreign_origin_and_host(self):
        port = self.server.http_port
        for host, origin, status in [
                (self.host, "http://" + self.host, "HTTP/1.1 101 Switching Protocols"),
                ("localhost:%d" % port, "http://localhost:%d" % port, "HTTP/1.1 101 Switching Protocols"),
                (self.host, "http://evil.example", "HTTP/1.1 403 Forbidden"),
                (self.host, "http://127.0.0.1:%d" % (port + 1), "HTTP/1.1 403 Forbidden"),
                (self.host, "null", "HTTP/1.1 403 Forbidden"),
                ("evil.example:%d" % port, "http://evil.example:%d" % port, "HTTP/1.1 421 Misdirected Request")]:
            self.assertEqual(self.upgrade(host, origin), status, (host, origin))
        for request, status in [
                ("GET / HTTP/1.1\r\nHost: rebound.example:%d\r\n\r\n" % port, "421 Misdirected Request"),
                ("GET / HTTP/1.1\r\n\r\n", "421 Misdirected Request"),
                ("GET / HTTP/1.1\r\nHost: %s\r\n\r\n" % self.host, "200 OK"),
                ("GET /lxi/identification HTTP/1.1\r\nHost: %s\r\n\r\n" % self.host, "200 OK"),
                ("GET /../../etc/passwd HTTP/1.1\r\nHost: %s\r\n\r\n" % self.host, "404 Not Found"),
                ("POST / HTTP/1.1\r\nHost: %s\r\nContent-Length: 0\r\n\r\n" % self.host,
                 "405 Method Not Allowed")]:
            self.assertEqual(self.request(request), "HTTP/1.1 " + status, request)
        self.server.waitLog("refused", 1)  # the log is read as it comes, not at once
        self.assertIn("refused", self.server.logText())

    def test_identification_matches_idn(self):
        with socket.create_connection(("127.0.0.1", self.server.port), TIMEOUT) as s:
            s.sendall(b"*IDN?\n")
            maker, model, serial, firmware = s.recv(100).decode().strip().split(",")
        with socket.create_connection(("127.0.0.1", self.server.http_port), TIMEOUT) as s:
            s.sendall(("GET /lxi/identification HTTP/1.1\r\nHost: %s\r\nConnection: close\r\n\r\n"
                       % self.host).encode())
            xml = b""
            while chunk := s.recv(4096):
                xml += chunk
        xml = xml.decode()
        for tag, value in [("Manufacturer", maker), ("Model", model), ("SerialNumber", serial),
                           ("FirmwareRevision", firmware),
                           ("InstrumentAddressString", "TCPIP::127.0.0.1::%d::SOCKET" % self.server.port)]:
            self.assertIn("<%s>%s</%s>" % (tag, value, tag), xml)

    def test_idle_http_connection_closed(self):
        # Not 30 s here: a connection that never sends is cut, a whole request is not needed.
        with socket.create_connection(("127.0.0.1", self.server.http_port), TIMEOUT) as s:
            s.settimeout(40)
            started = time.monotonic()
            self.assertEqual(s.recv(10), b"")
            self.assertTrue(29 <= time.monotonic() - started <= 35)


if __name__ == "__main__":
    unittest.main(verbosity=2)
