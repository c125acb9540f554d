#!/usr/bin/python3
"""The page on phones, in headless Chromium with a phone's screen, pixel ratio 3, touch and user
agent: over several fresh loads at 360 x 740, 390 x 844, 412 x 915 and 844 x 390 the page never
scrolls sideways and the display lies inside the viewport, in portrait across at least 90% of
its width; the on-screen keys store one key each; a whole game played only by touch (on-screen
keys and taps on squares), with a pass, the result and the way back to the title, matches the
simulator's pixels for the same keys, and so do the title's level keys (the page's level choice
following them), Undo, Hint and Moves; after one visit the page loads and plays with the server
stopped; Chromium finds nothing that keeps it from being installed; opened from a file it says
that it must be served.

Usage: python3 tests/web/phone_test.py BUILD_DIR   (from the repository root; exit 77 = skipped)
Screenshots and canvas pictures stay in BUILD_DIR/phone/."""

import random
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import page_driver  # noqa: E402  pylint: disable=wrong-import-position

SCREENS = ((360, 740), (390, 844), (412, 915), (844, 390))
LOADS_PER_SCREEN = 3
KEY_TOKENS = {13: "Enter", 37: "Left", 38: "Up", 39: "Right", 40: "Down", 49: "1", 50: "2",
              72: "H", 77: "M", 151: "Ctrl+Z"}
# The simulator's token of what each on-screen key sends.
PAD_TOKENS = {"TakeBack": "Ctrl+Z", "Hint": "H", "Moves": "M"}


class Check(page_driver.Check):
    def __init__(self, build):
        super().__init__(build, "phone")

    def simulate(self, tokens):
        """The simulator's printout after the keys, and its back buffer as PNG bytes. It keeps
        settings and results in a fresh folder, as the page does in its storage from its first
        visit: after a whole game both titles show the result."""
        picture = self.out / "sim.png"
        with tempfile.TemporaryDirectory() as kept:
            run = subprocess.run([str(self.sim), "--png", str(picture), "--settings", kept],
                                 input=" ".join(tokens), text=True, capture_output=True,
                                 check=True)
        return run.stdout, picture.read_bytes()

    def same_as_simulator(self, page, name, tokens):
        result = page.compare_canvas(self.simulate(tokens)[1])
        (self.out / f"{name}.png").write_bytes(result["canvas"])
        if result["mismatches"] or [result["width"], result["height"]] != result["want"]:
            self.fail(f"{name}: {result['mismatches']} pixels differ from the simulator's within "
                      f"{result['box']} after {' '.join(tokens)}")
            return False
        return True


def layout(page, server, check):
    for width, height in SCREENS:
        page.emulate_phone(width, height)
        for load in range(LOADS_PER_SCREEN):
            page.forget(server.url(""))
            page.load(server.url("index.html?trace"))
            page.settle(0)
            got = page.js("""
                const d = document.getElementById("display").getBoundingClientRect();
                const keys = [...document.querySelectorAll("#pad button")].map(b => {
                  const r = b.getBoundingClientRect();
                  return [b.dataset.key, r.left, r.top, r.right, r.bottom];
                });
                return {view: [innerWidth, innerHeight],
                        scroll: document.documentElement.scrollWidth,
                        display: [d.left, d.top, d.right, d.bottom], keys};""")
            view_width, view_height = got["view"]
            left, top, right, bottom = got["display"]
            where = f"{width}x{height} load {load + 1}"
            if got["scroll"] > view_width:
                check.fail(f"{where}: the page is {got['scroll']} px wide in {view_width}")
            if left < 0 or top < 0 or right > view_width or bottom > view_height:
                check.fail(f"{where}: the display {got['display']} leaves the viewport")
            if height > width and right - left < 0.9 * view_width:
                check.fail(f"{where}: the display is {right - left:.0f} px of {view_width}")
            if sorted(k[0] for k in got["keys"]) != sorted(["1", "2", "Up", "Down", "Left",
                                                             "Right", "Enter", "TakeBack",
                                                             "Hint", "Moves"]):
                check.fail(f"{where}: on-screen keys {[k[0] for k in got['keys']]}")
            for key, k_left, k_top, k_right, k_bottom in got["keys"]:
                if k_right - k_left < 44 or k_bottom - k_top < 44:
                    check.fail(f"{where}: the key {key} is smaller than 44 x 44")
                if k_left < 0 or k_top < 0 or k_right > view_width or k_bottom > view_height:
                    check.fail(f"{where}: the key {key} is outside the viewport")
        page.driver.save_screenshot(str(check.out / f"page_{width}x{height}.png"))
        print(f"{width}x{height}: display {right - left:.0f} x {bottom - top:.0f} px at "
              f"({left:.0f}, {top:.0f}), {LOADS_PER_SCREEN} loads")


class TouchGame:
    """The page played by taps only; the keys the page sent, read from its trace, are replayed
    in the simulator."""

    def __init__(self, page, check):
        self.page = page
        self.check = check
        self.waits = page.settle(0)

    def keys_sent(self):
        return [KEY_TOKENS.get(e["value"], f"vk{e['value']}") for e in self.page.trace()
                if e["kind"] == "key"]

    def settle_after_keys(self, before):
        """Waits for the keys that a tap sends and for the game to wait again after the last."""
        self.page.wait_until("a key from the tap", lambda: len(self.keys_sent()) > before)
        self.page.wait_until("the end of the walk",
                             lambda: not self.page.js("return Module.brelvoxanWalking()"))
        trace = self.page.trace()
        last_key = max(i for i, e in enumerate(trace) if e["kind"] == "key")
        self.waits = self.page.settle(sum(1 for e in trace[:last_key] if e["kind"] == "keywait"))
        return self.keys_sent()[before:]

    def tap_key(self, name):
        before = len(self.keys_sent())
        self.page.tap_element(f'#pad button[data-key="{name}"]')
        sent = self.settle_after_keys(before)
        if sent != [PAD_TOKENS.get(name, name)]:
            self.check.fail(f"the on-screen key {name} stored {sent}")

    def tap_square(self, x, y):
        left, top, across, down = self.page.js("""
            const r = document.getElementById("display").getBoundingClientRect();
            const g = brelvoxanGeometry, squareDots = g.cellWidth / g.dotWidth;
            return [r.left, r.top, r.width / g.clientWidth * g.cellWidth,
                    r.height / g.clientHeight * squareDots * g.dotHeight];""")
        before = len(self.keys_sent())
        self.page.tap(left + (x - 0.5) * across, top + (y - 0.5) * down)
        return self.settle_after_keys(before)


def touch_game(page, server, check):
    """A whole game as Black by touch: random legal squares from a fixed seed, chosen on the
    simulator's board, until the game has had a pass of the person's and ended."""
    page.emulate_phone(390, 844)
    page.forget(server.url(""))
    page.load(server.url("index.html?trace"))
    game = TouchGame(page, check)
    game.tap_key("1")
    choose = random.Random(0)
    passes, moves, placed = 0, 0, None
    for _ in range(80):
        tokens = game.keys_sent()
        screen, board = page_driver.screen_and_board(check.simulate(tokens)[0])
        if placed and board[placed[1] - 1][placed[0] - 1] == ".":
            check.fail(f"two taps on square {placed} placed no stone there")
            return
        if any(word in screen for word in ("YOU WIN", "YOU LOSE", "DRAW")):
            break
        if "PASS!" in screen:
            passes += 1
            placed = None
            if not check.same_as_simulator(page, f"touch_pass{passes}", tokens):
                return
            game.tap_key("Down")  # any key
            continue
        x, y = choose.choice(page_driver.legal_moves(board))
        game.tap_square(x, y)  # the cursor box walks there
        game.tap_square(x, y)  # and the stone is placed
        moves += 1
        placed = (x, y)
        if moves == 1 and not check.same_as_simulator(page, "touch_first_move", game.keys_sent()):
            return
    tokens = game.keys_sent()
    if not check.same_as_simulator(page, "touch_result", tokens):
        return
    page.driver.save_screenshot(str(check.out / "page_touch_result.png"))
    game.tap_key("Enter")
    check.same_as_simulator(page, "touch_back_at_title", game.keys_sent())
    if passes == 0:
        check.fail("the game by touch had no pass of the person's; choose another seed")
    print(f"a whole game by touch: {moves} moves, {passes} passes, "
          f"{len(game.keys_sent())} keys, the same pixels as the simulator's")


def take_back_hint_and_level(page, server, check):
    """The title's level keys with the page's level choice following them, then Undo, Hint and
    Moves during a move; at each step the same pixels as the simulator's."""
    page.emulate_phone(390, 844)
    page.forget(server.url(""))
    page.load(server.url("index.html?trace"))
    game = TouchGame(page, check)
    page.driver.save_screenshot(str(check.out / "page_title_level1.png"))
    steps = (("title_level3", ["Right", "Right"]), ("title_level1", ["Left", "Left"]),
             ("before_take_back", None), ("after_take_back", ["TakeBack"]),
             ("after_hint", ["Hint"]), ("marks_on", ["Moves"]))
    for name, keys in steps:
        if keys is None:
            game.tap_key("1")
            game.tap_square(4, 3)
            game.tap_square(4, 3)
        else:
            for key in keys:
                game.tap_key(key)
        page.driver.save_screenshot(str(check.out / f"page_{name}.png"))
        if not check.same_as_simulator(page, name, game.keys_sent()):
            return
        if name.startswith("title"):
            chosen = page.js("return [document.getElementById('level').value, location.search]")
            if chosen[0] != name[-1] or f"level={name[-1]}" not in chosen[1]:
                check.fail(f"{name}: the page's level choice and address are {chosen}")
    print("the title's level, Undo, Hint and Moves by touch: the simulator's pixels, the level "
          "choice in step")


def offline_and_installable(page, site, check):
    """One visit with the server running, then a reload without it."""
    server = page_driver.CountingServer(site)
    try:
        page.emulate_phone(412, 915)
        page.forget(server.url(""))
        page.load(server.url("index.html?trace"))
        page.settle(0)
        page.wait_until("the service worker in charge",
                        lambda: page.js("return !!navigator.serviceWorker.controller"))
        errors = page.cdp("Page.getInstallabilityErrors").get("installabilityErrors")
        if errors:
            check.fail(f"Chromium finds the page not installable: {errors}")
        else:
            print("installable: Chromium reports no installability errors")
    finally:
        server.close()
    page.load(server.url("index.html?trace"))
    game = TouchGame(page, check)
    if check.same_as_simulator(page, "offline_title", []):
        game.tap_key("1")
        game.tap_square(4, 3)
        game.tap_square(4, 3)
        if check.same_as_simulator(page, "offline_move", game.keys_sent()):
            print("offline: the title and a move with the server stopped")


def from_file(page, site, check):
    page.emulate_phone(None, None)
    page.load((site / "index.html").as_uri())
    try:
        said = page.wait_until("the message for a page opened from a file", lambda: page.js(
            "const s = document.getElementById('status').textContent;"
            "return s.includes('tools/serve-web.sh') && s;"))
        print(f"from a file: {said}")
    except TimeoutError:
        check.fail("opened from a file, the page does not say that it must be served: "
                   + page.js("return document.getElementById('status').textContent"))


def steps(page, server, site, check):
    layout(page, server, check)
    touch_game(page, server, check)
    take_back_hint_and_level(page, server, check)
    server.close()
    offline_and_installable(page, site, check)
    from_file(page, site, check)


def main():
    return page_driver.run_checks("phone_test.py", Check, steps,
                                  ("index.html", "brelvoxan.js", "sw.js"))


if __name__ == "__main__":
    sys.exit(main())
