#!/usr/bin/python3
"""Lighthouse's performance audit of the served page, as a phone and as a desktop: the median of
several runs (five unless told) of the performance score and its metrics, each printed beside its
goal. Not a test: the timings depend on the machine and on what else runs on it. Run it on a
quiet machine; the reports stay in BUILD_DIR/lighthouse-bench/.

Usage: python3 bench/lighthouse_bench.py BUILD_DIR [RUNS]"""

import statistics
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "web"))
import lighthouse_test  # noqa: E402  pylint: disable=wrong-import-position
import page_driver  # noqa: E402  pylint: disable=wrong-import-position

# (audit id, what it is, unit, factor to the unit, goal by form: (mobile, desktop), None = none)
METRICS = (
    ("total-blocking-time", "total blocking time", "ms", 1, (50, None)),
    ("largest-contentful-paint", "largest contentful paint", "ms", 1, (None, None)),
    ("first-contentful-paint", "first contentful paint", "ms", 1, (None, None)),
    ("speed-index", "speed index", "ms", 1, (None, None)),
    ("cumulative-layout-shift", "cumulative layout shift", "", 1, (None, None)),
)


def longest_task(result):
    """The longest main-thread task Lighthouse saw during the load, in ms (0 when none was long
    enough to be listed)."""
    items = (result["audits"].get("long-tasks", {}).get("details") or {}).get("items") or []
    return max((item.get("duration", 0) for item in items), default=0)


def main():
    arguments = page_driver.bench_arguments(__doc__)
    if arguments is None:
        return 2
    build, site, runs = arguments
    cli = lighthouse_test.lighthouse_cli()
    if site is None or cli is None or page_driver.find_browser()[0] is None:
        print("needs the built page, Chromium and Lighthouse (tools/setup.sh)", file=sys.stderr)
        return 1
    out = build / "lighthouse-bench"
    out.mkdir(exist_ok=True)
    server = page_driver.CountingServer(site)
    figures = {}
    try:
        for form in ("mobile", "desktop"):
            for run in range(runs):
                result = lighthouse_test.run_lighthouse(cli, server.url("index.html"), form,
                                                        out / f"{form}-{run + 1}.json",
                                                        ("performance",))
                values = {"performance": round(100 * (result["categories"]["performance"]
                                                      ["score"] or 0)),
                          "longest task": longest_task(result)}
                for audit, _, _, factor, _ in METRICS:
                    values[audit] = result["audits"][audit].get("numericValue", 0) * factor
                for name, value in values.items():
                    figures.setdefault((form, name), []).append(value)
                print(f"{form} run {run + 1}: performance {values['performance']}, TBT "
                      f"{values['total-blocking-time']:.0f} ms, longest task "
                      f"{values['longest task']:.0f} ms", flush=True)
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"error: {error}", file=sys.stderr)
        return 1
    finally:
        server.close()

    def line(figure, values, goal, higher_is_better=False):
        value = statistics.median(values)
        if goal is None:
            verdict = ""
        else:
            met = value >= goal if higher_is_better else value <= goal
            verdict = ("ok" if met else "MISSED")
        goal_text = "" if goal is None else (f">= {goal}" if higher_is_better else f"<= {goal}")
        shown = f"{value:.3f}" if value < 1 and value != 0 else f"{value:.0f}"
        print(f"{figure:<52} {shown:>8}   {goal_text} {verdict}")

    print(f"Lighthouse, median of {runs} runs each")
    for form_index, form in enumerate(("mobile", "desktop")):
        line(f"{form}: performance score", figures[(form, "performance")], 100, True)
        for audit, name, unit, _, goals in METRICS:
            line(f"{form}: {name}{f' ({unit})' if unit else ''}", figures[(form, audit)],
                 goals[form_index])
        line(f"{form}: longest main-thread task in the load (ms)", figures[(form, "longest task")],
             None)
    return 0


if __name__ == "__main__":
    sys.exit(main())
