#!/usr/bin/env python3
"""Reads the tests' sources and fails on a time limit under 30 s: a limit only catches a hang,
so that no test depends on how fast or busy the machine is. Looks at the limits of commands
(timeout, read -t, the X client's --timeout, the referee's move timeouts, libFuzzer's
-timeout), CTest's TIMEOUT properties, the scripts' and the page tests' named limits, a sleep
used to wait for something and the "within N s" of a message. A limit left short on purpose
stands in EXCEPTIONS below with the reason; an exception that no longer matches fails too.

  python3 tests/limits_check.py [ROOT]   (default: the repository this file is in)
"""

import re
import sys
from pathlib import Path

FLOOR_S = 30

# Where limits are set: the test scripts, page tests and CTest files, and what they run.
SOURCES = ("tests/**/*.sh", "tests/**/*.py", "tests/**/CMakeLists.txt", "tests/CMakeLists.txt",
           "tools/xclient/xclient.sh", "tools/test.sh", "fuzz/run.sh", "cmake/Packaging.cmake")

# (pattern whose first group is the number, seconds per unit, what it is)
LIMITS = [
    (r"(?<![-\w])timeout\s+([0-9.]+)\b", 1, "timeout"),
    (r"\bctest\b.*--timeout\s+([0-9.]+)", 1, "ctest --timeout"),
    (r"^(?!.*\bctest\b).*?(?<!\w)--timeout[ =]([0-9.]+)", 0.001, "--timeout (ms)"),
    (r"--(?:\w+-)?move-timeout[ =]([0-9.]+)", 1, "move timeout"),
    (r"\bread\b.*\s-t\s+([0-9.]+)", 1, "read -t"),
    (r"(?<![\w-])-timeout=([0-9.]+)", 1, "libFuzzer -timeout"),
    (r"(?<![-\w])timeout=([0-9.]+)", 1, "timeout="),
    (r"\b(?:DISCOVERY_)?TIMEOUT\s+([0-9.]+)", 1, "CTest TIMEOUT"),
    (r"\b\w*_LIMIT_S\s*=\s*([0-9.]+)", 1, "limit"),
    (r"\b\w*_(?:limit|timeout)_ms=([0-9]+)", 0.001, "limit (ms)"),
    (r"\bxc_settle\s+\S+\s+\S+\s+\S+\s+([0-9]+)", 0.001, "xc_settle's limit (ms)"),
    (r"\bxc_search_until\s+([0-9]+)", 1, "window search"),
    (r"within\s+([0-9.]+)\s*s\b", 1, "\"within N s\""),
]
# Sleeps shorter than this are a poll's pause; longer ones wait for something.
POLL_S = 0.2
SLEEPS = [r"(?<![\w-])sleep\s+([0-9.]+)(?=\s|;|\)|$)", r"\btime\.sleep\(\s*([0-9.]+)"]

# (file, text on the line, why it may stay short)
EXCEPTIONS = [
    ("tests/gtp_cli.sh", "--second-move-timeout 1",
     "the engine it limits never answers a move until it is killed: nothing races the limit"),
    ("tests/gtp_cli.sh", "no answer within 1 s",
     "the referee's message for that engine's limit"),
    ("fuzz/run.sh", "-timeout=2",
     "libFuzzer's limit for one input of at most 16 KB, which decodes in well under a "
     "millisecond even in the fuzzer's build: a decoder whose work runs out of bounds is found "
     "by it"),
    ("tests/xvfb_e2e.sh", "sleep 0.3",
     "aims the close at the stone sweep; a close that lands after it must pass as well"),
    ("tests/wine/wine_e2e.sh", "sleep 0.5",
     "aims the close at the stone sweep; a close that lands after it must pass as well"),
    ("tests/wine/wine_e2e.sh", "sleep 1\n",
     "aims the close at the computer's pause; a close that lands after it must pass as well"),
    ("tests/wine/wine_game.sh", "--timeout 2000",
     "only describes a game that has already failed to close"),
    ("tests/wine/wine_game.sh", "sleep 2",
     "only describes a game that has already failed to close"),
]


def findings(root):
    """(file, line number, line, seconds, what) of every limit under the floor."""
    files = sorted({p for pattern in SOURCES for p in root.glob(pattern) if p.is_file()})
    for path in files:
        name = path.relative_to(root).as_posix()
        if name in ("tests/limits_check.py", "tests/limits_plant.sh"):
            continue  # the exceptions and the planted limits of the check itself
        for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
            code = line.strip()
            if code.startswith("#"):
                continue  # a comment
            for pattern, unit, what in LIMITS:
                for match in re.finditer(pattern, line):
                    seconds = float(match.group(1)) * unit
                    if seconds < FLOOR_S:
                        yield name, number, line, seconds, what
            for pattern in SLEEPS:
                for match in re.finditer(pattern, line):
                    seconds = float(match.group(1))
                    if POLL_S <= seconds < FLOOR_S:
                        yield name, number, line, seconds, "a sleep that waits"


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    used = set()
    failed = 0
    count = 0
    for name, number, line, seconds, what in findings(root):
        count += 1
        reviewed = [i for i, (file, text, _) in enumerate(EXCEPTIONS)
                    if file == name and (text in line + "\n")]
        if reviewed:
            used.update(reviewed)
            continue
        print(f"limits_check: {name}:{number}: {what} of {seconds:g} s, under {FLOOR_S} s: "
              f"{line.strip()}", file=sys.stderr)
        failed += 1
    for i, (file, text, _) in enumerate(EXCEPTIONS):
        if i not in used:
            print(f"limits_check: the exception for {file} ('{text.strip()}') matches no short "
                  f"limit any more: remove it", file=sys.stderr)
            failed += 1
    if failed:
        print(f"limits_check: {failed} problem(s); a limit only catches a hang (at least "
              f"{FLOOR_S} s), or the test waits on something it controls", file=sys.stderr)
        return 1
    print(f"limits_check: ok; {count} short limit(s), each a reviewed exception:")
    for file, text, why in EXCEPTIONS:
        print(f"  {file}: {text.strip()}: {why}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
