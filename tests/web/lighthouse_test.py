#!/usr/bin/python3
"""Lighthouse against the served page, as a phone and as a desktop: performance, accessibility,
best practices and SEO must each score 100. Accessibility, best practices and SEO do not depend
on timing and must score 100 in every run; the performance score comes from timings that only
get worse when other work shares the machine, so up to three runs are made and the best counts.
Lighthouse comes from npm, installed by
tools/setup.sh (tools/lighthouse.sh); it drives Debian's Chromium, which reaches nothing but the
page's server on 127.0.0.1.

Usage: python3 tests/web/lighthouse_test.py BUILD_DIR   (exit 77 = skipped)
The reports stay in BUILD_DIR/lighthouse/."""

import json
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import page_driver  # noqa: E402  pylint: disable=wrong-import-position

ROOT = Path(__file__).resolve().parent.parent.parent
CATEGORIES = ("performance", "accessibility", "best-practices", "seo")
RUNS = 3
CHROMIUM_FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run", "--disable-sync",
                  "--disable-extensions", "--disable-quic")


def lighthouse_cli():
    """The Lighthouse command line that tools/lighthouse.sh installed, or None."""
    found = subprocess.run(["bash", str(ROOT / "tools" / "lighthouse.sh"), "--where"],
                           capture_output=True, text=True, check=False)
    cli = Path(found.stdout.strip()) if found.returncode == 0 else None
    return cli if cli and cli.is_file() else None


def audit(cli, url, form, report):
    """Scores by category (0..100) and the audits below full marks, for one form factor."""
    args = ["node", str(cli), url, "--quiet", "--output=json", f"--output-path={report}",
            "--only-categories=" + ",".join(CATEGORIES),
            "--chrome-flags=" + " ".join(CHROMIUM_FLAGS)]
    if form == "desktop":
        args.append("--preset=desktop")
    env = dict(os.environ, CHROME_PATH=page_driver.find_browser()[0])
    run = subprocess.run(args, env=env, capture_output=True, text=True, timeout=240, check=False)
    if run.returncode != 0 or not report.is_file():
        raise RuntimeError(f"Lighthouse failed ({run.returncode}): {run.stderr.strip()[-2000:]}")
    result = json.loads(report.read_text())
    scores = {c: round(100 * (result["categories"][c]["score"] or 0)) for c in CATEGORIES}
    short = []
    for category in CATEGORIES:
        for ref in result["categories"][category]["auditRefs"]:
            found = result["audits"][ref["id"]]
            if ref["weight"] > 0 and found.get("score") is not None and found["score"] < 1:
                short.append(f"{ref['id']} ({found.get('displayValue', found['score'])})")
    return scores, short


def main():
    build = page_driver.build_folder("lighthouse_test.py")
    if build is None:
        return 2
    site = build / "web" / "page"
    if not (site / "index.html").is_file():
        print(f"FAIL: {site}/index.html is missing; build everything first")
        return 1
    cli = lighthouse_cli()
    chromium, _, reason = page_driver.find_browser()
    if cli is None or chromium is None:
        print(f"skipped: {reason or 'Lighthouse is not installed (tools/setup.sh installs it)'}")
        return page_driver.SKIPPED
    out = build / "lighthouse"
    out.mkdir(exist_ok=True)
    server = page_driver.CountingServer(site)
    failures = 0
    try:
        for form in ("mobile", "desktop"):
            best = {}
            for run in range(RUNS):
                scores, short = audit(cli, server.url("index.html"), form,
                                      out / f"{form}-{run + 1}.json")
                print(f"{form} run {run + 1}: " + ", ".join(f"{c} {s}" for c, s in scores.items())
                      + (" (short: " + ", ".join(short) + ")" if short else ""))
                for category, score in scores.items():
                    if category != "performance" and score < 100:
                        failures += 1
                        print(f"FAIL: {form} {category} {score}")
                best = {c: max(best.get(c, 0), s) for c, s in scores.items()}
                if best["performance"] == 100:
                    break
            if best["performance"] < 100:
                failures += 1
                print(f"FAIL: {form} performance at best {best['performance']} in {RUNS} runs")
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"FAIL: {error}")
        failures += 1
    finally:
        server.close()
    print(f"reports in {out}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
