#pragma once
// A frame built the slow, obvious way, one step and one carrier at a time, for comparison with
// the fast synthesiser. It shares no code with the product.

#include <cstdint>
#include <vector>

namespace mosaic::reference {

// Planes indexed [column 0..48][row 0..95], as the product's PicturePlanes.
struct Planes {
  float Y[49][96]{};
  float V[49][96]{};
  float U[49][96]{};
};

// When `wrapOverflow` is set, a rounded sample outside 16 bits keeps its low 16 bits instead of
// being limited (to show what limiting prevents).
std::vector<std::int16_t> buildFrame(const Planes& planes, bool wrapOverflow = false);

}  // namespace mosaic::reference
