#include "station/picture_change.h"

#include <algorithm>
#include <cmath>

namespace mosaic::station {

namespace {

constexpr int kRowsPerBand = kAlignedRows / kChangeBands;
// Another picture changes more than this share of the bands.
constexpr int kMostLocalBands = kChangeBands / 3;
// The band, counted from the least changed, whose difference is taken for noise alone.
constexpr int kNoiseBand = kChangeBands / 4;
// A band has changed when it differs this many times what noise alone gives (see kNoiseBand),
// and by at least kLeastChange luminance steps (the edges of a crawl line running over a clean
// picture blur into the bands beside it by up to nine). Between two frames of one picture on the
// test card, no band differed by more than 1.65 times what noise alone gave, from 12 to 45 dB; a
// whole new picture at 12 dB differed by over twice as much as that.
constexpr double kChangeFactor = 2.0;
constexpr double kLeastChange = 10.0;
// What noise alone gives (see kNoiseBand) [luminance steps] with white noise at 0 dB in 3000 Hz,
// at colour balance 0; it falls as the noise's amplitude does (measured on the test card: 22.5 at
// 12 dB, 9.0 at 20 dB, 2.9 at 30 dB, all within a tenth of this).
constexpr double kNoiseAt0Db = 90.0;
// How quickly what was learnt of the noise follows a new level, and its bounds.
constexpr double kLearnRate = 0.2;
constexpr double kLeastNoiseScale = 0.5;
constexpr double kMostNoiseScale = 4.0;

double expectedNoise(double snrDb) { return kNoiseAt0Db * std::pow(10.0, -snrDb / 20.0); }

}  // namespace

FrameChange PictureChangeDetector::compare(const AlignedPicture& frame, double snrDb) {
  const int scale = std::max(1, frame.width / kAlignedColumns);
  for (int r = 0; r < kAlignedRows; ++r) {
    for (int c = 0; c < kAlignedColumns; ++c) {
      // The mean of the cell's pixels, in the luminance weights of ITU-R BT.601.
      double sum = 0.0;
      for (int y = r * scale; y < (r + 1) * scale; ++y) {
        const std::uint8_t* p = frame.rgb.data() + 3 * (y * frame.width + c * scale);
        for (int x = 0; x < scale; ++x, p += 3) sum += 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2];
      }
      current_[r * kAlignedColumns + c] = static_cast<float>(sum / (scale * scale));
    }
  }
  FrameChange change;
  change.expectedNoise = noiseScale_ * expectedNoise(snrDb);
  if (!hasReference_) {
    change.changed = true;
    reference_ = current_;
    hasReference_ = true;
    return change;
  }
  std::array<double, kChangeBands> bands{};
  for (int b = 0; b < kChangeBands; ++b) {
    double sum = 0.0;
    for (int i = b * kRowsPerBand * kAlignedColumns; i < (b + 1) * kRowsPerBand * kAlignedColumns;
         ++i)
      sum += std::abs(double(current_[i]) - double(reference_[i]));
    bands[b] = sum / (kRowsPerBand * kAlignedColumns);
    change.largestChange = std::max(change.largestChange, bands[b]);
  }
  const double threshold = std::max(kLeastChange, kChangeFactor * change.expectedNoise);
  change.bandsChanged = static_cast<int>(
      std::count_if(bands.begin(), bands.end(), [&](double d) { return d > threshold; }));
  change.changed = change.bandsChanged > kMostLocalBands;
  if (!change.changed) {
    // The lower quartile of the bands is noise alone, whatever the bands that changed, and those
    // beside them, show.
    std::nth_element(bands.begin(), bands.begin() + kNoiseBand, bands.end());
    const double seen = bands[kNoiseBand] / expectedNoise(snrDb);
    const double rate = learnt_ < 5 ? 1.0 / (learnt_ + 1) : kLearnRate;
    noiseScale_ =
        std::clamp(noiseScale_ + rate * (seen - noiseScale_), kLeastNoiseScale, kMostNoiseScale);
    ++learnt_;
  } else {
    // Compared with the picture's first frame, not the one before: a picture that changes
    // slowly is another picture once it has changed enough.
    reference_ = current_;
  }
  return change;
}

}  // namespace mosaic::station
