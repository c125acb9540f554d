// The exact solver: the best final disc difference (empty squares to the winner) from a
// position, by null-window alpha-beta passes round a guess, with transposition tables,
// fastest-first move ordering helped by a judgement learnt from solved positions where many
// squares are empty, and parity ordering near the end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/bitboard.h"
#include "engine/search_parts.h"

namespace brelvoxan::engine {

// How sure a solve's score is. Before its exact passes the solver searches selectively, in passes
// of rising certainty: a pass at level i cuts a position where the learnt judgement, searched a
// few moves ahead, lies beyond the window by more than kCertaintyTimes10[i] / 10 deviations of
// its error. Each pass leaves good moves in the table and a close guess for the next.
// kExactCertainty cuts nothing.
inline constexpr int kSelectiveLevels = 4;
inline constexpr int kCertaintyTimes10[kSelectiveLevels] = {10, 15, 20, 26};
inline constexpr int kExactCertainty = kSelectiveLevels;
// An exact solve from this many empty squares on passes through the first kLevelsBeforeExact
// selective levels: below it an exact pass alone is cheap enough.
inline constexpr int kSelectiveRootEmpties = 16;
inline constexpr int kLevelsBeforeExact = 3;

struct ExactResult {
  int move = kPassMove;    // the first best move found, or kPassMove
  std::vector<int> equal;  // every move with the best score (filled on request)
  int score = 0;           // final disc difference for the side to move
  bool complete = true;    // false when the limit stopped the search before its certainty
  bool guarded = false;    // the time guard, not the budget, stopped it
  // The certainty of the last pass that finished, which gave the move and the score: the one
  // asked for when complete; below it, or -1 when none finished (nothing else is then valid),
  // when the limit stopped the search.
  int certainty = kExactCertainty;
};

class EndgameSolver {
 public:
  // A table of 2^tableBits entries, and a small one for positions near the end.
  explicit EndgameSolver(int tableBits = 19);
  ~EndgameSolver();
  EndgameSolver(const EndgameSolver&) = delete;
  EndgameSolver& operator=(const EndgameSolver&) = delete;

  // Searches on this many threads (1 or 2): a node of the first thread shares its other moves
  // out once its first is searched, whenever the second is idle, and the threads share the
  // table of positions with many empty squares. The score and every move returned are the
  // same for any number; only the positions visited differ. With a `limit`, each thread keeps
  // to it on its own, and the first to reach it stops both.
  void setThreads(int threads);

  // Best move and exact score. With `findEqual`, also every move of the same score (a little
  // slower). A position where neither side can move gives kPassMove and its final score.
  // `limit` may stop it short (its budget counts positions as nodes() does). `guess`, an expected
  // score, only changes how fast the answer comes; without one the solver makes its own from the
  // learnt judgement. Below kExactCertainty, `certainty` stops the solve after the selective
  // pass at that level: its score and moves are those that pass found, not proven.
  ExactResult solve(const Position& p, bool findEqual, const SearchLimit& limit = {},
                    std::optional<int> guess = std::nullopt, int certainty = kExactCertainty);

  // Whether an exact solve from kSelectiveRootEmpties empty squares on searches selectively
  // first (it does unless told otherwise). Its score, move and equal moves are the same either
  // way; only the positions visited differ.
  void setSelectivePasses(bool on) { selectivePasses_ = on; }

  // The learnt judgement of `p` searched `depth` moves ahead, in 1/kPatternScale discs: what the
  // selective passes' cuts read, and what their error model is fitted from.
  int judgement(const Position& p, int depth);

  // Forgets every position it has seen, so that the next solve's work depends on its position
  // alone.
  void clear();

  // Positions visited since construction, by every thread: those the search visited and those
  // the learnt judgement looked at to order moves and make the first guess.
  uint64_t nodes() const { return nodes_ + judged_ + (helper_ ? helper_->nodes() : 0); }
  // Of those, the judgement's.
  uint64_t judgedNodes() const { return judged_ + (helper_ ? helper_->judgedNodes() : 0); }
  // The judgement's evaluations, each also one of its positions, counted on their own.
  uint64_t evaluations() const { return evaluations_ + (helper_ ? helper_->evaluations() : 0); }

 private:
  // What a slot knows of its position: its data word, bit for bit.
  struct Entry {
    int8_t lower = -64;
    int8_t upper = 64;
    int8_t move = -1;
    int8_t empties = -1;
    // The certainty of the pass that found the bounds: a pass trusts them only from its own
    // certainty up, so that no selective pass's bound reaches an exact one.
    int8_t certainty = kExactCertainty;
    int8_t unused[3] = {};
  };
  static_assert(sizeof(Entry) == sizeof(uint64_t));

  // One slot of a table. Two threads may read and write it at once: each mask is kept xored
  // with the data word, so that a slot torn between two writers matches no position and reads
  // as a miss. All zero, it matches none either.
  struct Slot {
    std::atomic<Mask> ownKey{0};
    std::atomic<Mask> oppKey{0};
    std::atomic<uint64_t> data{0};
  };
  // The two slots where a position may be kept, in one line of the processor's cache: a pair
  // across two lines would cost two reads from memory at a probe.
  struct alignas(64) Pair {
    Slot slots[2];
  };

  // A helper reading and writing `deep`, a table of 2^tableBits entries that it does not own.
  EndgameSolver(Pair* deep, int tableBits);

  // This thread's or the helper's limit has stopped the solve.
  bool stopped() const;
  // This thread's search must give up: its limit, or the other thread's cut that made its
  // work needless. What a search returns then means nothing and is never kept.
  bool halted() const { return stop_.stopped() || abandoned_.load(std::memory_order_relaxed); }
  // Counts a position against the limit; true when the search must give up.
  bool poll() { return stop_.poll(nodes_ + judged_) || abandoned_.load(std::memory_order_relaxed); }
  // Runs `work(solver, other)` on this thread and on the helper's at once, each naming itself
  // and the other; a helper that its limit stopped stops this solver too.
  template <class Work>
  void onBothThreads(Work work);
  // The children of a node after its first, on both threads: the best value and its move in
  // `best` and `bestMove`, as the one-thread loop finds them, from a search in (alpha, beta).
  template <class SolverChild>
  void splitChildren(const SolverChild* children, int n, int alpha, int beta, int empties,
                     int* best, int* bestMove);
  int searchRoot(const Child* children, int n, int alpha, int beta, int empties, int* move);
  // The values of children [0, n) in the window; with `cuts`, children after the first that
  // reaches beta are left out (marked below every score). On this thread and the helper's.
  void searchChildren(const Child* children, int n, int alpha, int beta, int empties, bool cuts,
                      int* values);
  // The learnt judgement of `p`, whose moves are `moves`, in its steps.
  int evaluate(const Position& p, Mask moves);
  // The best final disc difference `depth` moves ahead by the judgement, in its steps.
  int judge(const Position& p, int depth, int alpha, int beta);
  // A first guess at the score of `p`, for the passes.
  int estimate(const Position& p, int empties);
  // The passes of one certainty round `guess`: the score they find, and the first move of the
  // root's order that reaches it. `guessFromPass`: the guess is a less certain pass's score.
  int passes(const Child* children, int n, int empties, int guess, bool guessFromPass, int* move);
  // This solver's and the helper's passes from now on are of this certainty.
  void setCertainty(int certainty);
  // A selective pass's cut of `p`: true, with the bound in `bound`, when the judgement lies far
  // enough beyond the window.
  bool selectiveCut(Pair* pair, const Position& p, int empties, int alpha, int beta, int* bound);
  int search(const Position& p, int alpha, int beta, int empties);
  // search() of a position whose hash and moves are known already.
  int searchChild(const Position& p, uint64_t hash, Mask moves, int alpha, int beta, int empties);
  // From kOrderedEmpties on: the table, ordering and cut-offs.
  int searchNode(const Position& p, uint64_t hash, Mask moves, int alpha, int beta, int empties);
  int searchNear(const Position& p, int alpha, int beta, int empties);
  int searchFour(const Position& p, uint64_t hash, int alpha, int beta, int* squares);
  int searchSmall(const Position& p, int alpha, int beta, int* squares, int count, bool passed);
  int searchTwo(const Position& p, int alpha, int beta, int a, int b);
  int searchLast(const Position& p, int square);
  // The empty squares of `p`, at most kSmallEmpties, those of odd quadrants first.
  static void smallSquares(const Position& p, int* squares);
  // The two slots where a position of this hash, with `empties` empty squares, may be kept.
  Pair* pairFor(uint64_t hash, int empties);
  static void save(Slot& slot, const Position& p, const Entry& entry);
  // The entry for `p` in its `pair` and its slot there, if it has one.
  static bool find(const Pair* pair, const Position& p, Entry* entry, int* slot);
  // The entry for `p` in its `pair` when its bounds hold in this pass.
  bool trusted(const Pair* pair, const Position& p, Entry* entry);
  // The entry to fill for `p` in its `pair` with bounds of the current certainty.
  Entry place(const Pair* pair, const Position& p, int empties, int* slot);
  // What the table knows of `p`: true when a bound settles the window (alpha, beta), with that
  // bound in `score`; otherwise narrows the window and gives the entry's move, if any.
  bool recall(const Pair* pair, const Position& p, int* alpha, int* beta, int* score, int* move);
  // Keeps what a search of `p` in the window (alpha, beta) found: its score `best`, a bound
  // when outside the window, and the move that gave it.
  void record(Pair* pair, const Position& p, int empties, int alpha, int beta, int best,
              int bestMove);

  // The deep table is shared with the helper, which owns none; each keeps its own shallow table,
  // whose positions are cheap to search again and busiest to share.
  std::unique_ptr<Pair[]> deepOwned_;
  Pair* deep_;
  Mask deepMask_;  // pairs - 1
  std::unique_ptr<Pair[]> shallow_;
  uint64_t nodes_ = 0;
  uint64_t judged_ = 0;
  uint64_t evaluations_ = 0;
  StopCheck stop_;
  int tableBits_;
  int certainty_ = kExactCertainty;
  bool selectivePasses_ = true;
  // The second thread's solver, while there is one.
  std::unique_ptr<EndgameSolver> helper_;
  // Set by the other thread when a cut has made this one's current child needless.
  std::atomic<bool> abandoned_{false};
  // True while the helper's thread searches: a node of this thread shares out its moves only
  // while it is idle.
  std::atomic<bool> helperBusy_{false};
};

}  // namespace brelvoxan::engine
