#include "reference_synthesis.h"

#include "signal/extended.h"

#include <algorithm>
#include <cmath>

namespace mosaic::reference {

// Extended precision as the x87 unit computes it, on any machine.
using X = Extended;

std::vector<std::int16_t> buildFrame(const Planes& P, Overflow overflow) {
  const float twoPi = static_cast<float>(8.0 * std::atan(1.0));
  std::vector<long long> sum(61440, 0);  // the running samples, wide
  std::vector<int> order;
  for (int k = 56; k <= 91; ++k) order.push_back(k);
  for (int k = 12; k <= 24; ++k) order.push_back(k);

  // The frequency value f of carrier k in symbol s, as the modulator defines it.
  auto frequency = [&P](int k, int s) {
    if (k >= 56) return (X(30 * k) + X(P.Y[s][k - 38])).toFloat();
    if (k <= 20) {
      const int j = 18 + 4 * (k - 12);
      return (X(30 * k) +
              (X(P.V[s][j + 1]) + X(P.V[s][j]) + X(P.V[s][j + 2]) + X(P.V[s][j + 3])) / X(4))
          .toFloat();
    }
    const int j = 18 + 9 * (k - 21);
    const float f = (X(30 * k) + (X(P.U[s][j + 1]) + X(P.U[s][j]) + X(P.U[s][j + 2]) +
                                  X(P.U[s][j + 3]) + X(P.U[s][j + 4])) /
                                     X(9))
                        .toFloat();
    return (X(f) +
            (X(P.U[s][j + 6]) + X(P.U[s][j + 5]) + X(P.U[s][j + 7]) + X(P.U[s][j + 8])) / X(9))
        .toFloat();
  };

  float phi = 0.0f;
  for (int k : order) {
    int symbol = -1;
    X increment;  // f * twoPi / 19200 of the symbol, worked out when it starts
    for (int n = 1; n <= 61439; n += 2) {
      const int s = static_cast<int>(std::lround(n / 1280.0));
      if (s != symbol) {
        symbol = s;
        increment = X(frequency(k, s)) * X(twoPi) / X(19200);
      }
      phi = (X(phi) + increment).toFloat();
      if (twoPi < phi) phi = (X(phi) - X(twoPi)).toFloat();
      const double a = 1200 * std::sin(static_cast<double>(phi));
      sum[n] = std::llrint(static_cast<double>(sum[n]) + a);
      if (overflow == Overflow::kLimitEachAddition) sum[n] = std::clamp(sum[n], -32768LL, 32767LL);
      sum[n - 1] = sum[n];
    }
  }
  std::vector<std::int16_t> sample(61440);
  for (int n = 0; n < 61440; ++n) {
    const long long v = sum[n];
    sample[n] = overflow == Overflow::kWrap
                    ? static_cast<std::int16_t>(static_cast<std::uint16_t>(v & 0xFFFF))
                    : static_cast<std::int16_t>(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
  }
  return sample;
}

}  // namespace mosaic::reference
