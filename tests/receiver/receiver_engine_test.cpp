// The receiver engine as its front-ends use it: what it hands out per buffer is what its stages
// give run one after another, its auto tune moves the tuning of the next buffer only, and a reset
// leaves it as a new engine would be.

#include "receiver/core/buffer_feeder.h"
#include "receiver/core/demodulation/demodulator.h"
#include "receiver/core/movie/movie_recorder.h"
#include "receiver/core/picture/render_picture.h"
#include "receiver/core/tuning/frame_alignment.h"
#include "receiver/core/tuning/slider_offset.h"
#include "tests/receiver/fake_movie_files.h"
#include "tests/support/air_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

// A still test card received 2.3 Hz high at 25 dB, from part-way into a frame.
std::vector<std::int16_t> mistunedStillCard(int frames) {
  ChannelSettings channel;
  channel.snrDb = 25;
  channel.offsetHz = 2.3;
  channel.seed = 4;
  return test::receivedAt9600(test::sentStillTestCard(frames, 17000, nullptr), channel);
}

const std::int16_t* bufferAt(const std::vector<std::int16_t>& audio, int b) {
  return audio.data() + static_cast<std::ptrdiff_t>(b) * kCaptureSamples;
}

void expectSameEstimate(const TuningEstimate& a, const TuningEstimate& b, int buffer) {
  EXPECT_TRUE(a.valid == b.valid && a.offsetHz == b.offsetHz && a.confidence == b.confidence &&
              a.locked == b.locked && a.clockPpm == b.clockPpm &&
              a.frameStartSample == b.frameStartSample &&
              a.boundaryCoherence == b.boundaryCoherence)
      << buffer;
}

// Everything the engine hands out after a buffer, to compare two engines.
void expectSameOutputs(const ReceiverEngine& a, const ReceiverEngine& b, int buffer) {
  EXPECT_EQ(a.history().samples, b.history().samples) << buffer;
  EXPECT_EQ(a.runBytes(), b.runBytes()) << buffer;
  EXPECT_EQ(std::memcmp(&a.planes(), &b.planes(), sizeof(SymbolPlanes)), 0) << buffer;
  EXPECT_EQ(a.bitmap().bytes, b.bitmap().bytes) << buffer;
  expectSameEstimate(a.tuning(), b.tuning(), buffer);
  EXPECT_EQ(a.report().aligned, b.report().aligned) << buffer;
  EXPECT_EQ(a.report().frameStart, b.report().frameStart) << buffer;
  if (a.report().aligned) {
    EXPECT_EQ(a.alignedPicture().rgb, b.alignedPicture().rgb) << buffer;
  }
  EXPECT_EQ(a.report().snr.snrDb, b.report().snr.snrDb) << buffer;
  EXPECT_EQ(a.report().level.rmsDbfs, b.report().level.rmsDbfs) << buffer;
}

// Every output on, with settings away from the defaults wherever a stage reads them.
EngineSettings everythingOn() {
  EngineSettings s;
  s.demod.fineHz = -0.3f;
  s.demod.balance = -20;
  s.display.contrast = 150;
  s.display.noiseFilter = true;
  s.display.noiseWeights = kMediumNoiseFilter;
  s.display.horizontalFilter = true;
  s.tuningAid = true;
  s.alignedScale = 2;
  s.measureSnr = true;
  return s;
}

TEST(ReceiverEngine, HandsOutWhatItsStagesGiveRunOneAfterAnother) {
  const auto audio = mistunedStillCard(7);
  const EngineSettings settings = everythingOn();
  // The stages by hand, as the receiver runs them.
  auto history = std::make_unique<SampleHistory>();
  auto demodulator = std::make_unique<Demodulator>();
  auto planes = std::make_unique<SymbolPlanes>();
  auto bytes = std::make_unique<RunBytes>();
  auto bitmap = std::make_unique<PictureBitmap>();
  auto estimator = std::make_unique<TuningEstimator>();
  auto spectrum = std::make_unique<TuningSpectrum>();
  auto alignment = std::make_unique<FrameAlignment>();
  auto snr = std::make_unique<SnrMeter>();
  LevelMeter level(ReceiverEngine::kClipHoldBuffers);
  AlignedPicture aligned;
  std::vector<std::uint8_t> movie;

  ReceiverEngine engine(settings);
  testing::FakeMovieFiles files;
  MovieRecorder recorder(files, [](const std::string& problem) { FAIL() << problem; });
  recorder.openFile("heard.49");
  recorder.toggleSaving();
  engine.attachRecorder(&recorder);
  int b = 0;
  int alignedBuffers = 0;
  // Fed in pieces that are no part of a buffer, as a file or a network stream gives them.
  BufferFeeder feeder(engine, [&](const ReceiverEngine& heard) {
    const std::int16_t* samples = bufferAt(audio, b);
    level.measure(samples, kCaptureSamples);
    updateHistory(*history, samples);
    demodulator->demodulate(*history, settings.demod, *planes, *bytes);
    renderPicture(*planes, settings.display, *bitmap);
    movie.insert(movie.end(), bytes->begin(), bytes->begin() + kMovieFrameBytes);
    estimator->addBuffer(samples);
    const std::vector<float> newest(history->samples.end() - kZoomSamples, history->samples.end());
    spectrum->analyse(newest);
    alignment->update(estimator->estimate());
    if (alignment->found())
      alignFrame(*bitmap, alignment->frameStart(), settings.demod.windowOffsets, 2, aligned);

    const BufferReport& report = heard.report();
    EXPECT_EQ(report.run, b + 1);
    EXPECT_EQ(report.level.peakDbfs, level.latest().peakDbfs) << b;
    EXPECT_EQ(report.level.rmsDbfs, level.latest().rmsDbfs) << b;
    EXPECT_EQ(heard.history().samples, history->samples) << b;
    EXPECT_EQ(std::memcmp(&heard.planes(), planes.get(), sizeof(SymbolPlanes)), 0) << b;
    EXPECT_EQ(heard.runBytes(), *bytes) << b;
    EXPECT_EQ(heard.bitmap().bytes, bitmap->bytes) << b;
    expectSameEstimate(report.tuning, estimator->estimate(), b);
    EXPECT_EQ(heard.tuningSpectrum().newestDb(), spectrum->newestDb()) << b;
    EXPECT_EQ(heard.tuningSpectrum().zoomDb(), spectrum->zoomDb()) << b;
    EXPECT_EQ(report.aligned, alignment->found()) << b;
    if (alignment->found()) {
      ++alignedBuffers;
      EXPECT_EQ(report.frameStart, alignment->frameStart()) << b;
      EXPECT_EQ(heard.alignedPicture().width, 47 * 2);
      EXPECT_EQ(heard.alignedPicture().rgb, aligned.rgb) << b;
    }
    EXPECT_EQ(report.snr.snrDb, snr->measure(history->samples).snrDb) << b;
    EXPECT_FALSE(report.tuned);
    ++b;
    return true;
  });
  for (std::size_t at = 0; at < audio.size(); at += 5001)
    feeder.feed(audio.data() + at, std::min<std::size_t>(5001, audio.size() - at));
  EXPECT_EQ(feeder.leftOver(), static_cast<int>(audio.size() % kCaptureSamples));
  EXPECT_GE(b, 5);
  EXPECT_GE(alignedBuffers, 3) << "the card was not aligned";
  // The recorder's frame step followed every buffer.
  recorder.closeFile();
  EXPECT_EQ(files.bytes("heard.49"), movie);
  // Its settings as given: no auto tune.
  EXPECT_EQ(engine.settings().demod.fineHz, settings.demod.fineHz);
}

TEST(ReceiverEngine, AutoTunePutsALockedEstimateOnTheNextBuffersTuning) {
  const auto audio = mistunedStillCard(8);
  EngineSettings settings;
  settings.autoTune = true;
  ReceiverEngine engine(settings);
  EXPECT_FALSE(engine.tuneToEstimate()) << "nothing heard yet";
  int firstLocked = -1;
  for (int b = 0; b + 1 < int(audio.size() / kCaptureSamples); ++b) {
    const DemodSettings before = engine.settings().demod;
    engine.onBufferComplete(bufferAt(audio, b));
    // This buffer was received with the tuning that was set before it.
    EXPECT_EQ(engine.runSettings().demod.fineHz, before.fineHz) << b;
    EXPECT_EQ(engine.runSettings().demod.coarseHz, before.coarseHz) << b;
    const TuningEstimate& e = engine.tuning();
    EXPECT_EQ(engine.report().tuned, e.locked) << b;
    if (!e.locked) {
      EXPECT_EQ(double(tuningOffsetHz(engine.settings().demod)), 0.0) << b;
      continue;
    }
    if (firstLocked < 0) firstLocked = b;
    // On the sliders' grid, as near the estimate as they go.
    DemodSettings want;
    applyTuningPositions(tuningPositions(e.offsetHz), want);
    EXPECT_EQ(engine.settings().demod.coarseHz, want.coarseHz) << b;
    EXPECT_EQ(engine.settings().demod.fineHz, want.fineHz) << b;
    EXPECT_NEAR(double(tuningOffsetHz(engine.settings().demod)), e.offsetHz, 0.0101) << b;
    EXPECT_NEAR(e.offsetHz, -2.3, 0.1) << b;
  }
  EXPECT_GE(firstLocked, 1) << "never locked";
}

TEST(ReceiverEngine, AResetForgetsEverythingHeardAndKeepsTheSettings) {
  const auto audio = mistunedStillCard(9);
  EngineSettings settings = everythingOn();
  settings.autoTune = true;
  ReceiverEngine engine(settings);
  for (int b = 0; b < 5; ++b) engine.onBufferComplete(bufferAt(audio, b));
  ASSERT_TRUE(engine.report().aligned);
  const EngineSettings tuned = engine.settings();
  engine.reset();
  EXPECT_EQ(engine.runs(), 0);
  EXPECT_FALSE(engine.tuning().valid);
  EXPECT_FALSE(engine.report().aligned);
  EXPECT_EQ(engine.settings().demod.coarseHz, tuned.demod.coarseHz);
  EXPECT_EQ(engine.settings().demod.fineHz, tuned.demod.fineHz);
  EXPECT_TRUE(engine.settings().autoTune);
  // From here on it is a new engine with those settings: the same buffers give the same outputs.
  ReceiverEngine fresh(tuned);
  for (int b = 5; b < 8; ++b) {
    engine.onBufferComplete(bufferAt(audio, b));
    fresh.onBufferComplete(bufferAt(audio, b));
    expectSameOutputs(engine, fresh, b);
    EXPECT_EQ(engine.runs(), b - 4);
  }
}

}  // namespace
}  // namespace mosaic
