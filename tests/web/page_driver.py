"""The browser page under headless Chromium, for the browser test and the benchmark: a local
static server that counts what it sends, a Chromium driven through chromium-driver, and the
page's own record of the game (the page loaded with ?trace)."""

import base64
import http.server
import shutil
import sys
import tempfile
import threading
import time
from pathlib import Path

CHROMIUM_CANDIDATES = ("/usr/lib/chromium/chromium", "/usr/bin/chromium")
CHROMEDRIVER_CANDIDATES = ("/usr/bin/chromedriver", "/usr/lib/chromium/chromedriver")
# Headless Chromium as root, with nothing reaching beyond the machine.
CHROMIUM_FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                  "--no-first-run", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--disable-extensions",
                  "--force-device-scale-factor=1")


SKIPPED = 77  # the exit code CTest reads as a skipped test

# The longest the tests wait for a state of the page before calling it a hang. Every state they
# wait for comes within a few seconds on a quiet machine (a load, a move with the computer's
# pause and sweep, a level-5 reply); the limit is far beyond that, so a slow or busy machine
# never fails a test, and it only catches a page that has stopped.
HANG_LIMIT_S = 120

PHONE_USER_AGENT = ("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 "
                    "(KHTML, like Gecko) Chrome/126.0 Mobile Safari/537.36")


def find_browser():
    """(chromium, chromedriver, reason): the paths, or None and why the browser cannot run."""
    chromium = next((p for p in CHROMIUM_CANDIDATES if Path(p).is_file()), None)
    driver = next((p for p in CHROMEDRIVER_CANDIDATES if Path(p).is_file()), None)
    if chromium is None:
        return None, None, "Chromium is not installed (tools/setup.sh installs it)"
    if driver is None:
        return None, None, "chromium-driver is not installed (tools/setup.sh installs it)"
    try:
        import selenium  # noqa: F401  pylint: disable=import-outside-toplevel,unused-import
    except ImportError:
        return None, None, "python3-selenium is not installed (tools/setup.sh installs it)"
    return chromium, driver, None


class CountingServer:
    """Serves a folder on 127.0.0.1 at a free port and counts the body bytes it sends; `folder`
    may be changed to serve another one at the same address."""

    def __init__(self, folder):
        server = self
        self.folder = folder

        class Handler(http.server.SimpleHTTPRequestHandler):
            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=str(server.folder), **kwargs)

            def copyfile(self, source, outputfile):
                data = source.read()
                outputfile.write(data)
                with server.lock:
                    server.sent[self.path.split("?")[0]] = len(data)

            def log_message(self, *args):
                pass

        self.lock = threading.Lock()
        self.sent = {}
        self.httpd = http.server.ThreadingHTTPServer(
            ("127.0.0.1", 0), Handler)
        self.port = self.httpd.server_address[1]
        threading.Thread(target=self.httpd.serve_forever, daemon=True).start()

    def url(self, path):
        return f"http://127.0.0.1:{self.port}/{path}"

    def take_sent(self):
        with self.lock:
            sent, self.sent = self.sent, {}
        return sent

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Page:
    """One headless Chromium showing the page; the game's state comes from its trace."""

    def __init__(self, chromium, chromedriver, width=1280, height=800):
        # pylint: disable=import-outside-toplevel
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        self.profile = tempfile.mkdtemp(prefix="brelvoxan-chromium-")
        options = webdriver.ChromeOptions()
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--window-size={width},{height}")
        options.binary_location = chromium
        self.driver = webdriver.Chrome(service=Service(chromedriver), options=options)
        self.driver.set_script_timeout(HANG_LIMIT_S)
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def cdp(self, command, params=None):
        return self.driver.execute_cdp_cmd(command, params or {})

    def emulate_phone(self, width, height, ratio=3):
        """A phone's screen, pixel ratio, touch and user agent (None: back to the window)."""
        if width is None:
            self.cdp("Emulation.clearDeviceMetricsOverride")
            self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": False})
            self.cdp("Emulation.setUserAgentOverride", {"userAgent": ""})
            return
        self.cdp("Emulation.setUserAgentOverride", {"userAgent": PHONE_USER_AGENT})
        self.cdp("Emulation.setDeviceMetricsOverride",
                 {"width": width, "height": height, "deviceScaleFactor": ratio, "mobile": True})
        self.cdp("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})

    def tap(self, x, y):
        """A finger down and up at (x, y) in CSS pixels of the viewport."""
        point = [{"x": x, "y": y, "radiusX": 4, "radiusY": 4, "force": 1, "id": 0}]
        self.cdp("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": point})
        self.cdp("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})

    def tap_element(self, selector):
        box = self.js("const r = document.querySelector(arguments[0]).getBoundingClientRect();"
                      "return [r.left + r.width / 2, r.top + r.height / 2];", selector)
        self.tap(*box)

    def forget(self, url):
        """Clears what the page's origin keeps (service worker, caches, storage): a fresh visit."""
        origin = "/".join(url.split("/")[:3])
        self.cdp("Storage.clearDataForOrigin", {"origin": origin, "storageTypes": "all"})

    def load(self, url):
        self.driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def state(self):
        return self.js("return window.Module && Module.brelvoxanState || null") or {}

    def trace(self):
        return self.js("return Module.brelvoxanTrace")

    def wait_until(self, what, test, timeout=HANG_LIMIT_S):
        deadline = time.monotonic() + timeout
        while True:
            value = test()
            if value:
                return value
            if time.monotonic() > deadline:
                said = self.js("const s = document.getElementById('status');"
                               "return s ? s.textContent : ''")
                raise TimeoutError(f"no {what} within {timeout:.0f} s; state {self.state()}, "
                                   f"the page says '{said}'")
            time.sleep(0.01)

    def settle(self, after_waits, timeout=HANG_LIMIT_S):
        """Waits until the game waits for a key for the (after_waits + 1)th time or later and
        the canvas shows its last drawing; returns the number of key waits."""

        def settled():
            s = self.state()
            return (s.get("waitingForKey") and not s.get("framePending")
                    and s.get("keyWaits", 0) > after_waits and s["keyWaits"])

        return self.wait_until("settled key wait", settled, timeout)

    def press(self, *keys):
        """Key-downs and key-ups on whatever has the keyboard focus, one key after the other."""
        from selenium.webdriver import ActionChains  # pylint: disable=import-outside-toplevel
        chain = ActionChains(self.driver)
        for key in keys:
            chain.send_keys(key)
        chain.perform()

    def compare_canvas(self, reference_png):
        """Compares the canvas with a PNG picture pixel for pixel, in the page. Returns a dict:
        width, height, mismatches, box (of the differing pixels) and canvas (the canvas as PNG
        bytes)."""
        result = self.driver.execute_async_script(
            """
            const [encoded, done] = arguments;
            (async () => {
              const bytes = Uint8Array.from(atob(encoded), c => c.charCodeAt(0));
              const picture = await createImageBitmap(new Blob([bytes], {type: "image/png"}),
                  {colorSpaceConversion: "none", premultiplyAlpha: "none"});
              const w = picture.width, h = picture.height;
              const scratch = new OffscreenCanvas(w, h).getContext("2d");
              scratch.drawImage(picture, 0, 0);
              const want = scratch.getImageData(0, 0, w, h).data;
              const canvas = document.getElementById("display");
              const got = canvas.getContext("2d").getImageData(0, 0, canvas.width,
                                                               canvas.height).data;
              let mismatches = 0, box = null;
              if (canvas.width === w && canvas.height === h) {
                for (let i = 0; i < want.length; i += 4) {
                  if (got[i] === want[i] && got[i + 1] === want[i + 1] &&
                      got[i + 2] === want[i + 2] && got[i + 3] === 255) continue;
                  const x = (i / 4) % w, y = Math.floor(i / 4 / w);
                  mismatches++;
                  box = box ? [Math.min(box[0], x), Math.min(box[1], y), Math.max(box[2], x),
                               Math.max(box[3], y)] : [x, y, x, y];
                }
              }
              done({width: canvas.width, height: canvas.height, want: [w, h], mismatches, box,
                    canvas: canvas.toDataURL("image/png").split(",")[1]});
            })().catch(e => done({error: String(e)}));
            """,
            base64.b64encode(reference_png).decode("ascii"))
        if "error" in result:
            raise RuntimeError(result["error"])
        result["canvas"] = base64.b64decode(result["canvas"])
        return result


DIRECTIONS = [(dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy]


def legal_moves(board, me="X", other="O"):
    """The squares (x, y) where `me` may play on the simulator's printed board."""
    moves = []
    for x in range(1, 9):
        for y in range(1, 9):
            if board[y - 1][x - 1] != ".":
                continue
            for dx, dy in DIRECTIONS:
                i, j, run = x + dx, y + dy, 0
                while 1 <= i <= 8 and 1 <= j <= 8 and board[j - 1][i - 1] == other:
                    i, j, run = i + dx, j + dy, run + 1
                if run and 1 <= i <= 8 and 1 <= j <= 8 and board[j - 1][i - 1] == me:
                    moves.append((x, y))
                    break
    return moves


def screen_and_board(printout):
    """The simulator's printout split into its screen and the eight rows of its board."""
    lines = printout.splitlines()
    at = lines.index("board:")
    return "\n".join(lines[:at]), lines[at + 1:at + 9]


def sweeps(trace):
    """Wall times in ms of the stone sweeps: runs of 64 sleeps of 10 ms, from the first one's
    start to the last one's end."""
    times, count, start = [], 0, 0.0
    for event in trace:
        if event["kind"] == "sleep" and event["value"] == 10:
            if count == 0:
                start = event["t"]
            count += 1
        elif event["kind"] == "woke" and event["value"] == 10 and count == 64:
            times.append(event["t"] - start)
            count = 0
        elif event["kind"] == "sleep":
            count = 0
    return times


def pauses(trace, ms=700):
    """(start, end) in page time of every sleep of the given length."""
    spans, start = [], None
    for event in trace:
        if event["kind"] == "sleep" and event["value"] == ms:
            start = event["t"]
        elif event["kind"] == "woke" and event["value"] == ms and start is not None:
            spans.append((start, event["t"]))
            start = None
    return spans


def build_folder(script):
    """BUILD_DIR, the one argument of a page script, or None after printing the usage line."""
    if len(sys.argv) != 2:
        print(f"usage: {script} BUILD_DIR", file=sys.stderr)
        return None
    return Path(sys.argv[1]).resolve()


def bench_arguments(usage):
    """(build folder, built page folder or None, runs) from a benchmark's BUILD_DIR [RUNS], or
    None after printing `usage` for arguments that are not those."""
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and not sys.argv[2].isdigit()):
        print(usage, file=sys.stderr)
        return None
    build = Path(sys.argv[1]).resolve()
    runs = max(1, int(sys.argv[2])) if len(sys.argv) == 3 else 5
    site = next((p for p in (build / "web" / "page", build / "page")
                 if (p / "index.html").is_file()), None)
    return build, site, runs


class Check:
    """Counts failures, each printed at once; the pictures go to BUILD_DIR/`folder`, the
    simulator to compare with is BUILD_DIR/brelvoxan-sim."""

    def __init__(self, build, folder):
        self.sim = build / "brelvoxan-sim"
        self.out = build / folder
        self.failures = 0

    def fail(self, message):
        print(f"FAIL: {message}")
        self.failures += 1


def run_checks(script, make_check, steps, needed, width=1280, height=800):
    """The main of a test against the built page: BUILD_DIR from the command line, the page's
    `needed` files and the simulator present, a browser or the test skipped; `steps(page, server,
    site, check)` runs in one Chromium, the page served from BUILD_DIR/web/page. Returns the exit
    code: 0 passed, 1 failed, 2 usage, SKIPPED."""
    build = build_folder(script)
    if build is None:
        return 2
    site = build / "web" / "page"
    check = make_check(build)
    for path in [site / name for name in needed] + [check.sim]:
        if not path.is_file():
            print(f"FAIL: {path} is missing; build everything first (the page needs emscripten)")
            return 1
    chromium, chromedriver, reason = find_browser()
    if reason:
        print(f"skipped: {reason}")
        return SKIPPED

    check.out.mkdir(exist_ok=True)
    server = CountingServer(site)
    page = Page(chromium, chromedriver, width=width, height=height)
    try:
        steps(page, server, site, check)
    except Exception as error:  # pylint: disable=broad-except
        check.fail(f"{type(error).__name__}: {error}")
    finally:
        page.close()
        server.close()

    if check.failures:
        print(f"{check.failures} failure(s); pictures in {check.out}")
        return 1
    print(f"all {check.out.name} checks passed; pictures in {check.out}")
    return 0
