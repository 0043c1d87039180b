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
