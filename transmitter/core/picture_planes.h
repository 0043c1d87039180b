#pragma once
// The result of one picture grab: luminance and two colour differences on the transmitter's
// picture grid, in picture units (red, green and blue run from 0 to 7.96875).

#include "signal/carrier_plan.h"

namespace mosaic {

// Planes indexed [column c][row r]: c = 0..48 in time order (c = 1 is the right-hand edge of the
// grab area), r = 0..95 (r = 1 is the bottom row). Only c = 1..47 and r = 1..64 hold picture.
struct PicturePlanes {
  using Plane = float[kPlaneColumns][kPlaneRows];
  Plane Y{};  // luminance
  Plane V{};  // red difference
  Plane U{};  // blue difference
};

}  // namespace mosaic
