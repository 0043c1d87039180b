#pragma once
// Keeps the sound device supplied with frames back to back: two frame buffers, A and B; while
// one plays, the other has just come back and is refilled with a fresh frame.

#include "devices/audio_output.h"
#include "signal/sound_level.h"
#include "signal/timing.h"
#include "transmitter/core/transmit_chain.h"

#include <array>
#include <cstdint>

namespace mosaic {

class TransmitOutput {
 public:
  // Grabs the picture for the next frame (the video area with its overlays).
  using FrameSource = TransmitChain::GrabSource;

  TransmitOutput(AudioOutput& device, FrameSource source);

  // Opens the device and queues both buffers, silent: the first 2.56 s are silence and the first
  // picture frame is built when buffer A comes back. Every start, also after a stop, begins so.
  void startOutput();
  // The device finished a buffer: refill the next one in strict A, B, A, ... order (whichever
  // buffer the device names) and queue it.
  void onOutputDone();
  // Stops the device, dropping both queued buffers, and releases it.
  void stopOutput();

  // Fills `buffer` with a new frame from a fresh picture.
  void buildFrame(std::int16_t* buffer) { chain_.buildFrame(source_, buffer); }

  // Whether the device is open and being fed.
  bool isOpen() const { return open_; }
  // 0: A is the next buffer to refill; 1: B.
  int nextBuffer() const { return nextBuffer_; }
  const std::int16_t* bufferA() const { return bufferA_.data(); }
  const std::int16_t* bufferB() const { return bufferB_.data(); }
  // The picture of the most recent frame.
  const PicturePlanes& lastPicture() const { return chain_.planes(); }
  // The level of the frame on the air now: the buffer queued before the one last refilled.
  // Nothing is measured while the device is closed.
  SoundLevel playingLevel() const { return open_ ? levels_[nextBuffer_] : SoundLevel{}; }

 private:
  AudioOutput& device_;
  FrameSource source_;
  TransmitChain chain_;
  std::array<std::int16_t, kFrameSamples> bufferA_{};
  std::array<std::int16_t, kFrameSamples> bufferB_{};
  std::array<SoundLevel, 2> levels_{};  // of buffers A and B as queued last
  int nextBuffer_ = 0;
  bool open_ = false;
};

}  // namespace mosaic
