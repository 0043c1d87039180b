#pragma once
// Whether a pair of frames repeats a still picture or one changed somewhere, from the products of
// their windows on the first symbol, carrier by carrier.
//
// The transmitter makes the carriers one after another with one phase accumulator, in the order
// in which the repeats keep them (luminance 56..91, then colour 12..24): each carrier starts the
// frame where the one before it ended. A row that changes anywhere in the frame changes how far
// its carrier turns, so every carrier made after it starts the next frame turned by one common
// angle, while those made before it repeat exactly. A line of text moving along the bottom rows
// (carried by the first carriers made) leaves most of the carriers agreeing among themselves,
// turned alike, which the sums of the repeats would read as a mistuning of tenths of a hertz.
//
// So each carrier's product is compared with the one made before it: on a still picture they
// differ only by the noise and by a turn in proportion to the bin (a sending clock's error, the
// windows a fraction of a sample from whole frames apart), the same from one carrier to the next;
// where a row changed, they differ by a step. The turn between luminance carrier 91 and colour
// carrier 12 lies 79 bins across and is not compared: a change in the top row alone goes unseen.

#include "receiver/core/tuning/repeat_clock.h"

#include <array>

namespace mosaic {

// Per carrier, the power of its two windows added: the noise moves each product by as much more.
using RepeatPower = std::array<double, kRepeatCarriers>;

// Whether the products of a pair of windows one frame apart, with the grid's turn taken out (as
// the repeats sum them), step clearly somewhere: the picture changed between the frames. `power`
// holds their windows' power.
bool repeatStepped(const RepeatPhases& products, const RepeatPower& power);

}  // namespace mosaic
