#pragma once
// The newest complete frame of the receiver's picture, turned the way the transmitter saw it.
//
// The receiver's bitmap shows two buffers with time running from right to left and the frame
// boundary wherever it happens to fall. Once the boundary is known (from the tuning estimator),
// the 47 sent columns of the frame that lies wholly inside the history can be picked out of the
// bitmap and laid out left to right, top to bottom, as in the transmitter's grab area. Every
// pixel is one the receiver itself reconstructed, so the brightness, contrast, saturation and
// filter settings apply as they do to the other views.

#include "receiver/core/picture/picture_bitmap.h"
#include "receiver/core/tuning/tuning_estimator.h"

#include <array>
#include <cstdint>
#include <vector>

namespace mosaic {

inline constexpr int kAlignedColumns = 47;  // the columns that go on the air
inline constexpr int kAlignedRows = 36;     // the luminance rows (slots 10..45)
inline constexpr int kMaxAlignedScale = 16;

// An aligned picture: top-down rows of red, green, blue bytes.
struct AlignedPicture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, reserved once by `reserveAligned`
};

// Reserves room for pictures up to `kMaxAlignedScale`, so that making one never allocates.
void reserveAligned(AlignedPicture& picture);

// Where in the history (0..12288) the newest complete frame starts, kept from buffer to buffer.
// A boundary is taken only once the estimator has locked (its frame links agree, which noise
// never makes them do) and only when it fitted; until one is taken there is no aligned picture.
// Since a frame lasts exactly one buffer, a kept boundary stays where it is in the next history but
// for the sending clock's drift, which the estimator follows buffer by buffer.
// Each buffer's boundary is found on one frame alone, and under noise it wanders by tens of
// samples, for some pictures over several buffers in a row; the frames' starts are fixed by the
// sender, so the boundary used is the newest one moved by the median of how far the last ones,
// carried forward by whole frames, lie from it. A lost lock, or the newest boundaries agreeing
// far from that median (the sender's frames moved), starts the median afresh.
class FrameAlignment {
 public:
  static constexpr int kRemembered = 41;  // [buffers] whose boundaries the median takes in

  // The estimator's state after the buffer that the picture shows.
  void update(const TuningEstimate& estimate);
  void reset();
  bool found() const { return start_ >= 0; }
  int frameStart() const { return start_; }

 private:
  void forget();
  // How far each remembered boundary lies from `newest` [samples], frames of `frameSamples`,
  // the newest last.
  void shiftsFrom(long long newest, double frameSamples);
  // The median of `shifts_` [first, end).
  double medianShift(int first, int end) const;
  bool framesMoved() const;

  int start_ = -1;
  std::array<long long, kRemembered> starts_{};  // absolute samples of the boundaries found
  int count_ = 0;
  int next_ = 0;
  std::array<double, kRemembered> shifts_{};  // for the median, reused
};

// Symbol t (1..95) and sub-column p (0..2) whose differential value measures the sent column
// `column` (1..47, fractions allowed) of the frame starting at `frameStart` in the history:
// the one whose pair of windows straddles that column's symbol most closely without reaching
// outside the frame.
struct SymbolColumn {
  int t;
  int p;
};
// A pair of the `preferred` sub-column near the column, where there is one, comes first.
SymbolColumn symbolForColumn(double column, int frameStart, const std::array<int, 2>& offsets,
                             int preferred = -1);

// The sub-column (0..2) whose pairs lie nearest the inner columns' symbols, give or take a third
// of a symbol, and whose picture in `bitmap` is smoothest from column to column; -1 without
// "+ half pixel".
int smoothestSubColumn(const PictureBitmap& bitmap, int frameStart,
                       const std::array<int, 2>& offsets);

// The frame starting at `frameStart` (0..12288) in the history that `bitmap` shows, scale
// (1..16) pixels per column and per luminance row: 47 * scale by 36 * scale.
// `windowOffsets` are the demodulator's sub-column offsets of the run the bitmap shows.
void alignFrame(const PictureBitmap& bitmap, int frameStart,
                const std::array<int, 2>& windowOffsets, int scale, AlignedPicture& out);

}  // namespace mosaic
