#include "reference_synthesis.h"

#include <algorithm>
#include <cmath>

namespace mosaic::reference {

std::vector<std::int16_t> buildFrame(const Planes& P, Overflow overflow) {
  const float twoPi = static_cast<float>(8.0L * atanl(1.0L));
  std::vector<long long> sum(61440, 0);  // the running samples, wide
  std::vector<int> order;
  for (int k = 56; k <= 91; ++k) order.push_back(k);
  for (int k = 12; k <= 24; ++k) order.push_back(k);

  float phi = 0.0f;
  for (int k : order) {
    for (int n = 1; n <= 61439; n += 2) {
      const int s = static_cast<int>(std::lround(n / 1280.0));
      float f;
      if (k >= 56) {
        f = static_cast<float>(30.0L * k + P.Y[s][k - 38]);
      } else if (k <= 20) {
        const int j = 18 + 4 * (k - 12);
        f = static_cast<float>(
            30.0L * k +
            ((long double)P.V[s][j + 1] + P.V[s][j] + P.V[s][j + 2] + P.V[s][j + 3]) / 4);
      } else {
        const int j = 18 + 9 * (k - 21);
        f = static_cast<float>(30.0L * k + ((long double)P.U[s][j + 1] + P.U[s][j] + P.U[s][j + 2] +
                                            P.U[s][j + 3] + P.U[s][j + 4]) /
                                               9);
        f = static_cast<float>(
            f + ((long double)P.U[s][j + 6] + P.U[s][j + 5] + P.U[s][j + 7] + P.U[s][j + 8]) / 9);
      }
      phi = static_cast<float>(phi + (long double)f * twoPi / 19200);
      if (twoPi < phi) phi = static_cast<float>(phi - (long double)twoPi);
      const long double a = 1200 * sinl(phi);
      sum[n] = llrintl(sum[n] + a);
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
