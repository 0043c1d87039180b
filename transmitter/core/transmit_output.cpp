#include "transmitter/core/transmit_output.h"

#include <utility>

namespace mosaic {

TransmitOutput::TransmitOutput(AudioOutput& device, FrameSource source)
    : device_(device), source_(std::move(source)) {}

void TransmitOutput::startOutput() {
  // A device that cannot be opened never returns a buffer, so the program simply stays silent.
  open_ = device_.open(kTxSampleRateHz, [this] { onOutputDone(); });
  nextBuffer_ = 0;
  if (!open_) return;
  bufferA_.fill(0);
  bufferB_.fill(0);
  levels_[0] = levels_[1] = measureLevel(bufferA_.data(), kFrameSamples);
  device_.write(bufferA_.data(), kFrameSamples);
  device_.write(bufferB_.data(), kFrameSamples);
}

void TransmitOutput::onOutputDone() {
  if (!open_) return;
  if (nextBuffer_ == 0) {
    buildFrame(bufferA_.data());
    levels_[0] = measureLevel(bufferA_.data(), kFrameSamples);
    device_.write(bufferA_.data(), kFrameSamples);
    nextBuffer_ = 1;
  } else {
    buildFrame(bufferB_.data());
    levels_[1] = measureLevel(bufferB_.data(), kFrameSamples);
    device_.write(bufferB_.data(), kFrameSamples);
    nextBuffer_ = 0;
  }
}

void TransmitOutput::stopOutput() {
  if (!open_) return;
  device_.reset();
  device_.close();
  open_ = false;
}

}  // namespace mosaic
