#!/usr/bin/env python3
"""brelvoxan-engine as a GTP client drives it: one command at a time, each answer read before the
next command is sent and paired with it by order and by id. Comment lines, blank lines, long
lines and CRLF line ends stand among the commands; none may get an answer of its own.

Usage: python3 tests/gtp_pairing.py ENGINE   (exit 1 with the mismatches on failure)
"""
import subprocess
import sys
import threading

# (line sent, expected answer or None for a line that gets none). An answer is compared whole;
# "*" stands for any text after the id.
LONG = "0" * 1100
CASES = [
    ("# " + LONG, None),
    ("1 genmove black", "=1 *"),
    ("2 name", "=2 Brelvoxan"),
    ("", None),
    ("   \t", None),
    ("3 name\r", "=3 Brelvoxan"),
    ("4 known_command komi # " + LONG, "=4 true"),
    ("5 " + "x" * 1100, "?5 line longer than 1000 characters"),
    ("# " + LONG + "\r", None),
    ("6 known_command " + "y" * (1000 - 17) + "\r", "=6 false"),
    ("7 " + "y" * 1001, "?7 line longer than 1000 characters"),
    ("protocol_version", "= 2"),
    ("8 boardsize abc", "?8 syntax error"),
    ("9 komi 6.5\r", "=9"),
    ("10 time_settings 300 0 0", "=10"),
    ("11 time_left white 30 0", "=11"),
    ("12 reg_genmove white", "=12 *"),
    ("13 showboard", "=13 *"),
    ("14 bogus", "?14 unknown command"),
    ("15 quit", "=15"),
]


def read_answer(stream):
    """One answer: its lines up to the empty line that ends it, or None at the end of output."""
    lines = []
    while True:
        line = stream.readline()
        if not line:
            return None
        line = line.decode("utf-8", "replace").rstrip("\n")
        if line == "" and lines:
            return "\n".join(lines)
        if line != "" or lines:
            lines.append(line)


def main():
    engine = subprocess.Popen([sys.argv[1], "--level", "2", "--seed", "1"], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE)
    # A guard against a hang only: far beyond what the session needs.
    timer = threading.Timer(60, engine.kill)
    timer.start()
    failures = []
    pending = []  # lines sent since the last answer that get none
    for sent, expected in CASES:
        engine.stdin.write((sent + "\n").encode())
        engine.stdin.flush()
        if expected is None:
            pending.append(sent)
            continue
        answer = read_answer(engine.stdout)
        shown = sent[:40] + ("..." if len(sent) > 40 else "")
        if answer is None:
            failures.append(f"{shown!r}: no answer")
            break
        ok = (answer == expected if not expected.endswith("*")
              else answer.startswith(expected[:-1]) and len(answer) > len(expected) - 1)
        if not ok:
            failures.append(f"{shown!r}: answered {answer[:60]!r}, expected {expected!r}"
                            + (f" (after {len(pending)} line(s) without an answer)" if pending
                               else ""))
        pending = []
    engine.stdin.close()
    rest = engine.stdout.read().decode("utf-8", "replace")
    status = engine.wait()
    timer.cancel()
    if rest:
        failures.append(f"output after quit: {rest[:60]!r}")
    if status != 0:
        failures.append(f"exit status {status}")
    for failure in failures:
        print("FAIL:", failure)
    print("gtp_pairing:", "all passed" if not failures else f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
