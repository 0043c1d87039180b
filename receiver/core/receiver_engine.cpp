#include "receiver/core/receiver_engine.h"

#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/movie/movie_recorder.h"
#include "receiver/core/picture/render_picture.h"
#include "receiver/core/tuning/frame_alignment.h"
#include "receiver/core/tuning/slider_offset.h"

#include <algorithm>
#include <vector>

namespace mosaic {

namespace {

const TuningEstimate kNoEstimate;
const AlignedPicture kNoPicture;

}  // namespace

// The tuning aid's parts, made only for engines that use them: they take longer to make than a
// short recording takes to decode.
struct ReceiverEngine::TuningAid {
  TuningAid() { reserveAligned(aligned); }

  TuningEstimator estimator;
  TuningSpectrum spectrum;
  std::vector<float> newest = std::vector<float>(kZoomSamples);  // for the tuning display
  FrameAlignment alignment;
  AlignedPicture aligned;
};

// Everything the engine has heard and made of it: made afresh on a reset.
struct ReceiverEngine::Heard {
  SampleHistory history;
  Demodulator demodulator;
  SymbolPlanes planes;
  RunBytes bytes{};
  PictureBitmap bitmap;
  LevelMeter level{kClipHoldBuffers};
  std::unique_ptr<TuningAid> aid;
  std::unique_ptr<SnrMeter> snr;
  std::unique_ptr<FrameCombiner> combiner;  // made when combining is first switched on
  BufferReport report;
};

ReceiverEngine::ReceiverEngine(const EngineSettings& settings)
    : settings_(settings), run_(settings), heard_(std::make_unique<Heard>()) {
  makeParts();
}

ReceiverEngine::~ReceiverEngine() = default;

void ReceiverEngine::setSettings(const EngineSettings& settings) {
  settings_ = settings;
  makeParts();
}

void ReceiverEngine::makeParts() {
  Heard& h = *heard_;
  if (settings_.estimatesTuning() && !h.aid) h.aid = std::make_unique<TuningAid>();
  if (settings_.measureSnr && !h.snr) h.snr = std::make_unique<SnrMeter>();
  if (settings_.combining.on && !h.combiner) h.combiner = std::make_unique<FrameCombiner>();
}

void ReceiverEngine::setCombining(const CombiningSettings& combining) {
  settings_.combining = combining;
  makeParts();
}

bool ReceiverEngine::setAutoTune(bool on) {
  settings_.autoTune = on;
  makeParts();
  const TuningEstimate& estimate = tuning();
  if (on && estimate.locked) tuneTo(estimate.offsetHz);
  return on && estimate.locked;
}

void ReceiverEngine::tuneTo(double offsetHz) {
  applyTuningPositions(tuningPositions(offsetHz), settings_.demod);
}

bool ReceiverEngine::tuneToEstimate() {
  const TuningEstimate& estimate = tuning();
  if (estimate.valid) tuneTo(estimate.offsetHz);
  return estimate.valid;
}

void ReceiverEngine::onBufferComplete(const std::int16_t* samples,
                                      const std::function<void()>& handBack) {
  run_ = settings_;
  Heard& h = *heard_;
  BufferReport& report = h.report;
  // Measured before the buffer goes back to the device.
  h.level.measure(samples, kCaptureSamples);
  report.level = h.level.latest();
  report.clipWarning = h.level.clipWarning();

  updateHistory(h.history, samples);
  h.demodulator.transformHistory(h.history, run_.demod);
  if (handBack) handBack();
  h.demodulator.finishRun(h.planes, h.bytes, prepareCombiner());
  if (run_.combining.on) report.framesCombined = h.combiner->mostFramesCombined();
  renderPicture(h.planes, run_.display, h.bitmap);
  ++report.run;
  if (recorder_) recorder_->frameFinished(movieFrame());

  // What the settings ask for besides the picture; what they do not ask for is reported empty.
  report.tuning = {};
  report.tuned = false;
  report.aligned = false;
  report.frameStart = -1;
  report.snr = {};
  if (run_.estimatesTuning()) followTuning();
  if (run_.alignedScale > 0) alignNewestFrame();
  // Over the whole history, which holds the aligned frame.
  if (run_.measureSnr) report.snr = h.snr->measure(h.history.samples);
}

FrameCombiner* ReceiverEngine::prepareCombiner() {
  Heard& h = *heard_;
  BufferReport& report = h.report;
  report.framesCombined = 1;
  if (!h.combiner) return nullptr;
  // Switching off lets the combiner forget; switching on again starts afresh.
  h.combiner->setSettings(run_.combining);
  if (!run_.combining.on) return nullptr;
  // What the estimator knew before this buffer: it hears the buffer only after the picture.
  h.combiner->setSender(h.aid ? senderEstimateOf(h.aid->estimator.estimate()) : SenderEstimate{});
  return h.combiner.get();
}

void ReceiverEngine::followTuning() {
  Heard& h = *heard_;
  TuningAid& aid = *h.aid;
  // The estimator reads the buffer just taken in from the history: the device has it back.
  const auto& samples = h.history.samples;
  aid.estimator.addBuffer(samples.data() + kCaptureSamples);
  std::copy(samples.end() - kZoomSamples, samples.end(), aid.newest.begin());
  aid.spectrum.analyse(aid.newest);
  const TuningEstimate& estimate = aid.estimator.estimate();
  h.report.tuning = estimate;
  if (run_.autoTune && estimate.locked) {
    tuneTo(estimate.offsetHz);
    h.report.tuned = true;
  }
}

void ReceiverEngine::alignNewestFrame() {
  Heard& h = *heard_;
  TuningAid& aid = *h.aid;
  aid.alignment.update(aid.estimator.estimate());
  if (!aid.alignment.found()) return;
  alignFrame(h.bitmap, aid.alignment.frameStart(), run_.demod.windowOffsets, run_.alignedScale,
             aid.aligned);
  h.report.aligned = true;
  h.report.frameStart = aid.alignment.frameStart();
}

void ReceiverEngine::reset() {
  heard_ = std::make_unique<Heard>();
  makeParts();
}

const BufferReport& ReceiverEngine::report() const { return heard_->report; }
long long ReceiverEngine::runs() const { return heard_->report.run; }
const SampleHistory& ReceiverEngine::history() const { return heard_->history; }
const SymbolPlanes& ReceiverEngine::planes() const { return heard_->planes; }
const RunBytes& ReceiverEngine::runBytes() const { return heard_->bytes; }
std::span<const std::uint8_t, kMovieFrameBytes> ReceiverEngine::movieFrame() const {
  return std::span<const std::uint8_t, kMovieFrameBytes>(heard_->bytes.data(), kMovieFrameBytes);
}
const PictureBitmap& ReceiverEngine::bitmap() const { return heard_->bitmap; }
const TuningEstimate& ReceiverEngine::tuning() const {
  return heard_->aid ? heard_->aid->estimator.estimate() : kNoEstimate;
}
const TuningSpectrum& ReceiverEngine::tuningSpectrum() const {
  if (heard_->aid) return heard_->aid->spectrum;
  static const TuningSpectrum none;
  return none;
}
const AlignedPicture& ReceiverEngine::alignedPicture() const {
  return heard_->aid ? heard_->aid->aligned : kNoPicture;
}

const FrameCombiner* ReceiverEngine::combiner() const { return heard_->combiner.get(); }

}  // namespace mosaic
