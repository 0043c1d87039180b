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

double wrapped(double angle) { return std::remainder(angle, 2.0 * M_PI); }

}  // namespace

void boundaryLinks(const WindowSpectrum& a, const WindowSpectrum& a1, const WindowSpectrum& b47,
                   const WindowSpectrum& b, double quietTurn, LinkProducts& out) {
  const auto& links = carrierLinks();
  // Phases on the grid of window A's start: windows half a symbol off it are turned back by
  // k half turns.
  auto phase = [](const WindowSpectrum& w, int k, bool halfOff) {
    const double p = std::arg(std::complex<double>(w[static_cast<std::size_t>(k)]));
    return halfOff && (k % 2 != 0) ? p + M_PI : p;
  };
  // A window straddling the step shows the phase at its centre pulled by a quarter of the
  // turn across its picture half; the symbol-long window next to it turns by that half and
  // one more, a quarter of which is a third of the difference of the two phases. From the
  // centre, the quiet half symbol leads to the boundary.
  const double quietShare = kLinkWindowSamples / 3.0 * quietTurn;
  for (std::size_t i = 0; i < links.size(); ++i) {
    const int next = links[i].next;
    const int prev = links[i].previous;
    const double pa = phase(a, next, false);
    const double start = pa + wrapped(pa - phase(a1, next, true)) / 3.0 - quietShare;
    const double pb = phase(b, prev, false);
    const double end = pb + wrapped(pb - phase(b47, prev, true)) / 3.0 + quietShare;
    const double size =
        std::sqrt(std::norm(std::complex<double>(a[static_cast<std::size_t>(next)])) *
                  std::norm(std::complex<double>(b[static_cast<std::size_t>(prev)])));
    out[i] = std::polar(size, end - start);
  }
}

LinkFit linkFit(const LinkProducts& p) {
  std::complex<double> luma, colour;
  LinkFit fit;
  for (std::size_t i = 0; i < p.size(); ++i) {
    (i < kLumaLinks ? luma : colour) += p[i];
    fit.size += std::sqrt(std::norm(p[i]));  // std::abs guards against overflow, slowly
  }
  fit.agreeing = std::sqrt(std::norm(luma)) + std::sqrt(std::norm(colour));
  return fit;
}

std::complex<double> clockTurn(int link, double cyclesPerBin) {
  const double turn =
      -2.0 * M_PI * cyclesPerBin * carrierLinks()[static_cast<std::size_t>(link)].previous;
  return {std::cos(turn), std::sin(turn)};
}

}  // namespace mosaic
