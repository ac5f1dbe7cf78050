#!/usr/bin/python3
"""The board in a browser: from a running-clock packet's last byte written
by a loopback timing peer to the changed rectangle painted into the board
page's canvas in Debian's Chromium (headless), and to the browser's next
animation frame after it, beside the board's own band latency and the
/board message's latency measured by bench_WebLatency in the same run.
Percentiles in microseconds.

    bench/web-paint.py BIN [PACKETS]

BIN is the bin folder of a build with TESSARON_BENCH=ON.
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

BIN = os.path.abspath(sys.argv[1])
PACKETS = int(sys.argv[2]) if len(sys.argv) > 2 else 300
WIDTH, HEIGHT = 1920, 1080

# Every picture drawn into the canvas, and the animation frame after it,
# stamped on the wall clock the peer stamps its packets with.
HOOK = """
window.drawnAt = []; window.frameAt = [];
const draw = CanvasRenderingContext2D.prototype.drawImage;
CanvasRenderingContext2D.prototype.drawImage = function (...args) {
  const result = draw.apply(this, args);
  window.drawnAt.push(performance.timeOrigin + performance.now());
  requestAnimationFrame(() => window.frameAt.push(performance.timeOrigin + performance.now()));
  return result;
};
"""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def percentiles(micros):
    micros = sorted(micros)
    if not micros:
        return float("nan"), float("nan")
    return micros[len(micros) // 2], micros[len(micros) * 99 // 100]


def latencies(sent, stamps):
    """For each packet, the first stamp after it, as microseconds."""
    out, at = [], 0
    for t in sent:
        while at < len(stamps) and stamps[at] < t:
            at += 1
        if at < len(stamps):
            out.append((stamps[at] - t) * 1000.0)
    return out


def board_bench():
    """bench_WebLatency's band and web percentiles with no other client."""
    run = subprocess.run([os.path.join(BIN, "bench_WebLatency"), "--benchmark_filter=BM_WebLatency/0/",
                          "--benchmark_format=json"], capture_output=True, text=True, check=True)
    counters = json.loads(run.stdout)["benchmarks"][0]
    return {name: counters[name] for name in
            ("band_p50_us", "band_p99_us", "web_p50_us", "web_p99_us")}


def main():
    home = tempfile.mkdtemp(prefix="tessaron-web-paint-")
    server = driver = peer = None
    try:
        for name in os.listdir(BIN):
            if name.endswith(".fnt") or name in ("Results.rss", "Logo.tga"):
                shutil.copy(os.path.join(BIN, name), home)
        source_port, web_port = free_port(), free_port()
        with open(os.path.join(home, "tessaron.cfg"), "w") as f:
            f.write("Registry Version: 1.00\n\\Sources\\1\\:=\n\\Sources\\1\\Name:String=Pool\n"
                    "\\Sources\\1\\Script:String=Results.rss\n"
                    "\\Sources\\1\\SerialPort:String=-2,127.0.0.1,%d\n"
                    "\\Sources\\1\\CharMode:Int=0\n" % source_port)
        server = subprocess.Popen(
            [os.path.join(BIN, "tessaron-cli"), "serve", "--home", home, "--size",
             "%dx%d" % (WIDTH, HEIGHT), "--listen", "127.0.0.1:%d" % web_port,
             os.path.join(BIN, "layouts", "Results.tly")],
            stdout=subprocess.PIPE, env=dict(os.environ, XDG_CONFIG_HOME=home))
        url = json.loads(server.stdout.readline().decode())["listening"]

        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--user-data-dir=" + os.path.join(home, "profile"),
                         "--disable-background-networking", "--disable-sync",
                         "--disable-component-update", "--no-first-run",
                         "--window-size=%d,%d" % (WIDTH, HEIGHT)):
            options.add_argument(argument)
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": HOOK})
        driver.get(url)
        peer = socket.create_connection(("127.0.0.1", source_port))
        until = time.time() + 20
        while not driver.execute_script("return window.boardPainted") and time.time() < until:
            time.sleep(0.1)
        time.sleep(0.5)
        driver.execute_script("window.drawnAt = []; window.frameAt = [];")

        sent = []
        for tenth in range(PACKETS):
            body = "C%3d:%02d.%d" % (1 + tenth // 600, tenth // 10 % 60, tenth % 10)
            data = b"\x02" + body.encode() + b"\r\x03"
            sent.append(time.time() * 1000.0)
            peer.sendall(data)
            time.sleep(0.04)  # more than a frame: every change is painted on its own
        time.sleep(0.5)
        drawn = driver.execute_script("return window.drawnAt")
        frames = driver.execute_script("return window.frameAt")
    finally:
        if peer:
            peer.close()
        if driver:
            driver.quit()
        if server:
            server.send_signal(signal.SIGTERM)
            server.wait(timeout=30)
        shutil.rmtree(home, ignore_errors=True)

    board = board_bench()
    painted = latencies(sent, drawn)
    frame = latencies(sent, frames)
    print("%-28s %9s %9s %7s" % ("packet to", "p50_us", "p99_us", "count"))
    print("%-28s %9.0f %9.0f" % ("band copied (board)", board["band_p50_us"], board["band_p99_us"]))
    print("%-28s %9.0f %9.0f" % ("/board message received", board["web_p50_us"],
                                 board["web_p99_us"]))
    print("%-28s %9.0f %9.0f %7d" % (("canvas painted (chromium)",) + percentiles(painted) +
                                     (len(painted),)))
    print("%-28s %9.0f %9.0f %7d" % (("next frame (chromium)",) + percentiles(frame) +
                                     (len(frame),)))


if __name__ == "__main__":
    main()
