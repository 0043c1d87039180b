#include "tools/decode_recording.h"

#include "receiver/app/picture_image.h"
#include "signal/timing.h"

#include <algorithm>
#include <utility>

namespace mosaic::tool {

namespace {

constexpr long kPieceFrames = 16384;  // [frames] read from the file at a time

}  // namespace

bool RecordingReader::open(const std::string& path, ChannelChoice channel, std::string& error) {
  if (!file_.open(path, channel, error)) return false;
  resampler_ = std::make_unique<Resampler>(file_.rateHz(), kRxSampleRateHz);
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
  return resampler_->convert(mono_.data(), static_cast<std::size_t>(got), last, out, error);
}

bool feedRecording(RecordingReader& reader, BufferFeeder& feeder, std::string& error) {
  std::vector<std::int16_t> piece;
  for (;;) {
    if (!reader.next(piece, error)) return false;
    if (piece.empty()) return true;
    if (!feeder.feed(piece.data(), piece.size())) return false;
  }
}

DecodedRecording decodeRecording(const std::vector<std::int16_t>& samples, int rateHz,
                                 const DemodSettings& demod, const DisplaySettings& display) {
  DecodedRecording result;
  std::vector<std::int16_t> at9600;
  if (rateHz == kRxSampleRateHz) {
    at9600 = samples;
  } else {
    Resampler resampler(rateHz, kRxSampleRateHz);
    std::string error;
    std::vector<float> input(samples.begin(), samples.end());
    if (resampler.ready(error)) {
      resampler.convert(input.data(), input.size(), true, at9600, error);
    }
  }
  ReceiverEngine engine(pictureSettings(demod, display));
  BufferFeeder feeder(engine, [&result](const ReceiverEngine& received) {
    const auto frame = received.movieFrame();
    result.movie.insert(result.movie.end(), frame.begin(), frame.end());
    ++result.buffers;
    return true;
  });
  feeder.feed(at9600.data(), at9600.size());
  result.droppedSamples = feeder.leftOver();
  result.lastRun.assign(engine.runBytes().begin(), engine.runBytes().end());
  result.picture = pictureImage(engine.bitmap(), display.screenSize);
  return result;
}

}  // namespace mosaic::tool
