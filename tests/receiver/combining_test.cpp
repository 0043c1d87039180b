// The frame combiner in the receiver engine: off, it changes nothing; on, a still picture comes out
// of noise, a new picture replaces the old at once, a part that keeps changing leaves the rest
// combining, and a sending clock that is off is followed.

#include "receiver/core/combining/combined_value.h"
#include "receiver/core/combining/frame_combiner.h"
#include "receiver/core/receiver_engine.h"
#include "tests/support/received_frames.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

using Runs = std::vector<RunBytes>;
using test::receivedFrames;
using test::Reception;

// One of a few still pictures: smooth luminance and colour, different for each `which`.
const PicturePlanes& picture(int which) {
  static std::array<std::unique_ptr<PicturePlanes>, 3> made;
  auto& p = made[static_cast<std::size_t>(which)];
  if (!p) {
    p = std::make_unique<PicturePlanes>();
    for (int c = 1; c <= 47; ++c)
      for (int r = 1; r <= 64; ++r) {
        p->Y[c][r] = static_cast<float>(4.0 + 3.9 * std::sin(0.3 * c + 0.2 * r + 2 * which));
        p->V[c][r] = static_cast<float>(2.0 * std::cos(0.1 * c * r + which));
        p->U[c][r] = static_cast<float>(1.5 * std::sin(0.05 * c - 0.3 * r - which));
      }
  }
  return *p;
}

// A still picture for `buffers` buffers.
std::vector<std::int16_t> stillPicture(int buffers, const Reception& how = {}) {
  return receivedFrames(
      buffers, [](int) -> const PicturePlanes& { return picture(0); }, how);
}

// Noise of this standard deviation leaves a single frame about 30 byte steps off.
constexpr double kWeakNoise = 3000.0;

DemodSettings noBalance() {
  DemodSettings s;
  s.balance = 0;
  return s;
}

// Combining over `frames` frames, following the sender's clock as the estimator finds it or not.
EngineSettings combining(int frames, bool followClock = true) {
  EngineSettings settings = pictureSettings(noBalance());
  settings.combining = {.on = true, .frames = frames, .followClock = followClock};
  return settings;
}

void receive(ReceiverEngine& engine, const std::vector<std::int16_t>& audio, int buffer) {
  engine.onBufferComplete(audio.data() + static_cast<std::size_t>(buffer) * kCaptureSamples);
}

// Every run of `audio` through an engine with these settings.
Runs decode(const std::vector<std::int16_t>& audio, const EngineSettings& settings) {
  auto engine = std::make_unique<ReceiverEngine>(settings);
  Runs runs;
  for (int b = 0; b < static_cast<int>(audio.size() / kCaptureSamples); ++b) {
    receive(*engine, audio, b);
    runs.push_back(engine->runBytes());
  }
  return runs;
}

Runs decodeCombined(const std::vector<std::int16_t>& audio, int frames, bool followClock = true) {
  return decode(audio, combining(frames, followClock));
}

Runs decodeSingle(const std::vector<std::int16_t>& audio) {
  return decode(audio, pictureSettings(noBalance()));
}

// Mean byte difference of the newest frame (symbols 48..95), luminance slots only.
double newestError(const RunBytes& a, const RunBytes& b) {
  double sum = 0.0;
  int count = 0;
  for (int t = kFramePositions; t < kBlocksPerRun; ++t)
    for (int slot = kFirstUsedSlot; slot < kFirstColourSlot; ++slot)
      for (int p = 0; p < kSubColumns; ++p, ++count)
        sum += std::abs(a[runByteIndex(t, slot, p)] - b[runByteIndex(t, slot, p)]);
  return sum / count;
}

TEST(FrameCombining, OffLeavesEveryOutputOfTheEngineAsItWas) {
  const auto audio = stillPicture(6, {.noise = kWeakNoise});
  EngineSettings settings;
  settings.alignedScale = 1;
  ReceiverEngine plain(settings), toggled(settings);
  for (int b = 0; b < 6; ++b) {
    // Combining for the first three buffers, then off again.
    settings.combining.on = b < 3;
    toggled.setSettings(settings);
    for (ReceiverEngine* engine : {&plain, &toggled}) receive(*engine, audio, b);
    EXPECT_EQ(toggled.report().framesCombined, b < 3 ? b + 1 : 1) << b;
    if (b < 3) continue;
    EXPECT_EQ(plain.runBytes(), toggled.runBytes()) << b;
    EXPECT_EQ(0, std::memcmp(&plain.planes(), &toggled.planes(), sizeof(SymbolPlanes))) << b;
    EXPECT_EQ(plain.bitmap().bytes, toggled.bitmap().bytes) << b;
    EXPECT_EQ(plain.alignedPicture().rgb, toggled.alignedPicture().rgb) << b;
  }
  EXPECT_EQ(plain.combiner(), nullptr);  // never switched on: nothing made
}

TEST(FrameCombining, AStillPictureComesOutOfNoiseAsTheFramesAddUp) {
  const Runs clean = decodeSingle(stillPicture(10));
  const auto noisy = stillPicture(10, {.noise = kWeakNoise});
  const Runs single = decodeSingle(noisy);
  const Runs combined = decodeCombined(noisy, 8);
  const double one = newestError(single[9], clean[9]);
  const double eight = newestError(combined[9], clean[9]);
  EXPECT_GT(one, 20.0);
  // Eight frames hold eight times the signal power against the noise: a third of the error.
  EXPECT_LT(eight, one / 2.5) << one;
  // Each frame added brings the picture closer.
  EXPECT_LT(newestError(combined[4], clean[4]), newestError(combined[1], clean[1]));
  // The older half shows what the newer half showed one run before.
  for (int t = 1; t < kFramePositions; ++t)
    for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot)
      EXPECT_EQ(combined[9][runByteIndex(t, slot, 0)],
                combined[8][runByteIndex(t + kFramePositions, slot, 0)]);
}

TEST(FrameCombining, ANewPictureTakesOverWithinTwoFrames) {
  // Eight frames of one picture, then another.
  const auto change = [](const Reception& how) {
    return receivedFrames(
        12, [](int f) -> const PicturePlanes& { return picture(f < 8 ? 0 : 1); }, how);
  };
  const Runs clean = decodeSingle(change({}));
  const Runs old = decodeSingle(stillPicture(12));
  const auto noisy = change({.noise = 1800.0});
  const Runs single = decodeSingle(noisy);
  auto chain = std::make_unique<ReceiverEngine>(combining(8));
  for (int b = 0; b < 12; ++b) {
    receive(*chain, noisy, b);
    const auto at = static_cast<std::size_t>(b);
    const double error = newestError(chain->runBytes(), clean[at]);
    const double alone = newestError(single[at], clean[at]);
    if (b == 7) {
      EXPECT_LT(error, 0.5 * alone);
    }
    // The first frame of the new picture is shown alone, no worse than the receiver shows it;
    // the second adds to it.
    if (b == 8) {
      EXPECT_LT(error, alone);
    }
    if (b == 9) {
      EXPECT_LT(error, 0.85 * alone);
    }
    if (b >= 8) {
      EXPECT_LT(2.0 * error, newestError(chain->runBytes(), old[at])) << b;
    }
  }
  // Four frames after the change, nearly every patch holds the new picture's frames alone.
  int renewed = 0;
  for (int patch = 0; patch < kPatches; ++patch)
    renewed += chain->combiner()->framesCombined(patch) <= 4;
  EXPECT_GE(renewed, kPatches * 9 / 10);
}

// Digital silence (a muted input, a recording that starts with zeros) gives no products to measure
// a new frame against: the first frames of a picture after it were counted on top of the silent
// ones, so that "picture of N frames" and auto-save's judgement claimed frames that held nothing.
TEST(FrameCombining, APictureAfterSilenceCountsOnlyItsOwnFrames) {
  std::vector<std::int16_t> audio(3 * kCaptureSamples, 0);
  const auto heard = stillPicture(5, {.noise = 1000.0});
  audio.insert(audio.end(), heard.begin(), heard.end());
  ReceiverEngine engine(combining(8));
  for (int b = 0; b < 8; ++b) {
    receive(engine, audio, b);
    if (b >= 4) {
      EXPECT_LE(engine.report().framesCombined, b - 2) << b;
    }
  }
  EXPECT_GE(engine.report().framesCombined, 4);
}

TEST(FrameCombining, APictureThatChangesEveryFrameIsShownAsTheReceiverShowsIt) {
  const auto moving = [](const Reception& how) {
    return receivedFrames(
        8, [](int f) -> const PicturePlanes& { return picture(f % 3); }, how);
  };
  const Runs clean = decodeSingle(moving({}));
  const auto noisy = moving({.noise = 1000.0});
  const Runs single = decodeSingle(noisy);
  auto chain = std::make_unique<ReceiverEngine>(combining(8));
  for (int b = 0; b < 8; ++b) {
    receive(*chain, noisy, b);
    const auto at = static_cast<std::size_t>(b);
    EXPECT_LE(newestError(chain->runBytes(), clean[at]), newestError(single[at], clean[at])) << b;
    // The last windows of sub-columns 1 and 2 reach past the history into silence, as the
    // receiver reads them; in the older half, where the receiver reads them whole, its own
    // values stand.
    for (int slot = kFirstUsedSlot; slot <= kLastUsedSlot; ++slot)
      for (int p : {1, 2})
        EXPECT_EQ(chain->runBytes()[runByteIndex(kFramePositions - 1, slot, p)],
                  single[at][runByteIndex(kFramePositions - 1, slot, p)]);
  }
}

TEST(FrameCombining, ARowBandThatChangesEveryFrameLeavesTheOthersCombining) {
  // The lowest four luminance rows (and so their red difference carrier) change every frame,
  // as the crawl line does.
  std::vector<PicturePlanes> frames(13, picture(0));
  for (int f = 0; f < 13; ++f)
    for (int c = 1; c <= 47; ++c)
      for (int r = kFirstSentRow; r < kFirstSentRow + 4; ++r)
        frames[static_cast<std::size_t>(f)].Y[c][r] =
            static_cast<float>(4.0 + 3.5 * std::sin(0.4 * c + 1.3 * f));
  const auto audio = receivedFrames(
      12, [&](int f) -> const PicturePlanes& { return frames[static_cast<std::size_t>(f)]; },
      {.noise = 1000.0});
  auto chain = std::make_unique<ReceiverEngine>(combining(8));
  for (int b = 0; b < 12; ++b) receive(*chain, audio, b);
  const FrameCombiner& combiner = *chain->combiner();
  int combining = 0;
  for (int j = 0; j < kFramePositions; ++j) {
    EXPECT_LE(combiner.framesCombined(patchOf(0, j)), 2) << j;
    for (int band = 1; band < kRowBands; ++band)
      combining += combiner.framesCombined(patchOf(band, j)) == 8;
  }
  // Every patch of the other bands, but where the frames meet: the changed rows start the next
  // frame's carriers at other phases.
  EXPECT_GE(combining, (kRowBands - 1) * (kFramePositions - 2));
}

TEST(FrameCombining, AFastSendersDriftIsFollowedAndItsCarrierTurnTakenOut) {
  // 300 ppm: the frames arrive 3.7 samples earlier each, and carrier 91 sits 1 Hz high.
  constexpr double kPpm = 300.0;
  constexpr int kFrames = 16;
  const Runs clean = decodeSingle(stillPicture(kFrames));
  const auto noisy = stillPicture(kFrames, {.noise = 1500.0, .clockPpm = kPpm});
  // The engine's estimator finds the clock from the repeats, and auto tune puts the sliders
  // where the luminance carriers are centred: the combined picture is then the clean one on
  // every row, where a single frame's rows lie up to 0.2 Hz either side.
  const auto autoTuned = [](bool followClock) {
    EngineSettings settings = combining(kFrames, followClock);
    settings.autoTune = true;
    return settings;
  };
  const Runs followed = decode(noisy, autoTuned(true));
  const Runs unaware = decode(noisy, autoTuned(false));
  const Runs right = decode(stillPicture(kFrames, {.noise = 1500.0}), autoTuned(true));
  // Against the picture as the sender's first frame lay in the buffers.
  const auto last = static_cast<std::size_t>(kFrames - 1);
  const double withClock = newestError(followed[last], clean[last]);
  // Tuned alike, what following the clock adds is the frames' drift and each carrier's own
  // turn (measured: 6.1 steps against 9.4).
  EXPECT_LT(withClock, 0.75 * newestError(unaware[last], clean[last]));
  EXPECT_LT(withClock, 1.5 * newestError(right[last], clean[last]));

  auto chain = std::make_unique<ReceiverEngine>(combining(kFrames));
  for (int b = 0; b < kFrames; ++b) receive(*chain, noisy, b);
  // 15 frames after the first, 12288 samples 300 ppm each, earlier: the frames taken before the
  // estimator locked are caught up with.
  EXPECT_EQ(chain->combiner()->windowShift(), -55);
}

TEST(FrameCombining, WindowShiftsRenumberWholeBlocksAndMoveTheRest) {
  for (int shift = -700; shift <= 700; shift += 7) {
    const WindowShift s = WindowShift::of(shift);
    EXPECT_EQ(s.blocks * kBlockSamples + s.samples, shift);
    EXPECT_GE(s.samples, -kBlockSamples / 2);
    EXPECT_LT(s.samples, kBlockSamples / 2);
    // The content a block shows moves on a block with every whole block of shift.
    for (int block : {48, 70, 95}) {
      const WindowShift later = WindowShift::of(shift + kBlockSamples);
      EXPECT_EQ(productPosition(block, s),
                productPosition(block + 1 > 95 ? block + 1 - kFramePositions : block + 1, later));
    }
  }
}

TEST(FrameCombining, ValueFromTheSumsIsTheReceiversOwnForOneCleanFrame) {
  // Im(A conj B) / |B|^2 for windows A, B.
  const std::complex<double> a(700.0, -1300.0), b(-400.0, 1100.0);
  const std::complex<double> product = a * std::conj(b);
  const double receiver = product.imag() / std::norm(b);
  EXPECT_NEAR(combinedValue(product, std::norm(a), std::norm(b), 0.0), receiver, 1e-12);
  // Summed over identical frames, the same.
  EXPECT_NEAR(combinedValue(8.0 * product, 8 * std::norm(a), 8 * std::norm(b), 0.0), receiver,
              1e-12);
  // Where noise swamps the powers, their ratio counts no more: the sine of the angle.
  EXPECT_NEAR(combinedValue(product, std::norm(a), std::norm(b), 1e9),
              product.imag() / std::abs(product), 1e-3);
  EXPECT_TRUE(std::isnan(combinedValue({0.0, 0.0}, 0.0, 0.0, 1.0)));
}

TEST(FrameCombining, SettingsTakeEffectWithTheNextBuffer) {
  const auto audio = stillPicture(14, {.noise = 1000.0});
  const auto clean = stillPicture(14);
  auto chain = std::make_unique<ReceiverEngine>(combining(8));
  auto tuned = std::make_unique<ReceiverEngine>();  // the clean signal at the same settings
  auto untuned = std::make_unique<ReceiverEngine>(pictureSettings(noBalance()));  // at the start
  DemodSettings demod = noBalance();
  for (int b = 0; b < 14; ++b) {
    chain->setSettings(combining(b < 11 ? 8 : 3));
    // The fine tuning moves, as an operator sets the brightness with it: the sums go on, and
    // the values move as the receiver's do.
    if (b == 5) demod.fineHz = 1.0f;
    if (b == 13) toggleHalfPixel(demod);
    chain->setDemod(demod);
    tuned->setDemod(demod);
    receive(*chain, audio, b);
    receive(*tuned, clean, b);
    receive(*untuned, clean, b);
    const int most = chain->report().framesCombined;
    if (b == 10) {
      EXPECT_EQ(most, 8);
      EXPECT_LT(2.0 * newestError(chain->runBytes(), tuned->runBytes()),
                newestError(chain->runBytes(), untuned->runBytes()));
    }
    if (b == 11 || b == 12) {
      EXPECT_EQ(most, 3);
    }
    if (b == 13) {
      EXPECT_EQ(most, 1);  // other windows, other products: start afresh
    }
  }
}

}  // namespace
}  // namespace mosaic
