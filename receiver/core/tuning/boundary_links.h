#pragma once
// What ties one frame to the next. Every carrier starts a frame at the phase at which the
// carrier before it in the generation order ended that frame, and around every boundary all
// carriers sit on their grid frequencies for half a symbol on either side. So a symbol-long
// window starting on a frame's first sample (window A) and one ending on its last sample
// (window B, one frame later) see the same 47 phases on carriers one step apart: their link
// products agree only when the windows sit on the boundaries, and their common angle is the
// phase that the tuning offset turns between the windows' centres, 12032 samples apart.

#include "receiver/core/tuning/window_spectra.h"

#include <array>
#include <complex>

namespace mosaic {

// A link: carrier `next` in window A carries the phase that carrier `previous` has in window B.
struct CarrierLink {
  int next;
  int previous;
};

// The links with neighbouring carriers: luminance 57..91 after 56..90, colour 13..24 after
// 12..23. (Carrier 12 follows 91, 79 bins away; that link hangs on the exact sample timing and
// is left out.)
inline constexpr int kLinkCount = 47;
inline constexpr int kLumaLinks = 35;  // the first 35 links are the luminance ones
const std::array<CarrierLink, kLinkCount>& carrierLinks();

using LinkProducts = std::array<std::complex<double>, kLinkCount>;

// The link products B[previous] conj(A[next]) of windows A and B.
void linkProducts(const WindowSpectrum& a, const WindowSpectrum& b, LinkProducts& out);

// The link products with each phase carried to the boundary itself. Windows A and B straddle
// the step between the quiet half symbol and the picture's first (last) symbol, which pulls
// their phases by a quarter of the step's phase turn; the symbol-long windows on symbol 1
// (`a1`, starting half a symbol after A) and on symbol 47 (`b47`, ending half a symbol before
// B) measure that turn. `quietTurn` is the phase per sample that a carrier on its grid
// frequency still turns in the mixed windows. The products then turn with the offset over
// exactly one frame, 1.28 s, and no longer depend on the picture next to the boundaries.
void boundaryLinks(const WindowSpectrum& a, const WindowSpectrum& a1, const WindowSpectrum& b47,
                   const WindowSpectrum& b, double quietTurn, LinkProducts& out);

// How well the link products agree: the luminance and colour links' coherent sums (`agreeing`)
// over the sum of their sizes (`size`); near 1 when A and B sit on the two ends of one frame,
// small elsewhere.
struct LinkFit {
  double agreeing = 0.0;
  double size = 0.0;
  double coherence() const { return size > 0.0 ? agreeing / size : 0.0; }
};
LinkFit linkFit(const LinkProducts& p);

// Turns link i back by `cyclesPerBin` times its previous carrier's number: how a clock error
// shows in the link products (a carrier k drifts k times as fast as the grid's first bin).
std::complex<double> clockTurn(int link, double cyclesPerBin);

}  // namespace mosaic
