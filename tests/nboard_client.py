#!/usr/bin/env python3
"""Plays a whole game against `brelvoxan-engine --nboard` as an analysis program would: it asks
for hints and plays from them for black, lets the engine choose white's moves with `go`, sets the
game so far in GGF halfway, and sends bad lines. Every answer is checked against this script's own
rules: legal moves and passes, hints in order, exact values near the end equal to a full search.
Then the streams: a line too long, a line without end, input that cannot be read, answers that
cannot be written and a reader that goes away.

Usage: nboard_client.py ENGINE     (exit 0 when every check holds)
"""
import os
import queue
import subprocess
import sys
import threading

DIRECTIONS = [(dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy]
LIMIT = 120  # seconds an answer may take before the engine counts as hung


def flips(board, x, y, me):
    """The squares a move of `me` on (x, y) turns."""
    if board[y][x]:
        return []
    turned = []
    for dx, dy in DIRECTIONS:
        line = []
        cx, cy = x + dx, y + dy
        while 0 <= cx < 8 and 0 <= cy < 8 and board[cy][cx] not in (None, me):
            line.append((cx, cy))
            cx, cy = cx + dx, cy + dy
        if line and 0 <= cx < 8 and 0 <= cy < 8 and board[cy][cx] == me:
            turned += line
    return turned


def legal(board, me):
    return [(x, y) for y in range(8) for x in range(8) if flips(board, x, y, me)]


def play(board, x, y, me):
    after = [row[:] for row in board]
    for fx, fy in flips(board, x, y, me) + [(x, y)]:
        after[fy][fx] = me
    return after


def other(me):
    return "W" if me == "B" else "B"


def final_score(board, me):
    mine = sum(row.count(me) for row in board)
    theirs = sum(row.count(other(me)) for row in board)
    empty = 64 - mine - theirs
    if mine > theirs:
        return mine - theirs + empty
    if mine < theirs:
        return mine - theirs - empty
    return 0


def exact(board, me, passed=False):
    """The final disc difference for `me` to move, by searching every line."""
    moves = legal(board, me)
    if not moves:
        if passed:
            return final_score(board, me)
        return -exact(board, other(me), True)
    return max(-exact(play(board, x, y, me), other(me)) for x, y in moves)


def name(square):
    return "ABCDEFGH"[square[0]] + str(square[1] + 1)


def square_of(text):
    return ("ABCDEFGH".index(text[0]), int(text[1]) - 1)


class Engine:
    def __init__(self, command):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, bufsize=1)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()
        self.pings = 0

    def _read(self):
        for line in self.process.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def ask(self, command):
        """The lines answering `command`, up to the pong of a ping sent after it."""
        self.pings += 1
        self.process.stdin.write(f"{command}\nping {self.pings}\n")
        self.process.stdin.flush()
        answer = []
        while True:
            line = self.lines.get(timeout=LIMIT)
            if line is None:
                raise AssertionError(f"the engine stopped after {command!r}")
            if line == f"pong {self.pings}":
                return answer
            answer.append(line)


def streams(program, check):
    run = [program, "--nboard"]
    done = subprocess.run(run, input="x" * 70000 + "\nping 1\n", capture_output=True, text=True,
                          timeout=LIMIT)
    check(done.returncode == 0 and done.stdout ==
          "status error: line longer than 65536 bytes\npong 1\n", f"long line: {done}")
    with open("/dev/zero", "rb") as zero:
        done = subprocess.run(run, stdin=zero, capture_output=True, timeout=LIMIT)
    check(done.returncode == 1 and b"reading stops" in done.stderr, f"endless line: {done}")
    with open("/dev/full", "wb") as full:
        done = subprocess.run(run, input=b"ping 1\n", stdout=full, stderr=subprocess.PIPE,
                              timeout=LIMIT)
    check(done.returncode == 1 and b"cannot write" in done.stderr, f"full output: {done}")
    folder = os.open("/", os.O_RDONLY)
    done = subprocess.run(run, stdin=folder, capture_output=True, timeout=LIMIT)
    os.close(folder)
    check(done.returncode == 1 and b"cannot read the commands" in done.stderr, f"unreadable: {done}")
    # A reader that goes away ends the run quietly.
    gone = subprocess.Popen(run, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    gone.stdout.close()
    try:
        gone.stdin.write(b"ping 1\n" * 100000)
        gone.stdin.close()
    except BrokenPipeError:
        pass
    check(gone.wait(timeout=LIMIT) == 1 and gone.stderr.read() == b"", "reader gone")
    done = subprocess.run([program, "--help"], capture_output=True, text=True, timeout=LIMIT)
    check(done.returncode == 0 and "--nboard" in done.stdout, "--help names --nboard")


def main():
    failures = []

    def check(ok, what):
        if not ok:
            failures.append(what)
            print("FAIL:", what)

    streams(sys.argv[1], check)
    engine = Engine([sys.argv[1], "--nboard", "--seed", "3"])
    check(engine.ask("nboard 2") == ["set myname Brelvoxan"], "nboard 2")
    answer = engine.ask("set depth 4")
    check(answer and answer[0].startswith("status depth 4: level 3"), f"set depth: {answer}")

    board = [[None] * 8 for _ in range(8)]
    board[3][3], board[3][4], board[4][3], board[4][4] = "W", "B", "B", "W"
    me = "B"
    record = []  # GGF moves
    exact_hints = 0
    turn = 0
    while legal(board, me) or legal(board, other(me)):
        turn += 1
        moves = legal(board, me)
        empties = sum(row.count(None) for row in board)
        if turn == 20:
            # The game so far, set again in GGF, with a comment holding an escaped bracket.
            ggf = ("(;GM[Othello]PC[client]PB[hints]PW[engine]TY[8]C[halfway \\] there]BO[8 " +
                   "-" * 27 + "O*------*O" + "-" * 27 + " *]" + "".join(record) + ";)")
            check(engine.ask("set game " + ggf) == [], "set game halfway")
            status = engine.ask("status")
            want = f"status level 3, {'black' if me == 'B' else 'white'} to move, {empties} empty"
            check(status and status[0].startswith(want), f"status after set game: {status}")
        if turn == 30:
            for bad in ["frobnicate", "move a9", "hint none", "set game (;B[a1]"]:
                answer = engine.ask(bad)
                check(len(answer) == 1 and answer[0].startswith("status error: "),
                      f"{bad!r}: {answer}")
        if me == "B":
            hints = engine.ask("hint 3")
            check(len(hints) == min(3, max(1, len(moves))), f"hint 3 at turn {turn}: {hints}")
            values = []
            for hint in hints:
                words = hint.split()
                check(len(words) == 5 and words[0] == "search" and words[3] == "0",
                      f"hint line {hint!r}")
                values.append(float(words[2]))
                if words[1] == "PA":
                    check(not moves, f"hint PA with moves at turn {turn}")
                    continue
                check(square_of(words[1]) in moves, f"hint {words[1]} illegal at turn {turn}")
                if words[4] == "100%" and empties <= 7:
                    after = play(board, *square_of(words[1]), me)
                    check(float(words[2]) == -exact(after, other(me)),
                          f"hint {hint!r} at turn {turn}: exact value differs")
                    exact_hints += 1
            check(values == sorted(values, reverse=True), f"hints out of order: {hints}")
            # The third best, or the last given, so that the game is not the engine's own line.
            choice = hints[-1].split()[1]
        else:
            answer = engine.ask("go")
            check(len(answer) == 1 and answer[0].startswith("=== "), f"go at turn {turn}: {answer}")
            choice = answer[0][4:].split("/")[0]
            if choice == "PA":
                check(not moves, f"go passes with moves at turn {turn}")
            else:
                check(square_of(choice) in moves, f"go plays {choice}, illegal at turn {turn}")
        check(engine.ask("move " + choice) == [], f"move {choice} at turn {turn}")
        if choice != "PA":
            board = play(board, *square_of(choice), me)
        record.append(f"{me}[{choice}]")
        me = other(me)

    check(exact_hints > 0, "no exact hint near the end")
    check(engine.ask("hint 3") == ["status the game is over"], "hint after the end")
    answer = engine.ask("go")
    check(len(answer) == 1 and answer[0].startswith("status error: "), f"go after the end: {answer}")
    check(engine.ask("learn")[-1:] == ["learned"], "learn")
    engine.process.stdin.write("quit\n")
    engine.process.stdin.flush()
    check(engine.process.wait(timeout=LIMIT) == 0, "quit")
    black = sum(row.count("B") for row in board)
    white = sum(row.count("W") for row in board)
    print(f"{turn} turns, black {black} white {white}; {exact_hints} exact hints checked; "
          f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
