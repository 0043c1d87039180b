#include "tools/decode_recording.h"

#include "receiver/app/picture_image.h"
#include "signal/rounding.h"
#include "signal/timing.h"

#include <samplerate.h>

#include <algorithm>
#include <utility>

namespace mosaic::tool {

namespace {

// libsamplerate's medium sinc converter: 121 dB signal-to-noise over 90 % of the output band
// (4320 Hz at 9600 Hz), far beyond both the highest carrier (3425 Hz) and what 16-bit samples
// hold, and about three times as fast as the best one, whose extra width carries nothing here.
constexpr int kConverter = SRC_SINC_MEDIUM_QUALITY;
constexpr long kPieceFrames = 16384;  // [frames] read from the file at a time

}  // namespace

Resampler::Resampler(int inputRateHz) : ratio_(double(kRxSampleRateHz) / inputRateHz) {
  if (inputRateHz != kRxSampleRateHz) state_ = src_new(kConverter, 1, &error_);
}

Resampler::~Resampler() {
  if (state_) src_delete(state_);
}

bool Resampler::ready(std::string& error) const {
  if (error_ == 0) return true;
  error = std::string("cannot resample: ") + src_strerror(error_);
  return false;
}

bool Resampler::convert(const float* input, long count, bool last, std::vector<std::int16_t>& out,
                        std::string& error) {
  auto store = [&out](float v) { out.push_back(roundToSample(v)); };
  if (!state_) {
    for (long i = 0; i < count; ++i) store(input[i]);
    return true;
  }
  scratch_.resize(static_cast<std::size_t>(count * ratio_) + 4096);
  SRC_DATA data{};
  data.data_in = input;
  data.input_frames = count;
  data.src_ratio = ratio_;
  data.end_of_input = last ? 1 : 0;
  for (;;) {
    data.data_out = scratch_.data();
    data.output_frames = static_cast<long>(scratch_.size());
    const int result = src_process(state_, &data);
    if (result != 0) {
      error = std::string("cannot resample: ") + src_strerror(result);
      return false;
    }
    for (long i = 0; i < data.output_frames_gen; ++i) store(scratch_[static_cast<std::size_t>(i)]);
    data.data_in += data.input_frames_used;
    data.input_frames -= data.input_frames_used;
    // Done when the input is used up, and at the end when the converter has nothing left.
    if (data.input_frames == 0 && (!last || data.output_frames_gen == 0)) return true;
  }
}

bool RecordingReader::open(const std::string& path, ChannelChoice channel, std::string& error) {
  if (!file_.open(path, channel, error)) return false;
  resampler_ = std::make_unique<Resampler>(file_.rateHz());
  if (!resampler_->ready(error)) return false;
  mono_.resize(static_cast<std::size_t>(kPieceFrames));
  return true;
}

bool RecordingReader::next(std::vector<std::int16_t>& out, std::string& error) {
  out.clear();
  if (finished_) return true;
  const long got = file_.read(mono_.data(), kPieceFrames, error);
  if (got < 0) return false;
  const bool last = got < kPieceFrames;
  finished_ = last;
  return resampler_->convert(mono_.data(), got, last, out, error);
}

BufferFeeder::BufferFeeder(const DemodSettings& demod, const DisplaySettings& display,
                           AfterBuffer afterBuffer)
    : demod_(demod),
      display_(display),
      afterBuffer_(std::move(afterBuffer)),
      chain_(std::make_unique<ReceiveChain>()),
      buffer_(kCaptureSamples) {}

bool BufferFeeder::feed(const std::int16_t* samples, std::size_t count) {
  while (count > 0) {
    const std::size_t take =
        std::min<std::size_t>(count, static_cast<std::size_t>(kCaptureSamples - filled_));
    std::copy_n(samples, take, buffer_.begin() + filled_);
    filled_ += static_cast<int>(take);
    samples += take;
    count -= take;
    if (filled_ == kCaptureSamples) {
      filled_ = 0;
      chain_->onBufferComplete(buffer_.data(), demod_, display_);
      if (afterBuffer_ && !afterBuffer_(*chain_)) return false;
    }
  }
  return true;
}

DecodedRecording decodeRecording(const std::vector<std::int16_t>& samples, int rateHz,
                                 const DemodSettings& demod, const DisplaySettings& display) {
  DecodedRecording result;
  std::vector<std::int16_t> at9600;
  if (rateHz == kRxSampleRateHz) {
    at9600 = samples;
  } else {
    Resampler resampler(rateHz);
    std::string error;
    std::vector<float> input(samples.begin(), samples.end());
    if (resampler.ready(error)) {
      resampler.convert(input.data(), static_cast<long>(input.size()), true, at9600, error);
    }
  }
  BufferFeeder feeder(demod, display, [&result](const ReceiveChain& chain) {
    const auto frame = chain.movieFrame();
    result.movie.insert(result.movie.end(), frame.begin(), frame.end());
    ++result.buffers;
    return true;
  });
  feeder.feed(at9600.data(), at9600.size());
  result.droppedSamples = feeder.leftOver();
  result.lastRun.assign(feeder.chain().runBytes().begin(), feeder.chain().runBytes().end());
  result.picture = pictureImage(feeder.chain().bitmap(), display.screenSize);
  return result;
}

}  // namespace mosaic::tool
