#pragma once
// How loud a stretch of 16-bit sound is, for the operator who sets a transceiver's drive or the
// receive level: its peak and RMS in dB relative to full scale (dBFS), and how many samples sit
// at or next to full scale, where the sound is clipped or about to be.
//
// Full scale is 32767 (-32768 counts as full scale too). A square wave between the two ends
// reads 0 dBFS for both peak and RMS; a sine reads its RMS 3.01 dB below its peak.

#include <cstdint>
#include <limits>

namespace mosaic {

// Samples of this size or more count as full scale: within 0.1 dB of it. A clipped input that
// the sound server resampled no longer sits exactly at 32767, but it comes this close.
inline constexpr int kNearFullScale = 32391;

// The level of silence: no sample differs from 0.
inline constexpr float kSilentDbfs = -std::numeric_limits<float>::infinity();

struct SoundLevel {
  float peakDbfs = kSilentDbfs;
  float rmsDbfs = kSilentDbfs;
  int nearFullScale = 0;  // samples of kNearFullScale or more
  int samples = 0;        // how many were measured; 0: nothing yet

  bool measured() const { return samples > 0; }
  bool clipping() const { return nearFullScale > 0; }
};

// The level of `count` samples; no allocation, one pass.
SoundLevel measureLevel(const std::int16_t* samples, int count);

// The level of the newest block of sound, with a clipping warning that stays for a few blocks,
// so that a short overload is seen even when the next block is clean.
class LevelMeter {
 public:
  // `clipHoldBlocks`: how many blocks, the clipping one included, the warning stays.
  explicit LevelMeter(int clipHoldBlocks) : clipHoldBlocks_(clipHoldBlocks) {}

  void measure(const std::int16_t* samples, int count);
  // Nothing measured: after the sound stopped, the old figures would mislead.
  void clear();

  const SoundLevel& latest() const { return latest_; }
  // A block of the last `clipHoldBlocks` had samples at or next to full scale.
  bool clipWarning() const { return clipBlocksLeft_ > 0; }

 private:
  int clipHoldBlocks_;
  int clipBlocksLeft_ = 0;
  SoundLevel latest_;
};

}  // namespace mosaic
