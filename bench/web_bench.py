#!/usr/bin/python3
"""The browser page in headless Chromium: from the start of the page load to the title's pixels
on the canvas, the wall time of the stone sweeps and of the computer's pause as the page itself
measures them, and the bytes the page transfers. Prints each figure with its goal. Not a test:
the figures depend on the machine.

Usage: python3 bench/web_bench.py BUILD_DIR [RUNS]   (BUILD_DIR/web/page or BUILD_DIR/page)"""

import statistics
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "web"))
import page_driver  # noqa: E402  pylint: disable=wrong-import-position


def one_game(page, server):
    """Loads the page afresh and plays the opening move; returns (load to title ms, trace,
    bytes sent)."""
    from selenium.webdriver.common.keys import Keys  # pylint: disable=import-outside-toplevel

    page.forget(server.url(""))  # no service worker or cache left from the run before
    server.take_sent()
    page.load(server.url("index.html?trace"))
    waits = page.settle(0)
    trace = page.trace()
    first_wait = next(e["t"] for e in trace if e["kind"] == "keywait")
    # Page time counts from the start of the navigation.
    title_ms = next(e["t"] for e in trace if e["kind"] == "paint" and e["t"] > first_wait)
    for key in ("1", Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_DOWN,
                Keys.ARROW_DOWN, Keys.ENTER):
        page.press(key)
        waits = page.settle(waits)
    return title_ms, page.trace(), sum(server.take_sent().values())


def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    build = Path(sys.argv[1]).resolve()
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else 5
    site = next((p for p in (build / "web" / "page", build / "page")
                 if (p / "index.html").is_file()), None)
    if site is None:
        print(f"no built page in {build}/web/page or {build}/page", file=sys.stderr)
        return 1
    chromium, chromedriver, reason = page_driver.find_browser()
    if reason:
        print(reason, file=sys.stderr)
        return 1

    server = page_driver.CountingServer(site)
    page = page_driver.Page(chromium, chromedriver)
    loads, sweeps, pauses, sent = [], [], [], []
    try:
        for _ in range(runs):
            title_ms, trace, sent_bytes = one_game(page, server)
            loads.append(title_ms)
            run_sweeps = page_driver.sweeps(trace)
            run_pauses = [end - start for start, end in page_driver.pauses(trace)]
            sweeps += run_sweeps
            pauses += run_pauses
            sent.append(sent_bytes)
            print(f"run {len(loads)}: title {title_ms:.1f} ms, sweeps "
                  + " ".join(f"{t:.1f}" for t in run_sweeps) + " ms, pause "
                  + " ".join(f"{t:.1f}" for t in run_pauses) + f" ms, {sent_bytes:,} bytes")
    finally:
        page.close()
        server.close()

    # A goal is never called met without a measurement.
    missing = [name for name, values in (("page loads", loads), ("stone sweeps", sweeps),
                                         ("computer's pauses", pauses), ("bytes", sent))
               if not values]
    if missing:
        print("error: no figure for " + ", ".join(missing), file=sys.stderr)
        return 1

    def line(figure, value, goal, ok):
        verdict = "" if ok is None else ("ok" if ok else "MISSED")
        print(f"{figure:<52} {value:>10}   {goal} {verdict}")

    print(f"Page in headless Chromium, {runs} fresh loads without cache, "
          f"{len(sweeps)} sweeps, {len(pauses)} computer's pauses")
    line("page load to the title's pixels, median (ms)", f"{statistics.median(loads):.1f}", "",
         None)
    line("page load to the title's pixels, worst (ms)", f"{max(loads):.1f}", "", None)
    line("stone sweep wall time, median (ms)", f"{statistics.median(sweeps):.1f}", "", None)
    line("stone sweep wall time, worst (ms)", f"{max(sweeps):.1f}", "<= 660", max(sweeps) <= 660)
    line("computer's pause wall time, worst (ms)", f"{max(pauses):.1f}", "<= 721",
         max(pauses) <= 721)
    line("bytes transferred by one load, uncompressed", f"{max(sent):,}", "<= 400,000",
         max(sent) <= 400_000)
    return 0


if __name__ == "__main__":
    sys.exit(main())
