#include "receiver/core/picture/picture_filters.h"

#include "signal/integer_rounding.h"

#include <algorithm>

namespace mosaic {

void filterRowHorizontally(std::uint8_t* row) {
  for (int x = kPictureWidth - 2; x >= 1; --x) {
    for (int c = 0; c < 3; ++c) {
      std::uint8_t* here = row + 3 * x + c;
      const int sum = 2 * here[0] + here[3] + here[-3];
      *here = static_cast<std::uint8_t>(divideRoundHalfEven(sum, 4));
    }
  }
}

void filterHorizontally(PictureBitmap& bitmap) {
  for (int i = 0; i < kPrimaryRows; ++i) filterRowHorizontally(bitmap.row(primaryRow(i)));
}

void verticalStep(PictureBitmap& bitmap, bool interpolate) {
  for (int i = 0; i < kPrimaryRows; ++i) {
    const int y = primaryRow(i);
    const std::uint8_t* below = bitmap.row(y);
    std::uint8_t* first = bitmap.row(y + 1);
    std::uint8_t* second = bitmap.row(y + 2);
    if (!interpolate) {
      std::copy_n(below, kPictureStride, first);
      std::copy_n(below, kPictureStride, second);
      continue;
    }
    const std::uint8_t* above = bitmap.row(y + 3);
    for (int k = 0; k < kPictureStride; ++k) {
      // A third is never a tie, so nearest is (n + 1) / 3 rounded down.
      first[k] = static_cast<std::uint8_t>((2 * below[k] + above[k] + 1) / 3);
      second[k] = static_cast<std::uint8_t>((below[k] + 2 * above[k] + 1) / 3);
    }
  }
}

}  // namespace mosaic
