#pragma once
// Whether the newest aligned frame shows another picture than the frames before it, judged on
// the frames themselves, against the noise.
//
// Each frame is compared with the first frame of the current picture, in bands of rows across
// the whole width: a band has changed when its luminance differs by clearly more than noise does
// between two frames of one picture. That noise is expected to fall with the signal-to-noise
// ratio as white noise makes it, and is learnt as a multiple of that from the frames that did not
// change, so fading and the picture's own contrast are taken into account. A change in more than
// a third of the bands is another picture; a change confined to a few bands (the transmitter's
// crawl line moving on by one character a frame) leaves the picture what it was.

#include "receiver/core/picture/aligned_frame.h"

#include <array>

namespace mosaic::station {

inline constexpr int kChangeBands = 12;  // of three luminance rows each

struct FrameChange {
  bool changed = false;  // another picture (always for the first frame)
  int bandsChanged = 0;
  double largestChange = 0.0;  // the mean luminance difference of the band that changed most
  double expectedNoise = 0.0;  // what noise alone would give in a band
};

class PictureChangeDetector {
 public:
  // Compares `frame` (at any scale) with the current picture's first frame at the
  // signal-to-noise ratio `snrDb` [dB in 3000 Hz]; a changed frame starts the next picture.
  FrameChange compare(const AlignedPicture& frame, double snrDb);

 private:
  using Luma = std::array<float, kAlignedColumns * kAlignedRows>;
  Luma reference_{};
  Luma current_{};
  bool hasReference_ = false;
  double noiseScale_ = 1.0;  // the noise seen, relative to the white-noise expectation
  int learnt_ = 0;
};

}  // namespace mosaic::station
