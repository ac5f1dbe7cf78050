#!/usr/bin/python3
"""The web pages in a real browser: Debian's Chromium, headless, with a
fresh profile and background networking, sync and component updates off,
driven through Selenium. tessaron-cli serve shows the demo's results layout;
the canvas of the board page must equal what tessaron-cli render draws of the
same bytes, pixel for pixel; transparent mode must give alpha 0 where the
layout shows its Background; the page must come back by itself after the
server restarts. Pictures of the board page and of the operator page in a
phone-sized window are left in the screenshots folder.

    browser_test.py BIN_DIR SCREENSHOT_DIR
"""

import base64
import json
import os
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request
import zlib

from selenium import webdriver
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.chrome.service import Service

BIN = os.path.abspath(sys.argv[1])
SHOTS = os.path.abspath(sys.argv[2])
WIDTH, HEIGHT = 640, 480


def packet(body):
    return b"\x02" + body.encode() + b"\r\x03"


HEAT = (packet("H10203Women 100m Freestyle") +
        packet("L1 5Anna Berg           SWE 54.87") +
        packet("L4 1Maria Rossi         ITA 53.12"))
RESULT = packet("L2 2Chloe Martin        FRA 53.90")

OVERLAY = {"background": "Background", "objects": [
    {"class": "TTextObject", "x": 20, "y": 280, "width": 400, "text": "1:02.35",
     "font": {"name": "DejaVu Sans", "size": 40, "face": "Yellow"}}]}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def read_png_rgb(path):
    """The pixels of an 8-bit RGB PNG (as KPngWriter writes them), row by row."""
    with open(path, "rb") as f:
        data = f.read()
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour == 2, "not 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw, stride, rows, prior = zlib.decompress(idat), width * 3, [], bytearray(width * 3)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - 3] if x >= 3 else 0
            b = prior[x]
            c = prior[x - 3] if x >= 3 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append(bytes(line))
        prior = line
    return width, height, b"".join(rows)


class BrowserPages(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.home = tempfile.mkdtemp(prefix="tessaron-browser-")
        for name in os.listdir(BIN):
            if name.endswith(".fnt") or name in ("Results.rss", "Logo.tga"):
                shutil.copy(os.path.join(BIN, name), cls.home)
        cls.source_port = free_port()
        cls.web_port = free_port()
        cls.configure(cls.source_port)
        with open(os.path.join(cls.home, "overlay.json"), "w") as f:
            json.dump(OVERLAY, f)
        cls.overlay = os.path.join(cls.home, "overlay.tly")
        subprocess.run([os.path.join(BIN, "tessaron-cli"), "layout", "--home", cls.home,
                        "convert", os.path.join(cls.home, "overlay.json"), cls.overlay],
                       check=True, stdout=subprocess.DEVNULL)
        cls.results = os.path.join(BIN, "layouts", "Results.tly")
        cls.server = None
        os.makedirs(SHOTS, exist_ok=True)
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--user-data-dir=" + os.path.join(cls.home, "profile"),
                         "--disable-background-networking", "--disable-sync",
                         "--disable-component-update", "--no-first-run",
                         "--disable-default-apps", "--force-color-profile=srgb",
                         "--window-size=%d,%d" % (WIDTH, HEIGHT)):
            options.add_argument(argument)
        cls.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.stop_server()
        shutil.rmtree(cls.home, ignore_errors=True)

    @classmethod
    def configure(cls, source_port):
        with open(os.path.join(cls.home, "tessaron.cfg"), "w") as f:
            f.write("Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                    "\\Sources\\1\\Script:String=Results.rss\n"
                    "\\Sources\\1\\SerialPort:String=-2,127.0.0.1,%d\n"
                    "\\Sources\\1\\CharMode:Int=0\n" % source_port)

    @classmethod
    def start_server(cls):
        cls.server = subprocess.Popen(
            [os.path.join(BIN, "tessaron-cli"), "serve", "--home", cls.home, "--size",
             "%dx%d" % (WIDTH, HEIGHT), "--listen", "127.0.0.1:%d" % cls.web_port,
             cls.results, cls.overlay],
            stdout=subprocess.PIPE, env=dict(os.environ, XDG_CONFIG_HOME=cls.home))
        line = cls.server.stdout.readline().decode()
        assert line.startswith('{"listening":'), line
        cls.url = json.loads(line)["listening"]

    @classmethod
    def stop_server(cls):
        if cls.server:
            cls.server.send_signal(signal.SIGTERM)
            assert cls.server.wait(timeout=30) == 0
            cls.server.stdout.close()
            cls.server = None

    def feed(self, data):
        for _ in range(100):
            try:
                with socket.create_connection(("127.0.0.1", self.source_port)) as s:
                    s.sendall(data)
                    time.sleep(0.3)
                return
            except OSError:
                time.sleep(0.1)
        self.fail("the source does not listen")

    def rendered(self, data):
        capture = os.path.join(self.home, "capture")
        with open(capture, "wb") as f:
            f.write(data)
        self.configure(0)
        out = os.path.join(self.home, "render.png")
        subprocess.run([os.path.join(BIN, "tessaron-cli"), "render", "--home", self.home,
                        "--size", "%dx%d" % (WIDTH, HEIGHT), "--capture", capture, "--out",
                        out, self.results], check=True, stdout=subprocess.DEVNULL,
                       env=dict(os.environ, XDG_CONFIG_HOME=self.home))
        self.configure(self.source_port)
        width, height, rgb = read_png_rgb(out)
        self.assertEqual((width, height), (WIDTH, HEIGHT))
        return rgb

    def canvas(self):
        """The canvas's RGBA bytes, or None before it has the board's size."""
        encoded = self.driver.execute_script("""
            const c = document.getElementById('board');
            if (c.width !== arguments[0] || c.height !== arguments[1] || !window.boardPainted)
                return null;
            const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            let s = '';
            for (let i = 0; i < d.length; i += 32768)
                s += String.fromCharCode.apply(null, d.subarray(i, i + 32768));
            return btoa(s);""", WIDTH, HEIGHT)
        return base64.b64decode(encoded) if encoded else None

    def wait_for_canvas(self, good, seconds=15):
        until = time.time() + seconds
        rgba = None
        while time.time() < until:
            rgba = self.canvas()
            if rgba and good(rgba):
                return rgba
            time.sleep(0.1)
        return rgba

    def post(self, path):
        request = urllib.request.Request(self.url.rstrip("/") + path, method="POST")
        with urllib.request.urlopen(request) as answer:
            return answer.status

    def test_1_the_canvas_equals_the_engines_pixels_and_survives_a_restart(self):
        self.start_server()
        self.feed(HEAT)
        expected = self.rendered(HEAT)
        self.driver.get(self.url)
        rgba = self.wait_for_canvas(lambda p: p[0::4] == expected[0::3] and
                                    p[1::4] == expected[1::3] and p[2::4] == expected[2::3])
        self.assertIsNotNone(rgba)
        differ = sum(1 for i in range(WIDTH * HEIGHT)
                     if rgba[4 * i:4 * i + 3] != expected[3 * i:3 * i + 3])
        self.assertEqual(differ, 0)
        self.assertTrue(all(a == 255 for a in rgba[3::4]))
        self.assertFalse(self.official_shown(rgba))
        self.driver.set_window_size(1280, 800)
        time.sleep(0.5)
        self.driver.save_screenshot(os.path.join(SHOTS, "web-board.png"))
        self.driver.set_window_size(WIDTH, HEIGHT)

        # The server goes and comes back with more data: the page follows.
        self.stop_server()
        self.start_server()
        self.feed(HEAT + RESULT)
        expected = self.rendered(HEAT + RESULT)
        rgba = self.wait_for_canvas(lambda p: p[0::4] == expected[0::3] and
                                    p[1::4] == expected[1::3] and p[2::4] == expected[2::3])
        self.assertTrue(rgba and rgba[0::4] == expected[0::3] and rgba[1::4] == expected[1::3])

    def test_2_transparent_mode_clears_the_background(self):
        if not self.server:
            self.start_server()
        self.assertEqual(self.post("/api/show?window=2&delay=0"), 204)
        self.driver.get(self.url + "?transparent=1")
        rgba = self.wait_for_canvas(lambda p: p[3] == 0 and any(a == 255 for a in p[3::4]))
        self.assertIsNotNone(rgba)
        self.assertEqual(rgba[3], 0)  # the corner shows the layout's Background
        opaque = sum(1 for a in rgba[3::4] if a == 255)
        self.assertGreater(opaque, 100)  # the text
        self.assertEqual(opaque + sum(1 for a in rgba[3::4] if a == 0), WIDTH * HEIGHT)
        self.assertEqual(self.post("/api/show?window=1&delay=0"), 204)

    def official_shown(self, rgba):
        """Whether the results layout's OFFICIAL box (white on red) is lit."""
        red = 0
        for y in range(424, 450):
            for x in range(240, 520):
                r, g, b = rgba[4 * (y * WIDTH + x):4 * (y * WIDTH + x) + 3]
                red += r > 200 and g < 80 and b < 80
        return red > 1000

    def operator_buttons(self, selector):
        """The texts of the page's buttons (rebuilt as the page polls)."""
        for _ in range(20):
            try:
                return [b.text for b in self.driver.find_elements("css selector", selector)]
            except StaleElementReferenceException:
                time.sleep(0.05)
        return []

    def wait_for_buttons(self, selector, texts):
        for _ in range(100):
            if self.operator_buttons(selector) == texts:
                return True
            time.sleep(0.1)
        return False

    def click(self, selector, text):
        for _ in range(100):
            try:
                for button in self.driver.find_elements("css selector", selector):
                    if button.text == text:
                        button.click()
                        return
            except StaleElementReferenceException:
                pass
            time.sleep(0.05)
        self.fail("no button " + text)

    def current_layout(self):
        with urllib.request.urlopen(self.url + "api/layouts") as answer:
            layouts = json.load(answer)
        return [layout["title"] for layout in layouts if layout["current"]]

    def wait_for_current(self, title):
        for _ in range(100):
            if self.current_layout() == [title]:
                return True
            time.sleep(0.1)
        return False

    def test_3_the_operator_page_switches_layouts_and_fires_a_trigger_on_a_phone(self):
        if not self.server:
            self.start_server()
        self.driver.set_window_size(390, 844)
        self.driver.get(self.url + "operator")
        self.assertTrue(self.wait_for_buttons("#layouts button", ["Results", "overlay"]))
        self.click("#layouts button", "overlay")
        self.assertTrue(self.wait_for_current("overlay"))
        self.click("#layouts button", "Results")
        self.assertTrue(self.wait_for_current("Results"))
        # The results layout's trigger: the official result is shown.
        self.assertTrue(self.wait_for_buttons("#triggers button", ["F1"]))
        self.click("#triggers button", "F1")
        # A timing system connected and sending: its status and last packet.
        with socket.create_connection(("127.0.0.1", self.source_port)) as timing:
            timing.sendall(RESULT)
            for _ in range(100):
                packet = self.driver.find_element("id", "packet").text
                sources = self.driver.find_element("id", "sources").text
                if "Chloe Martin" in packet and sources == "Pool: Running":
                    break
                time.sleep(0.1)
            self.assertIn("Chloe Martin", packet)
            self.assertEqual(sources, "Pool: Running")
            self.driver.save_screenshot(os.path.join(SHOTS, "web-operator.png"))
        self.driver.set_window_size(WIDTH, HEIGHT)
        self.driver.get(self.url)
        rgba = self.wait_for_canvas(self.official_shown)
        self.assertTrue(rgba and self.official_shown(rgba))

if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
