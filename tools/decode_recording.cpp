#include "tools/decode_recording.h"

#include "receiver/app/picture_image.h"
#include "signal/rounding.h"
#include "signal/timing.h"

#include <samplerate.h>
#include <sndfile.h>

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
  auto store = [&out](float v) { out.push_back(saturate16(roundHalfEven(v))); };
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

RecordingReader::~RecordingReader() {
  if (file_) sf_close(file_);
}

bool RecordingReader::open(const std::string& path, ChannelChoice channel, std::string& error) {
  SF_INFO info{};
  file_ = sf_open(path.c_str(), SFM_READ, &info);
  if (!file_) {
    error = "cannot read " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  if (info.samplerate <= 0 || info.channels <= 0) {
    error = path + " has no usable sample rate or channels";
    return false;
  }
  if (channel == ChannelChoice::Right && info.channels < 2) {
    error = path + " has one channel; --channel right needs two";
    return false;
  }
  rateHz_ = info.samplerate;
  channels_ = info.channels;
  channel_ = channel;
  // Whole-number formats read back as value / 32768 for 16 bits; scaled by 32768 again they are
  // exact, and other formats land on the same 16-bit scale.
  sf_command(file_, SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
  resampler_ = std::make_unique<Resampler>(rateHz_);
  if (!resampler_->ready(error)) return false;
  frames_.resize(static_cast<std::size_t>(kPieceFrames * channels_));
  mono_.resize(static_cast<std::size_t>(kPieceFrames));
  return true;
}

bool RecordingReader::next(std::vector<std::int16_t>& out, std::string& error) {
  out.clear();
  if (finished_) return true;
  const sf_count_t got = sf_readf_double(file_, frames_.data(), kPieceFrames);
  if (got < 0 || sf_error(file_) != SF_ERR_NO_ERROR) {
    error = std::string("cannot read the recording: ") + sf_strerror(file_);
    return false;
  }
  const int channels = channels_;
  for (sf_count_t f = 0; f < got; ++f) {
    const double* frame = frames_.data() + f * channels;
    double v;
    if (channel_ == ChannelChoice::Left) {
      v = frame[0];
    } else if (channel_ == ChannelChoice::Right) {
      v = frame[1];
    } else {
      double sum = 0.0;
      for (int c = 0; c < channels; ++c) sum += frame[c];
      v = sum / channels;
    }
    mono_[static_cast<std::size_t>(f)] = static_cast<float>(v * 32768.0);
  }
  const bool last = got < kPieceFrames;
  finished_ = last;
  return resampler_->convert(mono_.data(), static_cast<long>(got), last, out, error);
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
    const std::size_t take = std::min<std::size_t>(count, static_cast<std::size_t>(kCaptureSamples - filled_));
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
