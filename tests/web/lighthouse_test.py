#!/usr/bin/python3
"""Lighthouse against the served page, as a phone and as a desktop: accessibility, best practices
and SEO must each score 100. These categories do not depend on timing, so one run of each form
decides. The performance score and its timings depend on the machine and on what else runs on it:
they are figures of bench/lighthouse_bench.py, not of this test. Lighthouse comes from npm,
installed by tools/setup.sh (tools/lighthouse.sh); it drives Debian's Chromium, which reaches
nothing but the page's server on 127.0.0.1.

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
CATEGORIES = ("accessibility", "best-practices", "seo")
CHROMIUM_FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                  "--disable-component-update", "--no-first-run", "--disable-sync",
                  "--disable-extensions", "--disable-quic")
# Only a hang limit: one audit takes well under half a minute on a quiet machine.
AUDIT_LIMIT_S = 600


def lighthouse_cli():
    """The Lighthouse command line that tools/lighthouse.sh installed, or None."""
    found = subprocess.run(["bash", str(ROOT / "tools" / "lighthouse.sh"), "--where"],
                           capture_output=True, text=True, check=False)
    cli = Path(found.stdout.strip()) if found.returncode == 0 else None
    return cli if cli and cli.is_file() else None


def run_lighthouse(cli, url, form, report, categories):
    """One Lighthouse run of the given categories for one form factor ("mobile" or "desktop");
    returns the report as parsed JSON."""
    args = ["node", str(cli), url, "--quiet", "--output=json", f"--output-path={report}",
            "--only-categories=" + ",".join(categories),
            "--chrome-flags=" + " ".join(CHROMIUM_FLAGS)]
    if form == "desktop":
        args.append("--preset=desktop")
    env = dict(os.environ, CHROME_PATH=page_driver.find_browser()[0])
    run = subprocess.run(args, env=env, capture_output=True, text=True, timeout=AUDIT_LIMIT_S,
                         check=False)
    if run.returncode != 0 or not report.is_file():
        raise RuntimeError(f"Lighthouse failed ({run.returncode}): {run.stderr.strip()[-2000:]}")
    return json.loads(report.read_text())


def scores_and_shortfalls(result, categories):
    """Scores by category (0..100) and the weighted audits below full marks."""
    scores = {c: round(100 * (result["categories"][c]["score"] or 0)) for c in categories}
    short = []
    for category in categories:
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
            result = run_lighthouse(cli, server.url("index.html"), form, out / f"{form}.json",
                                    CATEGORIES)
            scores, short = scores_and_shortfalls(result, CATEGORIES)
            print(f"{form}: " + ", ".join(f"{c} {s}" for c, s in scores.items())
                  + (" (short: " + ", ".join(short) + ")" if short else ""))
            for category, score in scores.items():
                if score < 100:
                    failures += 1
                    print(f"FAIL: {form} {category} {score}")
    except (RuntimeError, subprocess.TimeoutExpired) as error:
        print(f"FAIL: {error}")
        failures += 1
    finally:
        server.close()
    print(f"reports in {out}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
