#include "transmitter/core/phase_turns.h"

#include "transmitter/core/phase_chain.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace mosaic {

namespace {

// Phases in [4, 8) are multiples of 2^-21, and so is every phase just after a wrap. Such phases
// are handled as whole numbers of this unit.
constexpr float kUnitsPerRadian = 0x1p21f;
constexpr float kRadiansPerUnit = 0x1p-21f;

constexpr int kMaxTurnSteps = 64;  // a turn at the smallest accepted increment
constexpr int kKindBits = 3;
constexpr int kKindsOfTurn = 1 << kKindBits;  // one more than the binade boundaries a turn meets
constexpr int kStore = 16;                    // offsets are written in whole blocks of this many

// Safety margin [rad] for the binade tests, which use double sums: far above their rounding
// error and far below the unit.
constexpr double kMargin = 0x1p-32;

// Whole numbers in range, rounded down and up, without the library calls.
int floorToInt(double x) {
  const int i = static_cast<int>(x);
  return i - (i > x);
}
int ceilToInt(double x) {
  const int i = static_cast<int>(x);
  return i + (i < x);
}

// One kind of turn, as it was recorded.
struct Turn {
  int steps = 0;                         // the last one wraps
  int stored = 0;                        // steps rounded up to whole blocks
  float offset[kMaxTurnSteps + kStore];  // phase after each step minus the starting phase
};

// The turns met so far in one run of the accumulator. Turn i repeats exactly from every starting
// phase [units] in first[i]..last[i]; these ranges do not overlap. The chain from one turn's start
// to the next is what limits the speed, so all entries are tested at once, in vector lanes.
class TurnRecord {
  static constexpr int kLanes = 4;
  static constexpr int kVectors = kKindsOfTurn / kLanes;

 public:
  using Lanes = std::int32_t __attribute__((vector_size(4 * kLanes)));

  TurnRecord() {
    for (int v = 0; v < kVectors; ++v) {
      first_[v] = Lanes{} + INT32_MAX;  // unused entries match no phase
      last_[v] = Lanes{} + INT32_MIN;
      entry_[v] = Lanes{};
    }
  }

  // The entry of the turn that starts at `start` [units], in every lane, or 0 if there is none.
  // An entry holds the shift to the next turn's start, then the kind, then a bit that is set.
  Lanes find(Lanes start) const {
    // The one matching lane, by adding up all lanes with the others cleared.
    Lanes sum{};
    for (int v = 0; v < kVectors; ++v) {
      sum += (first_[v] <= start) & (start <= last_[v]) & entry_[v];
    }
    sum += __builtin_shufflevector(sum, sum, 2, 3, 0, 1);
    return sum + __builtin_shufflevector(sum, sum, 1, 0, 3, 2);
  }
  static int kindOf(std::int32_t entry) { return (entry >> 1) & (kKindsOfTurn - 1); }
  static Lanes shiftOf(Lanes entry) { return entry >> (kKindBits + 1); }

  const Turn& operator[](int i) const { return turns_[i]; }

  // Records the turn that led from `start` [units] through `phases[0..steps-1]`, the last step
  // wrapping, if it can be repeated.
  void add(std::int32_t start, const Extended& inc, const float* phases, int steps) {
    if (steps > kMaxTurnSteps || steps < 2) return;
    const float from = static_cast<float>(start) * kRadiansPerUnit;
    const double step = inc.toDouble();
    auto sum = [&](int i) { return (i == 0 ? from : phases[i - 1]) + step; };
    // Each sum phase + inc must stay in its binade. The sums rise through the turn, so for each
    // power of two only the sums on either side of it bind. Shifts [rad] between below and above
    // keep them all; no start moves by a whole radian.
    double below = -1.0, above = 1.0;
    int under = 0;  // the number of sums under the boundary
    for (double boundary = 0x1p-4; boundary < 8.0; boundary *= 2) {
      while (under < steps && sum(under) < boundary) ++under;
      if (under > 0) above = std::min(above, boundary - sum(under - 1));
      if (under < steps) below = std::max(below, boundary - sum(under));
    }
    // The same in units, with the margin.
    int low = std::max(1 - start, ceilToInt((below + kMargin) * kUnitsPerRadian));
    int high = floorToInt((above - kMargin) * kUnitsPerRadian);
    // No step but the last may pass twoPi, and the last must.
    const std::int32_t end = static_cast<std::int32_t>(phases[steps - 1] * kUnitsPerRadian);
    high = std::min(high, floorToInt((twoPi_ - phases[steps - 2]) * kUnitsPerRadian));
    low = std::max(low, 1 - end);
    if (low > 0 || high < 0) return;

    // `find` adds up every matching lane, so the new range stops short of the others.
    for (int i = 0; i < count_; ++i) {
      const std::int32_t first = first_[i / kLanes][i % kLanes];
      const std::int32_t last = last_[i / kLanes][i % kLanes];
      if (last < start) low = std::max(low, last + 1 - start);
      if (first > start) high = std::min(high, first - 1 - start);
    }
    // When the record is full the oldest kind of turn makes way.
    const int i = count_ < kKindsOfTurn ? count_++ : oldest_++ % kKindsOfTurn;
    first_[i / kLanes][i % kLanes] = start + low;
    last_[i / kLanes][i % kLanes] = start + high;
    // The shift, then the kind, then a bit that is set in every entry.
    entry_[i / kLanes][i % kLanes] = ((end - start) * kKindsOfTurn + i) * 2 + 1;
    Turn& t = turns_[i];
    t.steps = steps;
    t.stored = (steps + kStore - 1) / kStore * kStore;
    // Exact: each offset is a multiple of its phase's spacing and smaller than that phase.
    for (int j = 0; j < steps; ++j) t.offset[j] = phases[j] - from;
    std::fill(t.offset + steps, t.offset + t.stored, 0.0f);
  }

 private:
  const float twoPi_ = twoPiSingle();
  Lanes first_[kVectors], last_[kVectors], entry_[kVectors];
  Turn turns_[kKindsOfTurn];
  int count_ = 0;
  int oldest_ = 0;
};

// Single steps from `phase` up to and including the next wrap, at most `room` of them. Returns
// how many were taken and leaves `phase` after the last; `wrapped` tells whether it wrapped.
int stepToWrap(float& phase, const Extended& inc, double perStep, int room, float* out,
               bool& wrapped) {
  // One more step than the phase needs unrounded; a step past the wrap is left unused.
  const int n = std::min(static_cast<int>((twoPiSingle() - phase) * perStep) + 2, room);
  const float from = phase;
  stepPhase(phase, inc, n, out);
  int wrap = 0;
  while (wrap < n && out[wrap] > (wrap == 0 ? from : out[wrap - 1])) ++wrap;
  wrapped = wrap < n;
  if (!wrapped) return n;
  phase = out[wrap];
  return wrap + 1;
}

}  // namespace

bool turnsApply(float phase, const Extended& inc) {
  const float twoPi = twoPiSingle();
  if (!(phase >= 0.0f && phase <= twoPi)) return false;
  if (!(inc * Extended(kMaxTurnSteps) > Extended(twoPi) + Extended(1) && inc < Extended(1)))
    return false;
  // A sum in [4, 8) can lie midway between two neighbours there only if inc is a multiple of
  // 2^-22, as for the unmodulated carrier 64; such increments, and for a wide margin those
  // within 2^-58 of one, are left to single steps.
  const Extended scaled = inc * Extended(0x1p22);
  const Extended distance = scaled - scaled.nearestInteger();
  return distance > Extended(0x1p-36) || distance < Extended(-0x1p-36);
}

void advancePhaseInTurns(float& phase, const Extended& inc, int steps, float* out) {
  const double perStep = 1.0 / inc.toDouble();
  bool wrapped = false;
  int done = 0;
  while (done < steps && !wrapped) {
    done += stepToWrap(phase, inc, perStep, steps - done, out + done, wrapped);
  }
  // Whole turns from each wrap to the next. The start is held in every lane of a vector, so that
  // the chain from one start to the next stays in the vector unit.
  TurnRecord record;
  auto start = TurnRecord::Lanes{} + static_cast<std::int32_t>(phase * kUnitsPerRadian);
  while (done < steps) {
    const float from = static_cast<float>(start[0]) * kRadiansPerUnit;
    const TurnRecord::Lanes entry = record.find(start);
    if (entry[0] == 0) {
      phase = from;
      const int n = stepToWrap(phase, inc, perStep, steps - done, out + done, wrapped);
      if (wrapped) record.add(start[0], inc, out + done, n);
      done += n;
      start = TurnRecord::Lanes{} + static_cast<std::int32_t>(phase * kUnitsPerRadian);
      continue;
    }
    start += TurnRecord::shiftOf(entry);
    // The sums are exact: each is the phase that single steps give, which single precision holds.
    const Turn& turn = record[TurnRecord::kindOf(entry[0])];
    float* const to = out + done;
    if (turn.stored <= steps - done) {
      // Whole blocks: what lies past the turn is written over by the turns that follow.
      for (int b = 0; b < turn.stored; b += kStore) {
        for (int i = b; i < b + kStore; ++i) to[i] = from + turn.offset[i];
      }
    } else {
      for (int i = 0; i < std::min(turn.steps, steps - done); ++i) to[i] = from + turn.offset[i];
    }
    done += turn.steps;  // past the end only when the last turn is cut short
  }
  phase = out[steps - 1];
}

}  // namespace mosaic
