#pragma once
// The differential value of every carrier from one block to the next, and its picture byte.

#include "receiver/core/demodulation/block_spectra.h"
#include "receiver/core/demodulation/symbol_planes.h"

#include <cstdint>

namespace mosaic {

// D = Im(A conj B) / |B|^2 + balance * slot / 5000, A the previous block's and B this block's
// value of the slot, in extended precision from the single-precision spectrum. A silent block
// (|B|^2 = 0) gives not-a-number.
double differentialValue(float reA, float imA, float reB, float imB, int balance, int slot);

// The picture value byte of D: 128 D + 128, nearest (ties to even), limited to 0..255; NaN gives 0.
std::uint8_t pictureValueByte(double d);

// Writes luma_p[t][s] for t = 1..96, s = 10..58, p = 0..2, and the run's bytes in their order.
void differentialValues(const SpectrumStore& store, int balance, SymbolPlanes& planes,
                        RunBytes& bytes);

}  // namespace mosaic
