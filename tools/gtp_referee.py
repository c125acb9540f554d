#!/usr/bin/env python3
"""Plays two Reversi engines that speak the Go Text Protocol against each other.

Each game starts from one of the match openings (tools/sim/openings.h, six moves from the start),
and each opening is played twice with the colours swapped. The referee keeps the board itself:
a move that is not legal, an answer that is not one, or no answer in time loses the game for
the engine that gave it. Prints a table of results for the first engine and the worst time
either took for a move; --transcript keeps every command and answer.

  python3 tools/gtp_referee.py --games 40 --first "build/brelvoxan-engine --level 5 --seed 1" \
      --second "other-engine --its-options" [--transcript FILE] [--move-timeout SECONDS]
      [--first-move-timeout SECONDS] [--second-move-timeout SECONDS]

A move timeout bounds the answer to genmove; any other answer may take that long or a minute,
whichever is longer, so that only a move is ever judged by its time.
"""

import argparse
import os
import re
import select
import shlex
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DIRECTIONS = [(dx, dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1) if dx or dy]
BLACK, WHITE = "X", "O"
# Seconds any answer but a move may take: only a hung engine needs so long.
OTHER_ANSWER_LIMIT = 60


def read_openings(path):
    """The openings as lists of squares, in their order in the header."""
    with open(path, encoding="utf-8") as f:
        lines = re.findall(r'"((?:[a-h][1-8])+)"', f.read())
    return [[line[i:i + 2] for i in range(0, len(line), 2)] for line in lines]


class Board:
    """The board and the rules, squares a1 (top left) to h8."""

    def __init__(self):
        self.cells = {}
        for x in range(8):
            for y in range(8):
                self.cells[(x, y)] = None
        self.cells[(3, 3)] = self.cells[(4, 4)] = WHITE
        self.cells[(4, 3)] = self.cells[(3, 4)] = BLACK

    @staticmethod
    def square(name):
        name = name.lower()
        if len(name) != 2 or name[0] not in "abcdefgh" or name[1] not in "12345678":
            return None
        return ord(name[0]) - ord("a"), int(name[1]) - 1

    def flips(self, colour, sq):
        if self.cells.get(sq, "wall") is not None:
            return []
        other = WHITE if colour == BLACK else BLACK
        turned = []
        for dx, dy in DIRECTIONS:
            run = []
            x, y = sq[0] + dx, sq[1] + dy
            while self.cells.get((x, y)) == other:
                run.append((x, y))
                x, y = x + dx, y + dy
            if run and self.cells.get((x, y)) == colour:
                turned += run
        return turned

    def moves(self, colour):
        return [sq for sq in self.cells if self.flips(colour, sq)]

    def play(self, colour, sq):
        for turned in self.flips(colour, sq):
            self.cells[turned] = colour
        self.cells[sq] = colour

    def count(self, colour):
        return sum(1 for c in self.cells.values() if c == colour)


class EngineError(Exception):
    pass


class Engine:
    """One engine process and the commands sent to it."""

    def __init__(self, label, command, transcript, timeout):
        self.label = label
        self.command = command
        self.transcript = transcript
        self.timeout = timeout
        self.worst = 0.0
        self.start()

    def start(self):
        self.process = subprocess.Popen(
            shlex.split(self.command), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, bufsize=0)
        self.pending = b""

    def restart(self):
        """A new process, after one that failed: a late answer must not be read as the next."""
        self.process.kill()
        self.process.wait()
        self.log(f"# {self.label} engine started again")
        self.start()

    def log(self, text):
        if self.transcript:
            self.transcript.write(text + "\n")

    def _line(self, deadline, limit):
        while b"\n" not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0:
                raise EngineError(f"{self.label} gave no answer within {limit:g} s")
            ready, _, _ = select.select([self.process.stdout], [], [], left)
            if ready:
                chunk = os.read(self.process.stdout.fileno(), 4096)
                if not chunk:
                    raise EngineError(f"{self.label} ended")
                self.pending += chunk
                if len(self.pending) > 1 << 16:
                    raise EngineError(f"{self.label} answered more than 64 KB")
        line, self.pending = self.pending.split(b"\n", 1)
        return line.decode("utf-8", "replace").rstrip("\r")

    def send(self, command):
        """The answer's text; EngineError for a '?' answer or none."""
        self.log(f"{self.label}< {command}")
        start = time.monotonic()
        try:
            self.process.stdin.write((command + "\n").encode())
        except OSError as e:
            raise EngineError(f"{self.label} cannot be written to: {e}") from e
        limit = self.timeout
        if not command.startswith("genmove"):
            limit = max(limit, OTHER_ANSWER_LIMIT)
        deadline = start + limit
        line = self._line(deadline, limit)
        while not line.strip():
            line = self._line(deadline, limit)
        lines = [line]
        while True:
            line = self._line(deadline, limit)
            if not line.strip():
                break
            lines.append(line)
        elapsed = time.monotonic() - start
        for line in lines:
            self.log(f"{self.label}> {line}")
        if lines[0][:1] not in "=?":
            raise EngineError(f"{self.label} answered '{lines[0]}' to '{command}'")
        if lines[0].startswith("?"):
            raise EngineError(f"{self.label} refused '{command}': {lines[0][1:].strip()}")
        if command.startswith("genmove"):
            self.worst = max(self.worst, elapsed)
        return "\n".join([lines[0][1:].strip()] + lines[1:])

    def close(self):
        try:
            self.send("quit")
        except EngineError:
            pass
        try:
            self.process.stdin.close()
            self.process.wait(timeout=10)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()


def play_game(engines, opening, first_is_black):
    """Plays one game; returns (black discs, white discs, the loser by forfeit or None, why)."""
    black_engine, white_engine = (engines if first_is_black else engines[::-1])
    by_colour = {BLACK: black_engine, WHITE: white_engine}
    board = Board()
    for engine in engines:
        engine.send("boardsize 8")
        engine.send("clear_board")
    colour = BLACK
    for name in opening:
        board.play(colour, Board.square(name))
        for engine in engines:
            engine.send(f"play {'black' if colour == BLACK else 'white'} {name}")
        colour = WHITE if colour == BLACK else BLACK
    while True:
        opponent = WHITE if colour == BLACK else BLACK
        legal = board.moves(colour)
        if not legal and not board.moves(opponent):
            return board.count(BLACK), board.count(WHITE), None, ""
        mover, other = by_colour[colour], by_colour[opponent]
        word = "black" if colour == BLACK else "white"
        try:
            answer = mover.send(f"genmove {word}").lower()
        except EngineError as e:
            return board.count(BLACK), board.count(WHITE), mover, str(e)
        if answer == "pass":
            if legal:
                return board.count(BLACK), board.count(WHITE), mover, "passed with a move"
            # Some engines take no pass by the other side; their next genmove names the colour
            # anyway, so a refusal here costs nothing.
            try:
                other.send(f"play {word} pass")
            except EngineError:
                pass
        else:
            sq = Board.square(answer)
            if sq not in legal:
                return board.count(BLACK), board.count(WHITE), mover, f"played '{answer}'"
            board.play(colour, sq)
            try:
                other.send(f"play {word} {answer}")
            except EngineError as e:
                return board.count(BLACK), board.count(WHITE), other, str(e)
        colour = opponent


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--first", required=True, help="the first engine's command line")
    parser.add_argument("--second", required=True, help="the second engine's command line")
    parser.add_argument("--games", type=int, default=40,
                        help="games to play, even: each opening twice (default 40)")
    parser.add_argument("--openings", default=os.path.join(ROOT, "tools/sim/openings.h"),
                        help="the file the openings are read from")
    parser.add_argument("--transcript", help="a file for every command and answer")
    parser.add_argument("--move-timeout", type=float, default=600,
                        help="seconds an engine may take for a move (default 600)")
    parser.add_argument("--first-move-timeout", type=float,
                        help="the first engine's own limit (default --move-timeout)")
    parser.add_argument("--second-move-timeout", type=float,
                        help="the second engine's own limit (default --move-timeout)")
    args = parser.parse_args()
    openings = read_openings(args.openings)
    if args.games < 2 or args.games % 2 or args.games > 2 * len(openings):
        parser.error(f"--games needs an even number from 2 to {2 * len(openings)}")

    transcript = open(args.transcript, "w", encoding="utf-8") if args.transcript else None
    limits = [args.move_timeout if limit is None else limit
              for limit in (args.first_move_timeout, args.second_move_timeout)]
    if min(limits) <= 0:
        parser.error("a move timeout must be a positive number of seconds")
    engines = [Engine("first", args.first, transcript, limits[0]),
               Engine("second", args.second, transcript, limits[1])]
    names = []
    for engine in engines:
        try:
            names.append(f"{engine.send('name')} {engine.send('version')}")
        except EngineError as e:
            print(f"gtp_referee: {e}", file=sys.stderr)
            return 1
    wins = draws = losses = forfeits = 0
    discs_for = discs_against = 0
    try:
        for game in range(args.games):
            opening = openings[game // 2]
            first_is_black = game % 2 == 0
            if transcript:
                transcript.write(f"# game {game + 1}: {''.join(opening)}, first engine "
                                 f"{'black' if first_is_black else 'white'}\n")
            black, white, loser, why = play_game(engines, opening, first_is_black)
            mine, theirs = (black, white) if first_is_black else (white, black)
            if loser is not None:
                loser.restart()
                forfeits += 1
                won = loser is engines[1]
                wins, losses = wins + won, losses + (not won)
                result = f"forfeit by the {loser.label} engine: {why}"
            else:
                empty = 64 - mine - theirs
                if mine > theirs:
                    mine += empty
                    wins += 1
                elif mine < theirs:
                    theirs += empty
                    losses += 1
                else:
                    draws += 1
                discs_for += mine
                discs_against += theirs
                result = f"{mine}-{theirs}"
            print(f"game {game + 1:3}: {''.join(opening)} first engine "
                  f"{'black' if first_is_black else 'white'}: {result}", file=sys.stderr)
    except EngineError as e:
        print(f"gtp_referee: {e}", file=sys.stderr)
        return 1
    finally:
        for engine in engines:
            engine.close()
        if transcript:
            transcript.close()

    games = wins + draws + losses
    score = 100.0 * (wins + 0.5 * draws) / games
    print(f"| First engine | Second engine | Games | Wins | Draws | Losses | Score | Discs |"
          f" Worst move (first, second) |")
    print("| --- | --- | --- | --- | --- | --- | --- | --- | --- |")
    print(f"| {names[0]} | {names[1]} | {games} | {wins} | {draws} | {losses} | {score:.1f}% |"
          f" {discs_for}-{discs_against} | {engines[0].worst:.2f} s, {engines[1].worst:.2f} s |")
    print(f"first engine: {args.first}\nsecond engine: {args.second}")
    if forfeits:
        print(f"{forfeits} game(s) ended by forfeit (see above)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
