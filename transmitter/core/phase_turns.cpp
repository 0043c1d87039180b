#include "transmitter/core/phase_turns.h"

#include "transmitter/core/phase_chain.h"
#include "transmitter/core/phase_steps.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace mosaic {

namespace {

// Phases in [4, 8) are multiples of 2^-21, and so is every phase just after a wrap. Such phases
// are handled as whole numbers of this unit.
constexpr float kUnitsPerRadian = 0x1p21f;
constexpr float kRadiansPerUnit = 0x1p-21f;

constexpr int kMaxTurnSteps = 64;  // a turn at the smallest accepted increment
constexpr int kKindsOfTurn = 8;    // one more than the binade boundaries a turn meets
constexpr int kBlock = 4;          // offsets are written four at a time
constexpr int kMaxTurnBlocks = (kMaxTurnSteps + kBlock - 1) / kBlock;

// Safety margin [rad] for the binade tests, which use double sums: far above their rounding
// error and far below the unit.
constexpr double kMargin = 0x1p-32;

using Block = float __attribute__((vector_size(sizeof(float) * kBlock)));

// The power of two at or below a positive double.
double binadeStart(double x) {
  return std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) & 0xfff0000000000000u);
}

// Whole numbers in range, rounded down and up, without the library calls.
int floorToInt(double x) {
  const int i = static_cast<int>(x);
  return i - (i > x);
}
int ceilToInt(double x) {
  const int i = static_cast<int>(x);
  return i + (i < x);
}

// The shifts [rad] of a turn's start that keep each of its sums phase + inc in its binade
// [2^k, 2^(k+1)); the top binade [4, 8) has no upper edge within reach, and no start moves by a
// whole radian.
struct BinadeRoom {
  double below = -1.0, above = 1.0;
  void keep(double sum) {
    const double edge = binadeStart(sum);
    below = std::fmax(below, edge - sum);
    above = std::fmin(above, edge < 4.0 ? 2.0 * edge - sum : 1.0);
  }
};

// One kind of turn, as it was recorded: it repeats exactly from every start [units] in
// first..last. Its offsets are kept apart (TurnRecord::offsets), and its size is a power of two,
// so that finding a kind's fields and offsets takes a shift, not a multiplication.
struct alignas(32) Turn {
  std::int32_t first = 1, last = 0;
  std::int32_t shift = 0;  // the next turn's start minus this one's [units]
  int steps = 0;           // the last one wraps
  int blocks = 0;          // steps rounded up to whole blocks
  int next = -1;           // the kind that followed this one last time, which mostly follows again
};
using TurnOffsets = Block[kMaxTurnBlocks];  // phase after each step minus the start

// The kinds of turn met so far in one run of the accumulator.
class TurnRecord {
 public:
  // The kind of the turn that starts at `start` [units], or -1 if none is known.
  int find(std::int32_t start) const {
    for (int i = 0; i < count_; ++i) {
      if (covers(i, start)) return i;
    }
    return -1;
  }

  // The same for the turn after one of kind `kind`, trying first the kind that followed it before.
  int following(int kind, std::int32_t start) {
    const int guess = turns_[kind].next;
    if (guess >= 0 && covers(guess, start)) return guess;
    return turns_[kind].next = find(start);
  }

  const Turn& operator[](int kind) const { return turns_[kind]; }
  const TurnOffsets& offsets(int kind) const { return offsets_[kind]; }

  // Records the turn that led from `start` [units] through `phases[0..steps-1]`, the last step
  // wrapping, whose sums leave the start `binades`, if it can be repeated; returns its kind or -1.
  int add(std::int32_t start, const float* phases, int steps, const BinadeRoom& binades) {
    if (steps > kMaxTurnSteps || steps < 2) return -1;
    const float from = static_cast<float>(start) * kRadiansPerUnit;
    // The binades' room in units, with the margin; a turn starts above 0.
    int low = std::max(1 - start, ceilToInt((binades.below + kMargin) * kUnitsPerRadian));
    int high = floorToInt((binades.above - kMargin) * kUnitsPerRadian);
    // No step but the last may pass twoPi, and the last must.
    const auto end = static_cast<std::int32_t>(phases[steps - 1] * kUnitsPerRadian);
    high = std::min(high, floorToInt((twoPi_ - phases[steps - 2]) * kUnitsPerRadian));
    low = std::max(low, 1 - end);
    if (low > 0 || high < 0) return -1;

    // When the record is full the oldest kind of turn makes way.
    const int kind = count_ < kKindsOfTurn ? count_++ : oldest_++ % kKindsOfTurn;
    Turn& t = turns_[kind];
    t.first = start + low;
    t.last = start + high;
    t.shift = end - start;
    t.steps = steps;
    t.blocks = (steps + kBlock - 1) / kBlock;
    t.next = -1;
    // Exact: each offset is a multiple of its phase's spacing and smaller than that phase.
    auto* offset = reinterpret_cast<float*>(offsets_[kind]);
    for (int j = 0; j < steps; ++j) offset[j] = phases[j] - from;
    std::fill(offset + steps, offset + t.blocks * kBlock, 0.0f);
    return kind;
  }

 private:
  bool covers(int kind, std::int32_t start) const {
    return turns_[kind].first <= start && start <= turns_[kind].last;
  }

  const float twoPi_ = twoPiSingle();
  Turn turns_[kKindsOfTurn];
  TurnOffsets offsets_[kKindsOfTurn];
  int count_ = 0;
  int oldest_ = 0;
};

// Single steps up to and including the next wrap, in double precision where that is exact.
class SingleSteps {
 public:
  explicit SingleSteps(const Extended& inc)
      : inc_(inc), double_(inc.toDouble()), inDouble_(incrementTraits(inc).doubleSteps) {}

  // From `phase`, which is a multiple of 2^-21 or follows a step, at most `room` steps. Returns
  // how many were taken and leaves `phase` after the last; `wrapped` tells whether it wrapped.
  // The sums phase + inc in double precision of the steps taken are kept in `binades`.
  int toWrap(float& phase, int room, float* out, bool& wrapped, BinadeRoom& binades) const {
    if (inDouble_) {
      return stepInDoubleToWrap(phase, double_, room, out, wrapped,
                                [&binades](double sum) { binades.keep(sum); });
    }
    // One more step than the phase needs unrounded; a step past the wrap is left unused.
    const int n = std::min(static_cast<int>((twoPiSingle() - phase) / double_) + 2, room);
    const float from = phase;
    stepFixedPoint(phase, inc_, n, out);
    int wrap = 0;
    while (wrap < n && out[wrap] > (wrap == 0 ? from : out[wrap - 1])) ++wrap;
    wrapped = wrap < n;
    const int taken = wrapped ? wrap + 1 : n;
    double before = from;
    for (int i = 0; i < taken; ++i) {
      binades.keep(before + double_);
      before = out[i];
    }
    if (wrapped) phase = out[wrap];
    return taken;
  }

  // The same from any phase that `fixedPointApplies` accepts.
  int firstToWrap(float& phase, int room, float* out, bool& wrapped) const {
    const float from = phase;
    stepFixedPoint(phase, inc_, 1, out);
    wrapped = phase < from;
    if (wrapped || room == 1) return 1;
    BinadeRoom unused;
    return 1 + toWrap(phase, room - 1, out + 1, wrapped, unused);
  }

 private:
  const Extended& inc_;
  double double_;
  bool inDouble_;
};

// A recorded turn written from the start `from`. The sums are exact: each is the phase that
// single steps give, which single precision holds.
void writeTurn(const Turn& turn, const TurnOffsets& offsets, float from, int room, float* to) {
  if (turn.blocks * kBlock <= room) {
    // Whole blocks: what lies past the turn is written over by the turns that follow.
    for (int b = 0; b < turn.blocks; ++b) {
      const Block phases = offsets[b] + from;
      std::memcpy(to + b * kBlock, &phases, sizeof phases);
    }
  } else {
    const auto* offset = reinterpret_cast<const float*>(offsets);
    for (int i = 0; i < std::min(turn.steps, room); ++i) to[i] = from + offset[i];
  }
}

std::int32_t toUnits(float phase) { return static_cast<std::int32_t>(phase * kUnitsPerRadian); }

}  // namespace

bool turnsApply(float phase, const Extended& inc) {
  if (!fixedPointApplies(phase, inc)) return false;
  // The longest turn must fit the record; add() turns away any that would not.
  if (!(inc.toDouble() * kMaxTurnSteps > twoPiSingle() + 1.0)) return false;
  return !incrementTraits(inc).midwayInTopBinade;
}

void advancePhaseInTurns(float& phase, const Extended& inc, int steps, float* out) {
  const SingleSteps single(inc);
  bool wrapped = false;
  int done = single.firstToWrap(phase, steps, out, wrapped);
  // Whole turns from each wrap to the next.
  TurnRecord record;
  std::int32_t start = toUnits(phase);
  int kind = -1;
  while (done < steps) {
    if (kind < 0) {
      phase = static_cast<float>(start) * kRadiansPerUnit;
      BinadeRoom binades;
      const int n = single.toWrap(phase, steps - done, out + done, wrapped, binades);
      if (wrapped) record.add(start, out + done, n, binades);
      done += n;
      start = toUnits(phase);
      kind = record.find(start);
      continue;
    }
    const Turn& turn = record[kind];
    writeTurn(turn, record.offsets(kind), static_cast<float>(start) * kRadiansPerUnit, steps - done,
              out + done);
    done += turn.steps;  // past the end only when the last turn is cut short
    start += turn.shift;
    kind = record.following(kind, start);
  }
  phase = out[steps - 1];
}

}  // namespace mosaic
