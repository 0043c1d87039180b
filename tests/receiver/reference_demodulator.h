#pragma once
// An independent demodulator for cross-checking the product, written straight from the
// description of the receiver and sharing none of its code (only the timing constants): the
// mixer with its single-precision phase, then a plain per-bin transform and the differential
// value in extended precision throughout.

#include "signal/timing.h"

#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

namespace mosaic::testing {

struct ReferenceSettings {
  float coarseHz = 0.0f;
  float fineHz = 0.0f;
  int balance = 67;
  int offset1 = 85;   // [samples]
  int offset2 = 170;  // [samples]
};

// The 14112 picture value bytes of one run over a 24576-sample history.
inline std::vector<std::uint8_t> referenceRunBytes(const std::int16_t* history,
                                                   const ReferenceSettings& settings) {
  using C = std::complex<long double>;
  const int historyLength = kHistorySamples;
  const float twoPiF = static_cast<float>(8.0L * std::atan(1.0L));
  const long double f0 = static_cast<long double>(settings.fineHz) + settings.coarseHz;

  // y[n] = I + jQ, I = -x sin(phase), Q = -x cos(phase); one step past the history is 0.
  std::vector<C> y(static_cast<std::size_t>(historyLength + 512), C(0, 0));
  float phase = 0.0f;
  for (int n = 0; n <= historyLength; ++n) {
    phase = static_cast<float>(phase + f0 * twoPiF / 9600.0L);
    if (phase > twoPiF) phase = static_cast<float>(phase - static_cast<long double>(twoPiF));
    const long double x = n < historyLength ? history[n] : 0.0L;
    y[static_cast<std::size_t>(n)] = C(-x * std::sin(static_cast<long double>(phase)),
                                       -x * std::cos(static_cast<long double>(phase)));
  }

  // e^(+j 2 pi m / 256)
  std::vector<C> turn(256);
  const long double twoPi = 8.0L * std::atan(1.0L);
  for (int m = 0; m < 256; ++m)
    turn[static_cast<std::size_t>(m)] = std::polar(1.0L, twoPi * m / 256);

  std::vector<int> bins;
  for (int k = 56; k <= 91; ++k) bins.push_back(k);
  for (int k = 12; k <= 24; ++k) bins.push_back(k);
  auto slotOf = [](int k) { return k >= 56 ? k - 46 : k + 34; };

  const int offsets[3] = {0, settings.offset1, settings.offset2};
  // spectrum[p][b][slot], b = 0..96 (96 stays zero)
  std::vector<C> spectrum(3 * 97 * 128, C(0, 0));
  auto at = [](int p, int b, int slot) {
    return static_cast<std::size_t>((p * 97 + b) * 128 + slot);
  };
  for (int p = 0; p < 3; ++p) {
    for (int b = 0; b < 96; ++b) {
      for (int k : bins) {
        C sum(0, 0);
        for (int n = 0; n < 256; ++n) {
          const int i = 256 * b + offsets[p] + n;
          const C v = i <= historyLength ? y[static_cast<std::size_t>(i)] : C(0, 0);
          sum += v * turn[static_cast<std::size_t>((k * n) % 256)];
        }
        spectrum[at(p, b, slotOf(k))] = sum;
      }
    }
  }

  std::vector<std::uint8_t> bytes(96 * 147, 0);
  for (int t = 1; t <= 96; ++t) {
    for (int s = 10; s <= 58; ++s) {
      for (int p = 0; p < 3; ++p) {
        const C a = spectrum[at(p, t - 1, s)];
        const C b = spectrum[at(p, t, s)];
        const long double d = (a.imag() * b.real() - a.real() * b.imag()) / std::norm(b) +
                              static_cast<long double>(settings.balance) * s / 5000.0L;
        long double v = std::nearbyint(128.0L * d + 128.0L);
        if (std::isnan(v) || v < 0) v = 0;
        if (v > 255) v = 255;
        bytes[static_cast<std::size_t>((t - 1) * 147 + (s - 10) * 3 + p)] =
            static_cast<std::uint8_t>(v);
      }
    }
  }
  return bytes;
}

// How closely two byte sequences agree.
struct Agreement {
  long long equal = 0;
  long long total = 0;
  int maxDifference = 0;
  double fractionEqual() const { return total ? static_cast<double>(equal) / total : 0.0; }
};

inline void compareBytes(const std::uint8_t* product, const std::uint8_t* reference,
                         std::size_t count, Agreement& agreement) {
  for (std::size_t i = 0; i < count; ++i) {
    const int diff = std::abs(int(product[i]) - int(reference[i]));
    agreement.equal += diff == 0;
    agreement.maxDifference = std::max(agreement.maxDifference, diff);
  }
  agreement.total += static_cast<long long>(count);
}

}  // namespace mosaic::testing
