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

// What happens when the sum of the carriers passes full scale.
enum class Overflow {
  kLimitFinal,         // the wide running sample is limited to 16 bits once, when stored
  kWrap,               // the finished sample keeps its low 16 bits, as wrapping arithmetic gives
  kLimitEachAddition,  // limited after every carrier (wrong where a partial sum leaves the range)
};

// Each carrier is rounded into the running sample as it is added.
std::vector<std::int16_t> buildFrame(const Planes& planes,
                                     Overflow overflow = Overflow::kLimitFinal);

}  // namespace mosaic::reference
