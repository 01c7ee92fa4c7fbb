#!/usr/bin/python3
"""The web build end to end in headless Chromium, driven through the DevTools
protocol: the cases of CASES, each told by its check function, in a page
served from a local server. Most compare the canvas with spritedemo-render's
frame at the same pointer position, every pixel outside the frame-rate text.
Four also print the page's script time a frame (measure_script), three of them
with, sampled (Profile), its widening for a 2D canvas and its present:
measured, not checked.

    web_e2e.py SITE_DIR RENDER_TOOL [--screenshot OUT.png] [--drops N]

--screenshot saves the page in a 1400x560 viewport after a second and a half
(pointer at 100,80, the caption open beside the picture).
Needs Debian's chromium, and /usr/bin/python3 with python3-websocket and
python3-pil. Everything has a time limit; a failed case keeps its pictures
in a directory it names. Exit status 0 when every case passed.
"""

import argparse
import base64
import collections
import functools
import http.server
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

import websocket

HERE = os.path.dirname(os.path.abspath(__file__))
HERE_TOP = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True  # keep the source folders clean
sys.path[:0] = [HERE, os.path.join(HERE_TOP, "tests", "tools")]
from compare_565 import Picture, differing, diff_picture, read_png, write_png  # noqa: E402
from spritetool_helper import raw_png, scanlines  # noqa: E402

CHROMIUM = "/usr/bin/chromium"
TEXT_BOX = (0, 0, 200, 50)  # where the frame-rate text may differ: the rate itself
WIDTH, HEIGHT = 640, 480
BUNNY_RATE_BOX = (175, 0, WIDTH, 20)  # the rate's digits after "bunnies: 2000  FPS : "
FROZEN = (2000, 120, 7)  # bunnies, frames and seed of the bunnymark's frozen frame
TOTAL_SECONDS = 240
MEASURED_FRAMES = 300  # the page's script time a frame is reported over at least these
MEASURED_BUNNIES = 30000  # the bunnymark's page is measured with these

# Viewport width, height, device pixel ratio, touch; the canvas's expected
# shown size in CSS pixels; then: None, a width and height the viewport is
# made after loading, or "own PNGs": the guide's PNGs used, their files listed.
VIEWPORTS = [
    (1920, 1080, 1, False, 1280, 960, "own PNGs"),  # two steps: the caption does not cost one
    (1440, 900, 2, False, 960, 720, None),          # three device pixels a frame pixel
    (844, 390, 3, True, 520, 390, None),            # a phone across: below 1:1, fitted to the height
    (390, 844, 3, True, 390, 292.5, None),          # upright: fitted to the width
    (1366, 768, 1, False, 640, 480, "own PNGs"),    # the caption beside the canvas
    (1366, 768, 1, False, 640, 480, (1000, 800)),   # made smaller: it would cover the canvas
]
GUIDE_PNGS = [os.path.join(HERE_TOP, "docs", "sprites", name) for name in ("star.png", "backdrop.png")]
# Files the page refuses: name, how to make its bytes from the sample girl.spr,
# and what the reason starts with (None: spritetool info's reason).
REFUSED = [
    ("bg.spr", lambda sprite: sprite[:len(sprite) // 2], None),  # cut short inside the pixel block
    ("art.png", lambda sprite: b"\x89PNG\r\n\x1a\n" + sprite[:40], "could not be read as a PNG"),
]
# PNGs as spritetool reads them (colour type, bits, interlaced, tRNS): grey
# and palettes widened, 16-bit samples cut to their high byte, transparency
# from tRNS.
PNG_KINDS = [
    (0, 1, False, None), (0, 2, True, b"\x00\x01"), (0, 16, False, b"\x80\xff"), (2, 16, True, None),
    (3, 4, False, bytes(range(0, 256, 17))), (4, 8, True, None), (6, 16, False, None),
    (2, 8, False, b"\0\x10\0\x20\0\x30"),
]
# Script that leaves in s the bytes of d, a Uint8Array, for btoa.
BASE64_OF_D = (" let s = ''; for (let i = 0; i < d.length; i += 32768)"
               " s += String.fromCharCode.apply(null, d.subarray(i, i + 32768));")
# Counts each program instance the page makes, to see later which still live.
COUNT_INSTANCES = """(() => { window.instances = []; const create = window.createSpritedemo;
  window.createSpritedemo = async (options) => {
    const module = await create(options); instances.push(new WeakRef(module)); return module; }; })()"""


def make_png(path, colour_type, depth, interlaced, transparency, size=13):
    """A size x size PNG of the kind, samples spread over every value."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    top = (1 << depth) - 1 if colour_type != 3 else 15

    def row(y, xs):
        samples = [(x * 7919 + y * 104729 + c * 1299709) * 2654435761 % (top + 1) for x in xs for c in range(channels)]
        if depth == 16:
            return b"\0" + b"".join(v.to_bytes(2, "big") for v in samples)
        bits = "".join(format(v, "0%db" % depth) for v in samples)
        bits += "0" * (-len(bits) % 8)
        return b"\0" + bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    palette = bytes((i * 53 + c * 97) % 256 for i in range(16) for c in range(3)) if colour_type == 3 else None
    with open(path, "wb") as f:
        f.write(raw_png(size, size, depth, colour_type, 1 if interlaced else 0,
                        scanlines(size, size, interlaced, row), palette, transparency))


class Failure(Exception):
    pass


class OutOfTime(BaseException):
    """Raised by the alarm anywhere: no case catches it."""


def wait_for(what, check, seconds):
    """Polls check() until it returns something true; Failure after seconds."""
    deadline = time.monotonic() + seconds
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("%s: not within %d s" % (what, seconds))
        time.sleep(0.1)


class Server:
    """The site on a free local port, in a thread of this process."""

    def __init__(self, site):
        handler = functools.partial(QuietHandler, directory=site)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map, **{".wasm": "application/wasm"})

    def log_message(self, *args):
        pass


class Browser:
    """Headless Chromium with a fresh profile, and one page to drive."""

    def __init__(self, work):
        self.profile = os.path.join(work, "profile")
        args = [CHROMIUM, "--headless", "--disable-gpu", "--disable-quic", "--no-first-run",
                "--disable-background-networking", "--disable-component-update", "--disable-sync",
                "--user-data-dir=" + self.profile, "--remote-debugging-port=0", "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")  # Chromium's sandbox refuses to run as root
        self.log = open(os.path.join(work, "chromium.log"), "w")
        # Its own session, so that anything it leaves behind can be ended with it.
        self.process = subprocess.Popen(args, stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)
        self.socket = None
        self.next_id = 0

    def connect(self):
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        port = wait_for("Chromium's DevTools port", lambda: self._read_port(port_file), 30)
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port, timeout=10))
        page = next(t for t in targets if t.get("type") == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=10, suppress_origin=True)

    def _read_port(self, path):
        if self.process.poll() is not None:
            raise Failure("Chromium ended at once (status %d); see %s" % (self.process.returncode, self.log.name))
        try:
            with open(path) as f:
                return f.readline().strip()
        except OSError:
            return None

    def call(self, method, seconds=20, **params):
        """One DevTools command; its result. Events arriving meanwhile are dropped."""
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise Failure("%s: %s" % (method, message["error"].get("message")))
                return message.get("result", {})
        raise Failure("%s: no answer within %d s" % (method, seconds))

    def evaluate(self, expression, seconds=20):
        result = self.call("Runtime.evaluate", seconds, expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise Failure("%s: %s" % (expression[:60], result["exceptionDetails"].get("text")))
        return result["result"].get("value")

    def close(self):
        try:
            if self.socket:
                self.call("Browser.close", 5)
        except (Failure, OSError, websocket.WebSocketException):
            pass
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait(5)
        self.log.close()


class Page:
    """The demo's page in the browser: what it reports, its canvas, input."""

    def __init__(self, browser):
        self.browser = browser

    def open(self, url, width, height, ratio=1, touch=False, ends=False):
        """The page in a viewport, once it runs; with ends, once the program has ended."""
        self.touch = touch
        self.browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                          deviceScaleFactor=ratio, mobile=touch)
        self.browser.call("Emulation.setTouchEmulationEnabled", enabled=touch, maxTouchPoints=5)
        self.browser.call("Page.navigate", url=url)
        if ends:
            wait_for("the program ending by itself", lambda: self.state() == "ended", 30)
        else:
            self.running()

    def running(self, instances=None):
        """Waits for a run with frames; with instances, for that many made."""
        wait_for("the demo running", lambda: self.state() == "running" and self.frames() >= 5 and (
            instances is None or self.browser.evaluate("instances.length") == instances), 30)

    def state(self):
        return self.browser.evaluate("window.spritedemoPage ? spritedemoPage.state : 'no page'")

    def frames(self):
        return self.browser.evaluate("spritedemoPage.module ? spritedemoPage.module.framesPresented : 0")

    def canvas_box(self):
        return self.browser.evaluate(
            "(() => { const r = document.getElementById('screen').getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height]; })()")

    def point_at(self, x, y):
        """The pointer over the middle of canvas pixel (x, y), wherever and
        however large the canvas is shown; returns once frames drawn after
        the move are on the canvas."""
        left, top, width, height = self.canvas_box()
        # A real move even if already there: a touch starts beside the target.
        moves = ["touchStart", "touchMove"] if self.touch else ["mouseMoved", "mouseMoved"]
        for kind, (px, py) in zip(moves, [((x + 3) % WIDTH, (y + 3) % HEIGHT), (x, y)]):
            at = {"x": left + (px + 0.5) * width / WIDTH, "y": top + (py + 0.5) * height / HEIGHT}
            if self.touch:
                self.browser.call("Input.dispatchTouchEvent", type=kind, touchPoints=[at])
            else:
                self.browser.call("Input.dispatchMouseEvent", type=kind, **at)
        if self.touch:
            self.browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
        shown = self.frames()
        wait_for("frames after the pointer move", lambda: self.frames() >= shown + 3, 10)

    def canvas_picture(self):
        data = self.browser.evaluate(
            "(() => { const c = document.getElementById('screen');"
            # a WebGL canvas has no 2D context: read it through a 2D copy
            " const o = document.createElement('canvas'); o.width = c.width; o.height = c.height;"
            " const x = o.getContext('2d'); x.drawImage(c, 0, 0);"
            " const d = x.getImageData(0, 0, c.width, c.height).data;" + BASE64_OF_D +
            " return [c.width, c.height, btoa(s)]; })()", 30)
        width, height, rgba = data[0], data[1], base64.b64decode(data[2])
        rgb = bytearray(width * height * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = rgba[0::4], rgba[1::4], rgba[2::4]
        return Picture(width, height, [bytes(rgb[y * width * 3:(y + 1) * width * 3]) for y in range(height)])

    def click(self, selector):
        """A real click (a user gesture) on the middle of the element."""
        left, top, width, height = self.browser.evaluate(
            "(() => { const r = document.querySelector(%r).getBoundingClientRect();"
            " return [r.left, r.top, r.width, r.height]; })()" % selector)
        for kind in ("mousePressed", "mouseReleased"):
            self.browser.call("Input.dispatchMouseEvent", type=kind, x=left + width / 2, y=top + height / 2,
                              button="left", clickCount=1)

    def drop(self, paths_or_files):
        """Drops files on the page as a user would: (name, bytes) pairs or paths."""
        files = []
        for item in paths_or_files:
            if isinstance(item, str):
                with open(item, "rb") as f:
                    item = (os.path.basename(item), f.read())
            files.append("new File([Uint8Array.from(atob('%s'), c => c.charCodeAt(0))], %r)"
                         % (base64.b64encode(item[1]).decode(), item[0]))
        self.browser.evaluate("(() => { const data = new DataTransfer(); for (const file of [%s]) data.items.add(file);"
                              " document.dispatchEvent(new DragEvent('drop', {dataTransfer: data})); })()"
                              % ", ".join(files))

    def use_files(self, instances):
        """Answers the question about dropped files with Use them, and waits for the run."""
        wait_for("the question what the files are", lambda: self.browser.evaluate(
            "document.getElementById('which').open"), 10)
        self.browser.evaluate("document.querySelector('#which button[value=use]').click()")
        self.running(instances)

    def packed(self, name):
        """The bytes behind the page's download link for name."""
        return base64.b64decode(self.browser.evaluate(
            "(async () => { const link = document.querySelector('#packed a[download=\"%s\"]');" % name +
            " const d = new Uint8Array(await (await fetch(link.href)).arrayBuffer());" + BASE64_OF_D +
            " return btoa(s); })()", 30))

    def shown_with(self):
        return self.browser.evaluate("spritedemoPage.module.presentedWith")


class Run:
    """What every case works with: the page in the browser, the site, the
    tools beside the render tool, a folder for files, the failures so far."""

    def __init__(self, args, work, server, browser):
        self.args = args
        self.site = args.site
        self.render_tool = args.render_tool
        self.spritetool = os.path.join(os.path.dirname(os.path.dirname(args.render_tool)), "spritetool", "spritetool")
        self.work = work
        self.url = server.url
        self.bunnymark = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(args.render_tool))),
                                      "bunnymark", "spritedemo-bunnymark")
        self.browser = browser
        self.page = Page(browser)
        self.failures = 0

    def pack(self, png, role, *options):
        """spritetool's file from png, as the page packs it for role; its path."""
        out = os.path.join(self.work, os.path.basename(png) + "-" + role)
        options = ("--hotspot", "center") if role == "girl.spr" else options
        subprocess.run([self.spritetool, "pack", png, "-o", out] + list(options), check=True, timeout=60,
                       stdout=subprocess.DEVNULL)
        return out

    def same_bytes(self, png, role, *options):
        with open(self.pack(png, role, *options), "rb") as f:
            expected = f.read()
        actual = self.page.packed(role)
        if actual != expected:
            at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b), min(len(actual), len(expected)))
            raise Failure("%s packed as %s: the download (%d bytes) differs from spritetool's (%d bytes) from byte %d"
                          % (os.path.basename(png), role, len(actual), len(expected), at))

    def expected(self, x, y, girl, bg):
        """The render's PNG for the pointer at (x, y), with the sample girl.spr
        and bg.spr in the roles given."""
        out = os.path.join(self.work, "expected-%d-%d-%s-%s.png" % (x, y, os.path.basename(girl), os.path.basename(bg)))
        if not os.path.exists(out):
            subprocess.run([self.render_tool, "--mouse", "%d,%d" % (x, y), "--frames", "3",
                            "--girl", os.path.join(self.site, girl), "--bg", os.path.join(self.site, bg),
                            "-o", out], check=True, timeout=60, stdout=subprocess.DEVNULL)
        return out

    def matches_render(self, x, y, name, girl="girl.spr", bg="bg.spr"):
        """The canvas, pointer at (x, y), against the render; a Failure names
        the kept pictures when they differ."""
        self.page.point_at(x, y)
        self.canvas_is(self.expected(x, y, girl, bg), TEXT_BOX, "pointer at (%d,%d)" % (x, y))
        print("    %s: pointer at (%d,%d): the canvas equals the render outside the text box" % (name, x, y))

    def canvas_is(self, expected, box, what):
        """A Failure naming the kept pictures unless the canvas equals the
        PNG expected outside box."""
        actual = self.page.canvas_picture()
        if (actual.width, actual.height) != (WIDTH, HEIGHT):
            raise Failure("the canvas is %dx%d, not %dx%d" % (actual.width, actual.height, WIDTH, HEIGHT))
        # Exact to the byte: both ways of showing a frame widen each channel
        # by bit replication, as the render's PNG does.
        masks = list(differing(actual, read_png(expected), box, exact=True))
        count = sum(sum(m) for m in masks)
        if count:
            kept = tempfile.mkdtemp(prefix="web-e2e-failed.")
            write_png(os.path.join(kept, "canvas.png"), WIDTH, actual.rows)
            write_png(os.path.join(kept, "diff.png"), WIDTH, diff_picture(actual, masks, box))
            shutil.copy(expected, os.path.join(kept, "render.png"))
            raise Failure("%s: %d pixels differ from the render outside %s; "
                          "canvas, render and diff (red) kept in %s" % (what, count, box, kept))

    def case(self, name, setup, check):
        """check(run) on the page opened as setup says (see CASES)."""
        start = time.monotonic()
        try:
            if setup is not None:
                self.page.open(self.url + setup[0], *setup[1:])
            check(self)
            print("PASS: %s (%.1f s)" % (name, time.monotonic() - start))
        except (Failure, subprocess.SubprocessError, OSError, websocket.WebSocketException) as e:
            self.failures += 1
            print("FAIL: %s: %s" % (name, e))


def frames_later(page, frames):
    """The frame count now, and once at least frames more have been shown."""
    first = page.frames()
    return first, wait_for("%d frames to measure" % frames,
                           lambda: page.frames() >= first + frames and page.frames(), 60)


def measure_script(browser, page, frames=MEASURED_FRAMES):
    """The page's script time a frame in ms (its main thread's time running
    script, the program's WebAssembly in it, as DevTools counts it) over at
    least frames frames, and how many."""
    browser.call("Performance.enable", timeDomain="threadTicks")
    seconds = lambda: next(m["value"] for m in browser.call("Performance.getMetrics")["metrics"]  # noqa: E731
                           if m["name"] == "ScriptDuration")
    start = seconds()
    first, last = frames_later(page, frames)
    return (seconds() - start) * 1000 / (last - first), last - first


def sample_present(browser, page, present, frames=MEASURED_FRAMES):
    """From DevTools' sampling profiler over at least frames frames: ms a
    frame in calls of the import present, and in the WebAssembly called by
    the same callers (a build without names shows only where a call is);
    and how many frames."""
    for method, params in (("Profiler.enable", {}), ("Profiler.setSamplingInterval", {"interval": 100}),
                           ("Profiler.start", {})):
        browser.call(method, **params)
    first, last = frames_later(page, frames)
    profile = browser.call("Profiler.stop", 30)["profile"]
    nodes = {node["id"]: node for node in profile["nodes"]}
    own = collections.Counter()
    for node, microseconds in zip(profile["samples"], profile["timeDeltas"]):
        own[node] += microseconds

    def callees(node, name=None):
        return [c for c in nodes[node].get("children", []) if name in (None, nodes[c]["callFrame"]["functionName"])]

    def ms(calls):
        def total(node):
            return own[node] + sum(map(total, callees(node)))
        return sum(map(total, calls)) / 1000 / (last - first)
    # A caller reaches the import through a wasm-to-js frame.
    bridges = {n: [b for b in callees(n, "wasm-to-js") if callees(b, present)] for n in nodes}
    presents = [p for found in bridges.values() for b in found for p in callees(b, present)]
    beside = [c for n, found in bridges.items() if found for c in callees(n)
              if nodes[c]["callFrame"]["url"].endswith(".wasm")]
    return ms(beside), ms(presents), last - first


def report_work(run, what):
    """Prints the page's script time a frame and, sampled, the present and
    beside it the widening for a 2D canvas."""
    script, frames = measure_script(run.browser, run.page)
    shown_with = run.page.shown_with()
    present = "_spritedemo_web_present" + ("_565" if shown_with == "WebGL" else "")
    widen, presenting, sampled = sample_present(run.browser, run.page, present)
    print("    %s, %s: %.3f ms of page script a frame over %d frames; sampled over %d more: widen %.3f, present %.3f"
          " (measured, not checked)" % (what, shown_with, script, frames, sampled, widen, presenting))


def renderer_memory(browser):
    """The resident memory of Chromium's renderer processes, in MB."""
    total = 0
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                if b"--type=renderer" not in f.read() or os.getsid(int(pid)) != browser.process.pid:
                    continue
            with open("/proc/%s/status" % pid) as f:
                total += next(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        except (OSError, StopIteration):
            pass
    return total / 1024


def press_escape(browser):
    for kind in ("keyDown", "keyUp"):
        browser.call("Input.dispatchKeyEvent", type=kind, key="Escape", code="Escape",
                     windowsVirtualKeyCode=27, nativeVirtualKeyCode=27)


# ---------------------------------------------------------------- the cases


def shown_one_to_one(run):
    """In an 800x720 viewport the canvas is shown 1:1 and, with the pointer
    at three places, equals the render."""
    box = run.page.canvas_box()
    if box[2:] != [WIDTH, HEIGHT]:
        raise Failure("in an 800x720 viewport the canvas is shown %gx%g, not 640x480" % tuple(box[2:]))
    for x, y in ((100, 80), (610, 460), (0, 0)):
        run.matches_render(x, y, "1:1")
    report_work(run, "SIMD128 build")
    if run.args.screenshot:
        # Wide enough for the caption to open beside the picture by itself,
        # and a second of frames for a frame rate to show.
        run.page.open(run.url + "index.html", 1400, 560)
        if run.browser.evaluate("document.getElementById('about').hidden"):
            raise Failure("in a 1400x560 viewport the caption is folded")
        run.matches_render(100, 80, "1:1 beside the caption")
        time.sleep(1.5)
        shot = run.browser.call("Page.captureScreenshot", 30, format="png")
        with open(run.args.screenshot, "wb") as f:
            f.write(base64.b64decode(shot["data"]))
        print("    screenshot: %s" % run.args.screenshot)


def words_apart(run, touch):
    """What the page says without a tap, the open caption or else its
    one-line hint, names the pointer or, with touch, the finger, and keeps
    off the canvas."""
    folded, text, lines, across, down = run.browser.evaluate(
        "(() => { const w = about.hidden ? hint : about, r = w.getBoundingClientRect();"
        " const c = document.getElementById('screen').getBoundingClientRect();"
        " return [about.hidden, w.textContent, r.height / parseFloat(getComputedStyle(w).lineHeight),"
        " Math.min(r.right, c.right) - Math.max(r.left, c.left), Math.min(r.bottom, c.bottom) - Math.max(r.top, c.top)];"
        " })()")
    if ("finger" if touch else "pointer") not in text or (folded and round(lines) != 1) or min(across, down) > 0:
        raise Failure("the %s says %r in %.1f lines, over the canvas by %gx%g px" % (
            "hint" if folded else "caption", " ".join(text.split())[:60], lines, max(across, 0), max(down, 0)))


def shown_in_viewport(width, height, ratio, touch, shown_width, shown_height, then, run):
    """The canvas shown at its whole step (below 1:1, fitted), all of it in
    the viewport, after a resize too; the words shown apart from it (see
    words_apart), also once the PNGs of pngs_packed are listed; and the
    sprites follow a pointer move or a touch there."""
    if isinstance(then, tuple):
        width, height = then
        run.browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=ratio,
                         mobile=touch)
        wait_for("the canvas placed anew", lambda: run.page.canvas_box()[0] == (width - shown_width) / 2, 10)
    box = run.page.canvas_box()
    if abs(box[2] - shown_width) > 0.01 or abs(box[3] - shown_height) > 0.01:
        raise Failure("the canvas is shown %gx%g, not %gx%g" % (box[2], box[3], shown_width, shown_height))
    if box[0] < 0 or box[1] < 0 or box[0] + box[2] > width + 0.01 or box[1] + box[3] > height + 0.01:
        raise Failure("the canvas at %gx%g+%g+%g reaches outside the viewport" % (box[2], box[3], box[0], box[1]))
    words_apart(run, touch)
    print("    canvas shown at %gx%g+%g+%g, %g device pixels a frame pixel" % (
        box[2], box[3], box[0], box[1], box[2] * ratio / WIDTH))
    run.matches_render(137, 251, "touch" if touch else "pointer")
    if then == "own PNGs":
        pngs_packed(run)
        words_apart(run, touch)


def picked_files(run):
    """Two files picked at once, roles taken from their names and asked once,
    run; "Sample sprites" goes back to the samples."""
    browser, page = run.browser, run.page
    # The samples under new names, each in the other's role by its name.
    hero, sky = os.path.join(run.work, "hero.spr"), os.path.join(run.work, "sky-background.spr")
    shutil.copy(os.path.join(run.site, "bg.spr"), hero)
    shutil.copy(os.path.join(run.site, "girl.spr"), sky)
    browser.evaluate(COUNT_INSTANCES)
    node = browser.call("DOM.querySelector", selector="#files",
                        nodeId=browser.call("DOM.getDocument")["root"]["nodeId"])["nodeId"]
    browser.call("DOM.setFileInputFiles", files=[hero, sky], nodeId=node)
    wait_for("the question which file is which", lambda: browser.evaluate(
        "document.getElementById('which').open && document.querySelectorAll('#which select').length == 2"), 10)
    page.use_files(1)
    run.matches_render(300, 200, "picked", girl="bg.spr", bg="girl.spr")
    page.click("#samples")
    page.running(2)
    run.matches_render(300, 200, "samples again")


def refused(name, make, reason, run):
    """A file of REFUSED dropped alone is refused in the page's problem style
    with the reader's reason (spritetool info's for a sprite file), asks
    nothing, and the demo keeps running; a good file dropped after it
    clears the problem."""
    browser, page = run.browser, run.page
    browser.evaluate(COUNT_INSTANCES)
    with open(os.path.join(run.site, "girl.spr"), "rb") as f:
        bad = make(f.read())
    if reason is None:  # spritetool info's: "spritetool: PATH: REASON"
        path = os.path.join(run.work, name)
        with open(path, "wb") as f:
            f.write(bad)
        info = subprocess.run([run.spritetool, "info", path], capture_output=True, text=True, timeout=60)
        reason = "did not load (" + info.stderr.strip()[len("spritetool: " + path + ": "):] + ")"
    page.drop([(name, bad)])
    expected = name + " " + reason
    said = wait_for("the page saying why", lambda: browser.evaluate(
        "(() => { const s = document.getElementById('status');"
        " return s.classList.contains('problem') && s.textContent; })()"), 10)
    if not said.startswith(expected):
        raise Failure("the page says %r, not %r" % (said, expected + "..."))
    time.sleep(0.5)
    asked_or_ran = browser.evaluate("document.getElementById('which').open || instances.length")
    if asked_or_ran or page.state() != "running":
        raise Failure("after the refused file the page asked, restarted or stopped (%s)" % page.state())
    print("    says: %s" % said)
    run.matches_render(300, 200, "still the samples")
    page.drop([os.path.join(run.site, "girl.spr")])
    if wait_for("the question about a good file", lambda: browser.evaluate(
            "which.open && document.getElementById('status').className + '.'"), 10) != ".":
        raise Failure("a good file is asked about beside the old problem")
    browser.evaluate("which.close()")


def pngs_packed(run):
    """The guide's star and backdrop dropped together: asked girl and
    background, the backdrop fixed at 0,0; the canvas shows what spritetool
    packs of them, and the downloads are spritetool's bytes; so are those of
    every kind of PNG_KINDS, two at a time."""
    browser, page = run.browser, run.page
    browser.evaluate(COUNT_INSTANCES)
    page.drop(GUIDE_PNGS)
    wait_for("the question what the files are", lambda: browser.evaluate("document.getElementById('which').open"), 10)
    asked = browser.evaluate("[...document.querySelectorAll('#which select')].map(s => s.value).concat("
                             "[...document.querySelectorAll('#which input')]"
                             ".filter(c => c.getClientRects().length).map(c => c.checked))")
    if asked != ["girl.spr", "bg.spr", True]:
        raise Failure("asked with roles and fixed 0,0 as %r, not girl, background, fixed" % asked)
    page.use_files(1)
    girl, bg = run.pack(GUIDE_PNGS[0], "girl.spr"), run.pack(GUIDE_PNGS[1], "bg.spr", "--fixed", "0,0")
    run.matches_render(300, 200, "star and backdrop", girl=girl, bg=bg)
    run.same_bytes(GUIDE_PNGS[0], "girl.spr")
    run.same_bytes(GUIDE_PNGS[1], "bg.spr", "--fixed", "0,0")
    kinds = []
    for kind in PNG_KINDS:
        kinds.append(os.path.join(run.work, "kind-%d-%d%s%s.png" % (kind[0], kind[1], "-interlaced" * kind[2],
                                                                     "-trns" * bool(kind[3]))))
        make_png(kinds[-1], *kind)
    for i in range(0, len(kinds), 2):
        page.drop(kinds[i:i + 2])
        page.use_files(2 + i // 2)
        run.same_bytes(kinds[i], "girl.spr")
        run.same_bytes(kinds[i + 1], "bg.spr")
    print("    the star, the backdrop and %d kinds of PNG packed to spritetool's bytes" % len(kinds))


def fullscreen(run):
    """The Fullscreen control enters fullscreen; Esc leaves it and the demo
    runs on."""
    run.page.click("#fullscreen")
    wait_for("fullscreen", lambda: run.browser.evaluate("document.fullscreenElement !== null"), 10)
    press_escape(run.browser)
    wait_for("fullscreen left on Esc", lambda: run.browser.evaluate("document.fullscreenElement === null"), 10)
    time.sleep(0.5)
    if run.page.state() != "running":
        raise Failure("the Esc that left fullscreen ended the demo too (%s)" % run.page.state())


def one_instance(run):
    """--drops drops of a sprite file, each a new run, leave one program
    instance alive (weak references, forced garbage collection)."""
    browser, page = run.browser, run.page
    browser.evaluate(COUNT_INSTANCES)
    for drop in range(1, run.args.drops + 1):
        page.drop([os.path.join(run.site, "girl.spr")])
        page.use_files(drop)
        if drop == 1:
            first = renderer_memory(browser)
    for _ in range(2):
        browser.call("HeapProfiler.collectGarbage", 30)
        time.sleep(0.5)
    alive = browser.evaluate("instances.filter(i => i.deref()).length")
    print("    renderer memory after the first drop %.0f MB, after %d drops %.0f MB (measured, not checked)"
          % (first, run.args.drops, renderer_memory(browser)))
    if alive != 1:
        raise Failure("after %d drops %d program instances are alive, not 1" % (run.args.drops, alive))


def hidden_tab(run):
    """Behind another tab the demo draws no frames, and still ends when asked."""
    browser, page = run.browser, run.page
    demo_tab = browser.call("Target.getTargetInfo")["targetInfo"]["targetId"]
    other_tab = browser.call("Target.createTarget", url="about:blank")["targetId"]
    try:
        browser.call("Target.activateTarget", targetId=other_tab)
        wait_for("the page hidden", lambda: browser.evaluate("document.hidden"), 10)
        frames = page.frames()
        time.sleep(3)  # hidden pages run timers once a second at most
        if page.frames() > frames + 1:  # one may have been on its way
            raise Failure("%d frames drawn in 3 s in a hidden tab" % (page.frames() - frames))
        browser.evaluate("spritedemoPage.module.requestClose()")
        wait_for("the program ending in a hidden tab", lambda: page.state() == "ended", 10)
    finally:
        browser.call("Target.closeTarget", targetId=other_tab)
        browser.call("Target.activateTarget", targetId=demo_tab)


def webgl_context_lost(run):
    """Where frames go through WebGL, the context lost and restored: the
    canvas shows the frames again."""
    browser, page = run.browser, run.page
    if page.shown_with() != "WebGL":
        print("    this browser shows the frames on a 2D canvas: nothing to lose")
        return
    browser.evaluate("window.losing = document.getElementById('screen').getContext('webgl')"
                     ".getExtension('WEBGL_lose_context'); losing.loseContext()")
    time.sleep(0.5)
    browser.evaluate("losing.restoreContext()")
    wait_for("the context back", lambda: not browser.evaluate(
        "document.getElementById('screen').getContext('webgl').isContextLost()"), 10)
    frames = page.frames()
    wait_for("frames after the context came back", lambda: page.frames() >= frames + 5, 10)
    run.matches_render(300, 200, "context restored")


def on_2d_canvas(build, run):
    """Frames widened onto a 2D canvas, the path where WebGL is missing, by
    the build asked for (?simd=0: the one without SIMD)."""
    ran = run.browser.evaluate("spritedemoPage.build")
    if ran != build:
        raise Failure("the page ran the %r build, not %r" % (ran, build))
    run.matches_render(100, 80, "2D canvas")  # the pointer of the benchmark's Frame/<isa>
    report_work(run, {"simd": "SIMD128 build", "nosimd": "build without SIMD"}[build])


def escape_ends_it(run):
    """Esc ends the program with status 0, and frames stop."""
    page = run.page
    press_escape(run.browser)
    wait_for("the program ending after Esc", lambda: page.state() == "ended", 10)
    status = run.browser.evaluate("spritedemoPage.exitStatus")
    if status != 0:
        raise Failure("the program ended with status %r, not 0" % status)
    frames = page.frames()
    time.sleep(1)
    if page.frames() != frames:
        raise Failure("frames kept coming after the program ended (%d, then %d)" % (frames, page.frames()))
    print("    exit status 0; %d frames, none in the second after" % frames)


def bunnymark_frozen(run):
    """bunnymark.html?bunnies=N&frames=K&seed=S (FROZEN) ends by itself after
    frame K, the canvas showing the headless program's frame K of the same,
    all but the frame rate's digits."""
    status, frames = run.browser.evaluate("[spritedemoPage.exitStatus, spritedemoPage.module.framesPresented]")
    if status != 0 or frames != FROZEN[1]:
        raise Failure("the program ended with status %r after %d frames" % (status, frames))
    options = "--bunnies %d --frames %d --seed %d" % FROZEN
    expected = os.path.join(run.work, "bunnymark.png")
    shutil.copy(os.path.join(run.site, "bunny.spr"), run.work)
    subprocess.run([run.bunnymark] + options.split() + ["-o", expected], cwd=run.work, check=True, timeout=60)
    run.canvas_is(expected, BUNNY_RATE_BOX, "bunnymark " + options)
    print("    %d frames, then the frame of spritedemo-bunnymark %s" % (frames, options))


def bunnymark_press(run):
    """Held down on the bunnymark's canvas, the button (or a finger) adds
    bunnies: the caption's count grows from 100, and stops on release."""
    browser, page = run.browser, run.page
    count = lambda: int(re.match(r"\d*", browser.evaluate(  # noqa: E731
        "document.getElementById('count').textContent")).group() or 0)
    wait_for("100 bunnies in the caption", lambda: count() == 100, 10)
    left, top, width, height = page.canvas_box()
    at = {"x": left + width / 2, "y": top + height / 2}
    for down in (True, False):
        if page.touch:
            browser.call("Input.dispatchTouchEvent", type="touchStart" if down else "touchEnd",
                         touchPoints=[at] if down else [])
        else:
            browser.call("Input.dispatchMouseEvent", type="mousePressed" if down else "mouseReleased",
                         button="left", clickCount=1, **at)
        if down:
            wait_for("bunnies added while held", lambda: count() >= 1000, 10)
    frames_later(page, 3)  # the release taken, the frames before it shown
    released = count()
    time.sleep(0.5)
    if count() != released:
        raise Failure("bunnies kept coming after the release (%d, then %d)" % (released, count()))
    print("    %d bunnies when released, none added after" % released)


def bunnymark_measured(run):
    """bunnymark.html?bunnies=MEASURED_BUNNIES starts with that many and keeps
    running; prints its script time a frame."""
    wait_for("%d bunnies in the caption" % MEASURED_BUNNIES, lambda: run.browser.evaluate(
        "document.getElementById('count').textContent").startswith("%d bunnies" % MEASURED_BUNNIES), 10)
    script, frames = measure_script(run.browser, run.page)
    print("    %d bunnies: %.3f ms of page script a frame over %d frames (measured, not checked)"
          % (MEASURED_BUNNIES, script, frames))


# Name, set-up (page and query; viewport width, height, device pixel ratio,
# touch, whether the program ends by itself; None: the page the case before
# left) and check, in the order they run.
PLAIN = ("index.html", 800, 720)
CASES = ([("matches the headless render", PLAIN, shown_one_to_one)]
         + [("viewport %dx%d@%d%s%s" % (v[:3] + (" touch" if v[3] else "", v[6] and " then %s" % (v[6],) or "")),
             ("index.html",) + v[:4],
             functools.partial(shown_in_viewport, *v)) for v in VIEWPORTS]
         + [("picked files", PLAIN, picked_files)]
         + [("refused " + r[0], PLAIN, functools.partial(refused, *r)) for r in REFUSED]
         + [("fullscreen", ("index.html", 1024, 768), fullscreen),
            ("one instance", PLAIN, one_instance),
            ("hidden tab", PLAIN, hidden_tab),
            ("WebGL context lost", PLAIN, webgl_context_lost),
            ("2D canvas", ("index.html?present=2d", 800, 720), functools.partial(on_2d_canvas, "simd")),
            ("without SIMD", ("index.html?simd=0&present=2d", 800, 720), functools.partial(on_2d_canvas, "nosimd")),
            ("Esc ends it", None, escape_ends_it),
            ("bunnymark: frozen frame", ("bunnymark.html?bunnies=%d&frames=%d&seed=%d" % FROZEN, 800, 720, 1, False,
                                         True), bunnymark_frozen),
            ("bunnymark: a press adds bunnies", ("bunnymark.html", 800, 720), bunnymark_press),
            ("bunnymark: a finger adds bunnies", ("bunnymark.html", 844, 390, 3, True), bunnymark_press),
            ("bunnymark: %d bunnies" % MEASURED_BUNNIES, ("bunnymark.html?bunnies=%d" % MEASURED_BUNNIES, 800, 720),
             bunnymark_measured)])


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("site")
    parser.add_argument("render_tool")
    parser.add_argument("--screenshot", metavar="OUT.png")
    parser.add_argument("--drops", type=int, default=30)
    args = parser.parse_args(argv)
    args.site = os.path.realpath(args.site)
    args.render_tool = os.path.realpath(args.render_tool)
    for path in (os.path.join(args.site, "index.html"), args.render_tool, CHROMIUM):
        if not os.path.exists(path):
            print("FAIL: %s does not exist" % path)
            return 1

    # However it goes, the run ends: the alarm stops a stuck call.
    def out_of_time(*_):
        raise OutOfTime()
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(TOTAL_SECONDS)

    work = tempfile.mkdtemp(prefix="web-e2e.")
    server = browser = run = None
    failures = 0
    try:
        server = Server(args.site)
        browser = Browser(work)
        browser.connect()
        run = Run(args, work, server, browser)
        for case in CASES:
            run.case(*case)
    except (Failure, OSError, websocket.WebSocketException, StopIteration) as e:
        failures += 1
        print("FAIL: set-up: %s" % e)
    except OutOfTime:
        failures += 1
        print("FAIL: the whole run took longer than %d s" % TOTAL_SECONDS)
    finally:
        signal.alarm(0)
        if browser:
            browser.close()
        if server:
            server.close()
        shutil.rmtree(work, ignore_errors=True)
    failures += run.failures if run else 0
    print("%d failed" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
