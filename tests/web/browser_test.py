#!/usr/bin/python3
"""The browser page in headless Chromium against the simulator: the canvas, read back, must
equal brelvoxan-sim --png of the same keys on the title screen, at the game's start, after
cursor keys, and after a move and the computer's reply; the keyboard is on the game from the
start and its keys do not scroll the page; of two keys pressed during the computer's pause only
the last counts. At level 3 the computer's replies come from the page's worker, keys pressed while
it thinks land in the one-key slot as on the desktop, and three moves with their replies show the
simulator's pixels for the same level and seed. Prints the page's own timing of the stone sweeps.
First, the page's level choice offers the game's levels (the build's geometry.sh) and an address's
level is played only when it is one of them.

Usage: python3 tests/web/browser_test.py BUILD_DIR   (from the repository root; exit 77 = skipped)
Screenshots and canvas pictures stay in BUILD_DIR/browser/."""

import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import page_driver  # noqa: E402  pylint: disable=wrong-import-position


class Check(page_driver.Check):
    def __init__(self, build):
        super().__init__(build, "browser")

    def same_as_simulator(self, page, name, keys, args=()):
        """The canvas against the simulator's back buffer after the same keys."""
        reference = self.out / f"{name}_sim.png"
        # Settings kept in a fresh folder, as the page keeps them from its first visit.
        with tempfile.TemporaryDirectory() as kept:
            run = subprocess.run([str(self.sim), *args, "--png", str(reference), "--settings",
                                  kept], input=keys, text=True, capture_output=True, check=False)
        if run.returncode != 0:
            self.fail(f"{name}: the simulator failed: {run.stderr.strip()}")
            return
        result = page.compare_canvas(reference.read_bytes())
        (self.out / f"{name}.png").write_bytes(result["canvas"])
        if [result["width"], result["height"]] != result["want"]:
            self.fail(f"{name}: canvas {result['width']}x{result['height']}, "
                      f"simulator {result['want'][0]}x{result['want'][1]}")
        elif result["mismatches"]:
            self.fail(f"{name}: {result['mismatches']} pixels differ from the simulator's "
                      f"within x0 y0 x1 y1 = {result['box']} (see {self.out}/{name}.png)")
        else:
            print(f"{name}: identical to the simulator")


def play(page, waits, *keys):
    """Each key once the game waits for it again and shows what the last one did."""
    for key in keys:
        page.press(key)
        waits = page.settle(waits)
    return waits


def first_game(page, server, check):
    from selenium.webdriver.common.keys import Keys  # pylint: disable=import-outside-toplevel

    page.load(server.url("index.html?trace"))
    waits = page.settle(0)
    check.same_as_simulator(page, "title", "")
    page.driver.save_screenshot(str(check.out / "page_title.png"))

    focus = page.js("return document.activeElement && document.activeElement.id")
    if focus != "display":
        check.fail(f"the keyboard is on '{focus}' at the start, not on the game")
    # The largest whole scale whose display fits beside the page's margins, the status line
    # below it.
    scale = page.js("""
        const c = document.getElementById("display").getBoundingClientRect();
        const bar = document.getElementById("bar").offsetHeight;
        const w = brelvoxanGeometry.clientWidth, h = brelvoxanGeometry.clientHeight;
        const room = Math.min((document.documentElement.clientWidth - 16) / w,
                              (innerHeight - 24 - bar) / h);
        return [c.width / w, c.height / h, Math.floor(room), c.bottom <= innerHeight];""")
    if scale[0] != scale[1] or scale[0] != max(1, scale[2]) or not scale[3]:
        check.fail(f"display scaled {scale[0]} x {scale[1]}, the largest whole scale is {scale[2]}"
                   f"{'' if scale[3] else ', and it leaves the window'}")

    waits = play(page, waits, "1")
    check.same_as_simulator(page, "game_start", "1")

    # The keys that scroll a page must not scroll it while the game has them.
    page.js("document.body.style.minHeight = '400vh'; window.scrollTo(0, 0);")
    moves = [Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.SPACE, Keys.ARROW_RIGHT, Keys.ARROW_DOWN,
             Keys.ARROW_DOWN]
    waits = play(page, waits, *moves)
    scrolled = page.js("return window.scrollY")
    page.js("document.body.style.minHeight = '';")
    if scrolled != 0:
        check.fail(f"the game's keys scrolled the page by {scrolled} px")
    check.same_as_simulator(page, "cursor_moved", "1 Right Right Space Right Down Down")

    waits = play(page, waits, Keys.ENTER)
    check.same_as_simulator(page, "cpu_reply", "1 Right Right Space Right Down Down Enter")
    page.driver.save_screenshot(str(check.out / "page_game.png"))

    times = page_driver.sweeps(page.trace())
    if len(times) != 3:
        check.fail(f"{len(times)} stone sweeps traced, expected 3 (start, move, reply)")

    # Ctrl+Z takes the move back (Ctrl itself is a key the move ignores), H shows the hint.
    from selenium.webdriver import ActionChains  # pylint: disable=import-outside-toplevel
    ActionChains(page.driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    page.wait_until("Ctrl+Z in the game",
                    lambda: any(e["kind"] == "key" and e["value"] == 151 for e in page.trace()))
    trace = page.trace()
    last_key = max(i for i, e in enumerate(trace) if e["kind"] == "key")
    waits = page.settle(sum(1 for e in trace[:last_key] if e["kind"] == "keywait"))
    check.same_as_simulator(page, "taken_back",
                            "1 Right Right Space Right Down Down Enter vk17 Ctrl+Z")
    play(page, waits, "h")
    check.same_as_simulator(page, "hint", "1 Right Right Space Right Down Down Enter vk17 Ctrl+Z H")
    print("stone sweeps in the page (ms): " + " ".join(f"{t:.1f}" for t in times))


def keys_during_pause(page, server, check):
    from selenium.webdriver.common.keys import Keys  # pylint: disable=import-outside-toplevel

    page.load(server.url("index.html?trace"))
    waits = page.settle(0)
    waits = play(page, waits, "1", Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT,
                 Keys.ARROW_DOWN, Keys.ARROW_DOWN)
    page.press(Keys.ENTER)
    page.wait_until("computer's pause", lambda: page.state().get("sleepingMs") == 700)
    page.press(Keys.ARROW_LEFT)
    page.press(Keys.ARROW_DOWN)
    page.settle(waits)
    trace = page.trace()
    spans = page_driver.pauses(trace)
    keys = [e["t"] for e in trace if e["kind"] == "key" and e["t"] > trace_time_of_enter(trace)]
    if len(spans) != 1 or len(keys) != 2 or not all(spans[0][0] < t < spans[0][1] for t in keys):
        check.fail(f"the two keys did not both arrive during the computer's pause "
                   f"(pause {spans}, keys at {keys})")
        return
    # Only Down is left in the slot: the cursor goes down once and never left.
    check.same_as_simulator(page, "pause_keys", "1 Right Right Right Down Down Enter Down")


def trace_time_of_enter(trace):
    return max(e["t"] for e in trace if e["kind"] == "key" and e["value"] == 13)


THINKING_LEVEL = ("--level", "3", "--seed", "7")


def arrows(from_square, to_square):
    """The arrow tokens that walk the cursor box from one square to another."""
    (x, y), (to_x, to_y) = from_square, to_square
    return (["Right"] * max(0, to_x - x) + ["Left"] * max(0, x - to_x) + ["Down"] * max(0, to_y - y)
            + ["Up"] * max(0, y - to_y))


def keys_since_job(page):
    """The key codes the page took since the game last handed a job over."""
    trace = page.trace()
    job = max((i for i, e in enumerate(trace) if e["kind"] == "job"), default=len(trace))
    return [e["value"] for e in trace[job:] if e["kind"] == "key"]


def thinking_in_a_worker(page, server, check):
    """Three moves at level 3, each reply thought out in the page's worker; each job is held in
    the page until the test lets it go, and during the first two keys are pressed."""
    from selenium.webdriver.common.keys import Keys  # pylint: disable=import-outside-toplevel
    key_of = {"Right": Keys.ARROW_RIGHT, "Left": Keys.ARROW_LEFT, "Down": Keys.ARROW_DOWN,
              "Up": Keys.ARROW_UP, "Enter": Keys.ENTER, "1": "1"}

    page.load(server.url("index.html?trace&level=3&seed=7"))
    waits = page.settle(0)
    page.js("""
        const run = Module.runJobElsewhere;
        Module.heldJobs = [];
        Module.runJobElsewhere = job => new Promise(
            resolve => Module.heldJobs.push(() => run(job).then(resolve)));""")
    tokens = ["1"]
    waits = play(page, waits, "1")
    for move in range(3):
        printout = subprocess.run([str(check.sim), *THINKING_LEVEL], input=" ".join(tokens),
                                  text=True, capture_output=True, check=True).stdout
        _, board = page_driver.screen_and_board(printout)
        cursor = next(tuple(int(v) for v in line.split()[1:3])
                      for line in printout.splitlines() if line.startswith("cursor: "))
        walk = arrows(cursor, page_driver.legal_moves(board)[0])
        waits = play(page, waits, *[key_of[token] for token in walk])
        tokens += walk + ["Enter"]
        page.press(Keys.ENTER)
        page.wait_until("the computer's job", lambda: page.js("return Module.heldJobs.length"))
        if move == 0:
            page.press(Keys.ARROW_LEFT)
            page.press(Keys.ARROW_DOWN)
            page.wait_until("both keys taken by the page", lambda: len(keys_since_job(page)) == 2)
            tokens.append("Down")  # only the last key stays in the slot
        page.js("Module.heldJobs.shift()()")
        waits = page.settle(waits)
        check.same_as_simulator(page, f"level3_move{move + 1}", " ".join(tokens), THINKING_LEVEL)

    trace = page.trace()
    answers = [e["value"] for e in trace if e["kind"] == "answer"]
    if answers != [3, 3, 3]:
        check.fail(f"the worker's answers were {answers} bytes long, expected three of 3")
    job_at = next(i for i, e in enumerate(trace) if e["kind"] == "job")
    answer_at = next(i for i, e in enumerate(trace) if e["kind"] == "answer")
    during = [e["value"] for e in trace[job_at:answer_at] if e["kind"] == "key"]
    if during != [37, 40]:
        check.fail(f"keys while the computer thought: {during}, expected Left and Down")
    page.driver.save_screenshot(str(check.out / "page_level3.png"))


def game_levels(build):
    """The lowest, highest and default level as the game has them (the build's geometry.sh)."""
    values = dict(re.findall(r"^BRELVOXAN_(MIN_LEVEL|MAX_LEVEL|DEFAULT_LEVEL)=([0-9]+)$",
                             (build / "geometry.sh").read_text(), re.MULTILINE))
    return int(values["MIN_LEVEL"]), int(values["MAX_LEVEL"]), int(values["DEFAULT_LEVEL"])


def level_choice(page, server, check):
    """The page's level choice offers the game's levels, no more and no fewer, and a level in
    the address is played only when it is one of them; any other gives the default level."""
    low, high, default = game_levels(check.sim.parent)
    levels = [str(level) for level in range(low, high + 1)]
    for asked, played in ((high, high), (high + 1, default), (low, low), (low - 1, default),
                          (f"0{high}", default)):
        page.js("localStorage.clear()")  # no level remembered from an earlier load
        page.load(server.url(f"index.html?level={asked}"))
        offered, chosen, arguments = page.js("""
            const choice = document.getElementById('level');
            return [Array.from(choice.options, option => option.value), choice.value,
                    Module.arguments];""")
        if offered != levels:
            check.fail(f"the level choice offers {offered}, the game's levels are {levels}")
        if chosen != str(played) or arguments[:2] != ["--level", str(played)]:
            check.fail(f"?level={asked}: the page chose {chosen} and started the game with "
                       f"{arguments}, expected level {played}")
    page.js("localStorage.clear()")


def steps(page, server, _site, check):
    level_choice(page, server, check)
    first_game(page, server, check)
    keys_during_pause(page, server, check)
    thinking_in_a_worker(page, server, check)
    errors = page.js("return document.getElementById('status').textContent")
    if errors:
        check.fail(f"the page says: {errors}")


def main():
    return page_driver.run_checks("browser_test.py", Check, steps, ("index.html", "brelvoxan.js"),
                                  width=1600, height=1000)


if __name__ == "__main__":
    sys.exit(main())
