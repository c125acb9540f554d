#!/usr/bin/env python3
"""Reads the GoogleTest sources and fails when a test case that starts a thread of its own is
missing from tests/thread_cases.txt, or when a name there is no longer a case that starts one:
the thread sanitizer's build runs the listed cases alone, so one left out would never be looked
at for races. A case starts a thread when its body (up to the next case) names std::thread,
std::jthread, std::async or pthread_create.

  python3 tests/threads_check.py [ROOT]   (default: the repository this file is in)
"""

import re
import sys
from pathlib import Path

CASE = re.compile(r"^TEST(?:_F|_P)?\(\s*(\w+)\s*,\s*(\w+)\s*\)", re.MULTILINE)
STARTS = re.compile(r"\bstd::(?:j?thread|async)\b(?!::)|\bpthread_create\b")


def starting_cases(root):
    """{"Suite.Name": file} of the cases whose bodies start a thread."""
    found = {}
    for path in sorted((root / "tests").rglob("*_test.cpp")):
        text = path.read_text(encoding="utf-8")
        heads = list(CASE.finditer(text))
        for i, head in enumerate(heads):
            end = heads[i + 1].start() if i + 1 < len(heads) else len(text)
            if STARTS.search(text, head.end(), end):
                found[f"{head.group(1)}.{head.group(2)}"] = path.relative_to(root)
    return found


def listed_cases(root):
    lines = (root / "tests/thread_cases.txt").read_text(encoding="utf-8").splitlines()
    return {line.strip() for line in lines if line.strip() and not line.startswith("#")}


def main():
    root = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent
    starting = starting_cases(root)
    listed = listed_cases(root)
    problems = [f"threads_check: {where}: {name} starts a thread but is not in "
                "tests/thread_cases.txt" for name, where in sorted(starting.items())
                if name not in listed]
    problems += [f"threads_check: tests/thread_cases.txt: {name} is not a case that starts a "
                 "thread" for name in sorted(listed - starting.keys())]
    for problem in problems:
        print(problem, file=sys.stderr)
    if problems:
        return 1
    print(f"threads_check: the {len(starting)} cases that start threads are all listed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
