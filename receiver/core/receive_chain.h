#pragma once
// The whole receive chain from a completed capture buffer to the picture, as one object that the
// receiver window and `mosaic decode` both run, so they produce the same picture from the same
// audio and settings. Everything is allocated once, when the chain is made.

#include "receiver/core/capture/sample_history.h"
#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/demodulation/symbol_planes.h"
#include "receiver/core/picture/display_settings.h"
#include "receiver/core/picture/picture_bitmap.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

namespace mosaic {

class ReceiveChain {
 public:
  ReceiveChain();

  // One completed buffer of 12288 samples, in the receiver's order: history update, frequency
  // shift and transforms, `handBack` (the device may refill the buffer from then on), then
  // differential values, bytes, colour planes and the picture. Each settings record is read
  // once, at the start.
  void onBufferComplete(const std::int16_t* samples, const DemodSettings& demodSettings,
                        const DisplaySettings& displaySettings,
                        const std::function<void()>& handBack = {});

  // Combining the repeated frames of a still picture, off at start; read at the next buffer.
  void setCombining(const CombiningSettings& settings);
  // What the tuning estimator knows of the sender, for the combiner.
  void setSender(const SenderEstimate& sender);
  // The combiner, once combining has been switched on.
  const FrameCombiner* combiner() const { return combiner_.get(); }

  const SampleHistory& history() const { return *history_; }
  const SymbolPlanes& planes() const { return *planes_; }
  const PictureBitmap& bitmap() const { return bitmap_; }
  // The picture value bytes of the latest run (14112: symbols 1..96, slots 10..58, sub-columns).
  const RunBytes& runBytes() const { return *runBytes_; }
  // The movie frame of the latest run: its symbols 1..48, 7056 bytes.
  std::span<const std::uint8_t, kMovieFrameBytes> movieFrame() const {
    return std::span<const std::uint8_t, kMovieFrameBytes>(runBytes_->data(), kMovieFrameBytes);
  }
  // Runs completed since the chain was made.
  long long runs() const { return runs_; }

 private:
  std::unique_ptr<SampleHistory> history_;
  std::unique_ptr<Demodulator> demodulator_;
  std::unique_ptr<SymbolPlanes> planes_;
  std::unique_ptr<RunBytes> runBytes_;
  std::unique_ptr<FrameCombiner> combiner_;  // made when combining is first switched on
  PictureBitmap bitmap_;
  long long runs_ = 0;
};

}  // namespace mosaic
