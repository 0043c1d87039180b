#include "receiver/core/tuning/boundary_links.h"

#include "signal/carrier_plan.h"

#include <cmath>

namespace mosaic {

const std::array<CarrierLink, kLinkCount>& carrierLinks() {
  static const std::array<CarrierLink, kLinkCount> links = [] {
    std::array<CarrierLink, kLinkCount> l{};
    std::size_t i = 0;
    for (int k = kFirstLumaCarrier + 1; k <= kLastLumaCarrier; ++k) l[i++] = {k, k - 1};
    for (int k = kFirstVCarrier + 1; k <= kLastUCarrier; ++k) l[i++] = {k, k - 1};
    return l;
  }();
  return links;
}

void linkProducts(const WindowSpectrum& a, const WindowSpectrum& b, LinkProducts& out) {
  const auto& links = carrierLinks();
  for (std::size_t i = 0; i < links.size(); ++i) {
    const std::complex<float> x = b[static_cast<std::size_t>(links[i].previous)];
    const std::complex<float> y = a[static_cast<std::size_t>(links[i].next)];
    // x conj(y), written out: the library's complex product checks for infinities every time.
    const double xr = x.real(), xi = x.imag(), yr = y.real(), yi = y.imag();
    out[i] = {xr * yr + xi * yi, xi * yr - xr * yi};
  }
}

namespace {

constexpr int kHalf = kLinkWindowSamples / 2;

double wrapped(double angle) { return std::remainder(angle, 2.0 * M_PI); }

// The sum of e^(j (start + turn n)) over n = 0..count-1.
std::complex<double> toneSum(double start, double turn, int count) {
  if (std::abs(turn) < 1e-12) return std::polar(double(count), start);
  const double gain = std::sin(turn * count / 2.0) / std::sin(turn / 2.0);
  return std::polar(gain, start + turn * (count - 1) / 2.0);
}

// Solves f(x) = target for a smooth, rising f near the first guess `x` (a few Newton steps).
template <typename F>
double solveRising(F f, double target, double x) {
  for (int i = 0; i < 4; ++i) {
    const double h = 1e-6;
    const double slope = (f(x + h) - f(x - h)) / (2.0 * h);
    if (!(slope > 0.0)) break;
    x -= (f(x) - target) / slope;
  }
  return x;
}

// A carrier's phase at the start of window A (on its grid), the window straddling the quiet
// half symbol (turning `quiet` per sample) and symbol 1 (turning an unknown `turn`), which the
// symbol-long window `a1` half a symbol later shows steady.
double phaseAtStart(std::complex<float> a, std::complex<float> a1, double quiet) {
  // Window A sums the quiet half, then symbol 1's half from where the quiet one ended.
  auto windowA = [quiet](double turn) {
    return toneSum(0.0, quiet, kHalf) + toneSum(quiet * kHalf, turn, kHalf);
  };
  // arg a1 - arg a, as the model has it for a symbol-1 turn `turn`.
  auto difference = [&](double turn) {
    return quiet * kHalf + turn * (kLinkWindowSamples - 1) / 2.0 - std::arg(windowA(turn));
  };
  const double measured =
      wrapped(std::arg(std::complex<double>(a1)) - std::arg(std::complex<double>(a)));
  const double turn = solveRising(difference, measured, measured / 96.0);
  return std::arg(std::complex<double>(a)) - std::arg(windowA(turn));
}

// A carrier's phase at the end of window B (on its grid), the window straddling symbol 47 and
// the quiet half symbol, with the symbol-long window `b47` half a symbol earlier on symbol 47.
double phaseAtEnd(std::complex<float> b, std::complex<float> b47, double quiet) {
  // Window B relative to the phase at its end: symbol 47's half, then the quiet half.
  auto windowB = [quiet](double turn) {
    return toneSum(-quiet * kHalf - turn * kHalf, turn, kHalf) +
           toneSum(-quiet * kHalf, quiet, kHalf);
  };
  // arg b - arg b47 for a symbol-47 turn `turn`: b47 starts 1.5 symbols before B's end.
  auto difference = [&](double turn) {
    const double b47Phase =
        -quiet * kHalf - turn * kLinkWindowSamples + turn * (kLinkWindowSamples - 1) / 2.0;
    return std::arg(windowB(turn)) - b47Phase;
  };
  const double measured =
      wrapped(std::arg(std::complex<double>(b)) - std::arg(std::complex<double>(b47)));
  const double turn = solveRising(difference, measured, measured / 96.0);
  return std::arg(std::complex<double>(b)) - std::arg(windowB(turn));
}

}  // namespace

void boundaryLinks(const WindowSpectrum& a, const WindowSpectrum& a1, const WindowSpectrum& b47,
                   const WindowSpectrum& b, double quietTurn, LinkProducts& out) {
  const auto& links = carrierLinks();
  // Windows half a symbol off window A's grid are turned back by k half turns.
  auto halfOff = [](const WindowSpectrum& w, int k) {
    const std::complex<float> v = w[static_cast<std::size_t>(k)];
    return k % 2 != 0 ? -v : v;
  };
  for (std::size_t i = 0; i < links.size(); ++i) {
    const int next = links[i].next;
    const int prev = links[i].previous;
    const std::complex<float> an = a[static_cast<std::size_t>(next)];
    const std::complex<float> bp = b[static_cast<std::size_t>(prev)];
    const double start = phaseAtStart(an, halfOff(a1, next), quietTurn);
    const double end = phaseAtEnd(bp, halfOff(b47, prev), quietTurn);
    const double size =
        std::sqrt(std::norm(std::complex<double>(an)) * std::norm(std::complex<double>(bp)));
    out[i] = std::polar(size, end - start);
  }
}

double linkCoherence(const LinkProducts& p) {
  std::complex<double> luma, colour;
  double size = 0.0;
  for (std::size_t i = 0; i < p.size(); ++i) {
    (i < kLumaLinks ? luma : colour) += p[i];
    size += std::sqrt(std::norm(p[i]));  // std::abs guards against overflow, slowly
  }
  return size > 0.0 ? (std::sqrt(std::norm(luma)) + std::sqrt(std::norm(colour))) / size : 0.0;
}

std::complex<double> clockTurn(int link, double cyclesPerBin) {
  const double turn =
      -2.0 * M_PI * cyclesPerBin * carrierLinks()[static_cast<std::size_t>(link)].previous;
  return {std::cos(turn), std::sin(turn)};
}

}  // namespace mosaic
