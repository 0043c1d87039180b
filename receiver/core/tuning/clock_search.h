#pragma once
// The sending clock's error that scores best: over the whole range in 10 ppm steps, then in
// 1 ppm steps within 9 ppm of the best. Scoring the repeats or the links at a trial error costs
// little next to the transforms, so the search needs no cleverer stepping.

#include <initializer_list>

namespace mosaic {

inline constexpr double kMaxClockPpm = 300.0;
// A clock error counts only where it scores this much better than none: noise and fading move
// the best a few ppm off an exact clock, and a clock fitted to that would tilt the offset and the
// picture values.
inline constexpr double kClockEvidence = 1.1;

struct ClockSearch {
  double ppm = 0.0;
  double score = -1.0;
};

// `score(ppm)` is maximised. With `wholeRange` false only the fine steps around `centre` are
// searched (a lock keeps the clock near its last value).
template <typename Score>
ClockSearch searchClock(const Score& score, double centre = 0.0, bool wholeRange = true) {
  ClockSearch best{centre, -1.0};
  for (double step : {10.0, 1.0}) {
    if (step == 10.0 && !wholeRange) continue;
    const double from = best.ppm;
    const double reach = step == 10.0 ? kMaxClockPpm : 9.0;
    for (double ppm = from - reach; ppm <= from + reach + 1e-9; ppm += step) {
      const double s = score(ppm);
      if (s > best.score) best = {ppm, s};
    }
  }
  return best;
}

}  // namespace mosaic
