// The aligned frame: the newest complete frame picked out of the receiver's bitmap with the
// frame boundary the tuning estimator finds, compared with the picture that was sent, also when
// the recording starts mid-frame and when the sending clock drifts; and mosaic decode --aligned.

#include "receiver/core/picture/aligned_frame.h"
#include "receiver/core/buffer_feeder.h"
#include "receiver/core/tuning/frame_alignment.h"
#include "tests/support/air_signal.h"
#include "tool_runner.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace mosaic {
namespace {

using test::runTool;

// Pearson correlation of the aligned picture's luminance (scale 1) with the sent luminance of
// columns 1..47, rows 18..53.
double lumaCorrelation(const AlignedPicture& a, const PicturePlanes& sent) {
  double sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
  const int n = kAlignedColumns * kAlignedRows;
  for (int y = 0; y < kAlignedRows; ++y) {
    for (int x = 0; x < kAlignedColumns; ++x) {
      const std::uint8_t* p = a.rgb.data() + 3 * (y * a.width + x);
      const double got = 0.3 * p[0] + 0.6 * p[1] + 0.1 * p[2];
      const double want = sent.Y[kAlignedColumns - x][53 - y];
      sx += got;
      sy += want;
      sxx += got * got;
      syy += want * want;
      sxy += got * want;
    }
  }
  const double cov = sxy - sx * sy / n;
  return cov / std::sqrt((sxx - sx * sx / n) * (syy - sy * sy / n));
}

struct AlignedRun {
  std::vector<double> correlations;  // per buffer once aligned
  std::vector<int> starts;           // the frame start used, per buffer once aligned
  int firstAligned = -1;             // the buffer (0-based) of the first aligned frame
};

// An engine at colour balance 0 that makes the aligned frame at scale 1.
std::unique_ptr<ReceiverEngine> aligningEngine() {
  EngineSettings settings;
  settings.demod.balance = 0;
  settings.alignedScale = 1;
  return std::make_unique<ReceiverEngine>(settings);
}

// Decodes `received` and aligns every buffer's newest complete frame.
AlignedRun alignAll(const std::vector<std::int16_t>& received, const PicturePlanes& sent) {
  const auto engine = aligningEngine();
  AlignedRun run;
  int buffer = 0;
  BufferFeeder feeder(*engine, [&](const ReceiverEngine& heard) {
    if (heard.report().aligned) {
      if (run.firstAligned < 0) run.firstAligned = buffer;
      run.correlations.push_back(lumaCorrelation(heard.alignedPicture(), sent));
      run.starts.push_back(heard.report().frameStart);
    }
    ++buffer;
    return true;
  });
  feeder.feed(received.data(), received.size());
  return run;
}

TEST(AlignedFrame, MatchesTheSentPictureWhenTheRecordingStartsMidFrame) {
  for (int lead : {0, 20000, 45000}) {
    PicturePlanes sent;
    const auto air = test::sentStillTestCard(6, lead, &sent);
    const AlignedRun run = alignAll(test::receivedAt9600(air, ChannelSettings{}), sent);
    ASSERT_FALSE(run.correlations.empty()) << lead;
    EXPECT_LE(run.firstAligned, 2) << lead;
    std::printf("[ aligned ] lead %d: luminance correlation %.3f (last frame)\n", lead,
                run.correlations.back());
    // The first frame found lies partly in the silence before the recording.
    for (std::size_t i = 1; i < run.correlations.size(); ++i)
      EXPECT_GE(run.correlations[i], 0.85) << "lead " << lead << ", frame " << i;
  }
}

// The frame start (0..12288) in the history after buffer `b` (0-based) when the frames started
// `lead` samples (48000 Hz) before the recording and the sender's clock runs `ppm` fast.
double trueFrameStart(int b, int lead, double ppm) {
  const double frame = kCaptureSamples / (1.0 + ppm * 1e-6);
  const double first = (kFrameSamples - lead) / 5.0 / (1.0 + ppm * 1e-6);
  const double historyStart = (b - 1.0) * kCaptureSamples;
  double start = first + std::ceil((historyStart - first) / frame) * frame;
  return start - historyStart;
}

// A clock 100 ppm off moves the boundary by 1.2 samples per buffer, and the estimator finds it
// again in every buffer, so nothing builds up over a long recording: what has to hold is that
// the boundary is followed when it crosses from one end of the history to the other. Both
// recordings start with the boundary a few samples from an end and cross it within 30 frames.
// (The channel's clock-error resampling adds no delay of its own: the frames start where the
// sending clock put them.)
TEST(AlignedFrame, FollowsTheBoundaryAcrossTheHistoryWithTheClock100ppmOff) {
  struct Case {
    double ppm;
    int lead;
  };
  for (const Case c : {Case{100.0, 61300}, Case{-100.0, 50}}) {
    PicturePlanes sent;
    ChannelSettings channel;
    channel.clockPpm = c.ppm;
    const auto air = test::sentStillTestCard(32, c.lead, &sent);
    const AlignedRun run = alignAll(test::receivedAt9600(air, channel), sent);
    ASSERT_FALSE(run.correlations.empty()) << c.ppm;
    double worst = 1.0;
    double worstError = 0.0;
    double lowest = 1e9, highest = -1e9;
    int crossed = 0;
    for (std::size_t i = 1; i < run.correlations.size(); ++i) {
      const int b = run.firstAligned + static_cast<int>(i);
      worst = std::min(worst, run.correlations[i]);
      EXPECT_GE(run.correlations[i], 0.85) << c.ppm << " ppm, buffer " << b;
      // The same boundary as the true one, at whichever end, to a few samples.
      double error = run.starts[i] - trueFrameStart(b, c.lead, c.ppm);
      error -= std::nearbyint(error / kCaptureSamples) * kCaptureSamples;
      EXPECT_LT(std::abs(error), 10.0) << c.ppm << " ppm, buffer " << b;
      worstError = std::max(worstError, std::abs(error));
      lowest = std::min(lowest, error);
      highest = std::max(highest, error);
      if (std::abs(run.starts[i] - run.starts[i - 1]) > kCaptureSamples / 2) ++crossed;
    }
    EXPECT_EQ(crossed, 1) << c.ppm;
    // Followed, not merely found: the error does not grow with the drift.
    EXPECT_LT(highest - lowest, 8.0) << c.ppm;
    std::printf(
        "[ aligned ] clock %+.0f ppm: worst luminance correlation %.3f, boundary within %.1f "
        "samples over %zu frames\n",
        c.ppm, worst, worstError, run.correlations.size() - 1);
  }
}

// How far the worst column of the aligned picture (scale 1) strays from the sent luminance,
// against the typical column: the picture's grey level is fitted to the sent values over the
// whole frame by a straight line, and each column's mean absolute residual compared with the
// median column's. A column read across a frame boundary holds values unrelated to the picture.
double worstColumnMisfit(const AlignedPicture& a, const PicturePlanes& sent, int& worstColumn) {
  std::vector<double> got, want;
  for (int y = 0; y < kAlignedRows; ++y) {
    for (int x = 0; x < kAlignedColumns; ++x) {
      const std::uint8_t* p = a.rgb.data() + 3 * (y * a.width + x);
      got.push_back(0.3 * p[0] + 0.6 * p[1] + 0.1 * p[2]);
      want.push_back(sent.Y[kAlignedColumns - x][53 - y]);
    }
  }
  const double n = double(got.size());
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = 0; i < got.size(); ++i) {
    sx += want[i];
    sy += got[i];
    sxx += want[i] * want[i];
    sxy += want[i] * got[i];
  }
  const double slope = (sxy - sx * sy / n) / (sxx - sx * sx / n);
  const double offset = (sy - slope * sx) / n;
  std::vector<double> columns(kAlignedColumns, 0.0);
  for (std::size_t i = 0; i < got.size(); ++i)
    columns[i % kAlignedColumns] += std::abs(got[i] - slope * want[i] - offset) / kAlignedRows;
  worstColumn = int(std::max_element(columns.begin(), columns.end()) - columns.begin());
  std::vector<double> sorted = columns;
  std::sort(sorted.begin(), sorted.end());
  return columns[std::size_t(worstColumn)] / sorted[kAlignedColumns / 2];
}

// Wherever the boundary falls among the receiver's sub-column windows, the first and last sent
// columns are read from windows inside the frame: they fit the sent picture like the others.
// The picture, alike down each column, fits the frame links almost as well half a symbol
// beside the boundary as on it, which a clock error used to tip.
TEST(AlignedFrame, TheEdgeColumnsNeverReadAcrossTheFrameBoundary) {
  double worst = 0.0;
  PicturePlanes sent;
  const auto air = test::sentPictures(
      5, 0, [](int) { return test::rampBands(); }, &sent);
  for (double ppm : {0.0, 100.0, -100.0}) {
    ChannelSettings channel;
    channel.clockPpm = ppm;
    const auto received = test::receivedAt9600(air, channel);
    // Recordings that start `skip` samples later: a whole symbol in 32 steps.
    for (int skip = 0; skip < kBlockSamples; skip += 8) {
      const auto engine = aligningEngine();
      int frames = 0;
      BufferFeeder feeder(*engine, [&](const ReceiverEngine& heard) {
        // Whole frames of signal only.
        if (!heard.report().aligned || heard.runs() < 3) return true;
        int column = 0;
        const double misfit = worstColumnMisfit(heard.alignedPicture(), sent, column);
        worst = std::max(worst, misfit);
        EXPECT_LT(misfit, 8.0) << ppm << " ppm, skip " << skip << ", buffer " << heard.runs()
                               << ": column x = " << column << " at frame start "
                               << heard.report().frameStart;
        ++frames;
        return true;
      });
      feeder.feed(received.data() + skip, received.size() - std::size_t(skip));
      EXPECT_GE(frames, 2) << ppm << " ppm, skip " << skip;
    }
  }
  std::printf("[ aligned ] worst column against the typical one: %.2f times its misfit\n", worst);
}

TEST(AlignedFrame, PicksTheSymbolWhoseWindowsStraddleTheColumn) {
  const std::array<int, 2> half = kHalfPixelOffsets;
  const auto is = [](SymbolColumn s, int t, int p) { return s.t == t && s.p == p; };
  // Inside the frame the nearest pair: column 10 at 0 is 2560, nearest 256 10 + 0; at 100 it is
  // 2660, nearest 256 10 + 85; at 160, 2720, nearest 256 10 + 170.
  EXPECT_TRUE(is(symbolForColumn(10, 0, half), 10, 0));
  EXPECT_TRUE(is(symbolForColumn(10, 100, half), 10, 1));
  EXPECT_TRUE(is(symbolForColumn(10, 160, half), 10, 2));
  // At the edges, pairs at least 64 samples inside the frame: column 1 at 0 (256) takes
  // 256 + 85, whose first window starts at 85; at 160 (416) 512, not 256 + 170 (first window
  // at 170). Column 47 at 0 (12032) takes 256 46 + 170, whose second window ends at 12202.
  EXPECT_TRUE(is(symbolForColumn(1, 0, half), 1, 1));
  EXPECT_TRUE(is(symbolForColumn(1, 160, half), 2, 0));
  EXPECT_TRUE(is(symbolForColumn(47, 0, half), 46, 2));
  EXPECT_TRUE(is(symbolForColumn(47, 12288, half), 94, 2));
  // Without "+ half pixel" the next pair is a whole symbol away: the one inside the frame,
  // however near its boundary, rather than a neighbouring column's.
  EXPECT_TRUE(is(symbolForColumn(1, 0, {0, 0}), 1, 0));
  EXPECT_TRUE(is(symbolForColumn(47, 0, {0, 0}), 47, 0));
  EXPECT_TRUE(is(symbolForColumn(1, 200, {0, 0}), 2, 0));  // 512; 256 starts before the frame
  // Symbol 95 of sub-columns 1 and 2 reads past the history: never chosen.
  EXPECT_TRUE(is(symbolForColumn(47.4, 12288, half), 95, 0));
}

TEST(AlignedFrame, LaysTheColumnsOutLeftToRightAndTheRowsTopDownAtAnyScale) {
  PictureBitmap bitmap;
  // Each pixel tells its column (red, and blue for the 256s) and its row (green).
  for (int y = 0; y < kPictureRowsHeld; ++y) {
    for (int x = 0; x < kPictureWidth; ++x) {
      bitmap.pixel(x, y)[kRed] = static_cast<std::uint8_t>(x % 256);
      bitmap.pixel(x, y)[kGreen] = static_cast<std::uint8_t>(y);
      bitmap.pixel(x, y)[kBlue] = static_cast<std::uint8_t>(x / 256);
    }
  }
  AlignedPicture a;
  reserveAligned(a);
  const auto* before = a.rgb.data();
  for (int scale : {1, 2, 3, 5}) {
    alignFrame(bitmap, 0, {0, 0}, scale, a);
    ASSERT_EQ(a.width, 47 * scale);
    ASSERT_EQ(a.height, 36 * scale);
    EXPECT_EQ(a.rgb.data(), before) << "reallocated at scale " << scale;
    const auto at = [&a](int x, int y) { return a.rgb.data() + 3 * (y * a.width + x); };
    const auto column = [&at](int x, int y) { return at(x, y)[0] + 256 * at(x, y)[2]; };
    // Top left: column 47 (symbol 47), slot 45 (primary row 133); bottom right: column 1, slot
    // 10 (primary row 28).
    EXPECT_EQ(column(0, 0), pictureColumn(47, 0)) << scale;
    EXPECT_EQ(column(a.width - 1, a.height - 1), pictureColumn(1, 0)) << scale;
    EXPECT_EQ(column(scale - 1, 0), pictureColumn(47, 0)) << scale;
    EXPECT_EQ(column(scale, 0), pictureColumn(46, 0)) << scale;
    EXPECT_EQ(at(a.width - 1, a.height - 1)[1], 28) << scale;
    // The top row band: slot 45's three bitmap rows, spread over `scale` output rows.
    EXPECT_EQ(at(0, scale - 1)[1], 133) << scale;
    EXPECT_EQ(at(0, 0)[1], 133 + 3 * (scale - 1) / scale) << scale;
  }
  alignFrame(bitmap, 0, {0, 0}, 99, a);  // limited to the largest scale
  EXPECT_EQ(a.width, 47 * kMaxAlignedScale);
}

// Where the receiver's windows lie decides how well each sub-column's values come out: at some
// positions, with some pictures, one jitters from column to column. The aligned picture reads the
// smoothest sub-column near the columns and blends whole columns when it is larger.
TEST(AlignedFrame, ReadsTheSmoothestSubColumnAndBlendsItsColumnsWhenLarger) {
  PictureBitmap bitmap;
  // A grey ramp along the symbols; sub-column 0 (on the columns at frame start 0) jitters
  // strongly, sub-column 2 a little, sub-column 1 (85 samples later) not at all.
  const int jitter[kSubColumns] = {30, 0, 4};
  for (int t = 0; t < kBlocksPerRun; ++t) {
    for (int p = 0; p < kSubColumns; ++p) {
      const int grey = 40 + 3 * std::min(t, 50) + (t % 2 ? jitter[p] : -jitter[p]) + 10 * p;
      for (int y = 0; y < kPictureRowsHeld; ++y) {
        std::uint8_t* pixel = bitmap.pixel(pictureColumn(t, p), y);
        pixel[kRed] = pixel[kGreen] = pixel[kBlue] = static_cast<std::uint8_t>(grey);
      }
    }
  }
  EXPECT_EQ(smoothestSubColumn(bitmap, 0, kHalfPixelOffsets), 1);
  EXPECT_EQ(smoothestSubColumn(bitmap, 0, {0, 0}), -1);
  AlignedPicture a;
  reserveAligned(a);
  alignFrame(bitmap, 0, kHalfPixelOffsets, 1, a);
  // Column 20 (x = 27) is symbol 20 of sub-column 1, whose pair is 85 samples late.
  EXPECT_EQ(a.rgb[3 * 27], 40 + 3 * 20 + 10);
  for (int x = 1; x < kAlignedColumns - 1; ++x)
    EXPECT_EQ(a.rgb[3 * x], 40 + 3 * (kAlignedColumns - x) + 10) << x;
  // Twice as large: each output column between two sent ones, blended in proportion.
  alignFrame(bitmap, 0, kHalfPixelOffsets, 2, a);
  EXPECT_EQ(a.rgb[3 * 54], 111);  // column 20.25 (47.5 - 54.5 / 2): 110 and 113, 3 : 1
  EXPECT_EQ(a.rgb[3 * 55], 109);  // column 19.75: 107 and 110, 1 : 3
}

TEST(AlignedFrame, TakesOnlyBoundariesThatFittedOnceLocked) {
  const auto estimate = [](bool locked, int start, double coherence) {
    TuningEstimate e;
    e.locked = locked;
    e.frameStartInHistory = start;
    e.boundaryCoherence = coherence;
    return e;
  };
  FrameAlignment f;
  f.update(estimate(true, 500, 0.1));
  f.update(estimate(false, 500, 0.9));
  EXPECT_FALSE(f.found());
  f.update(estimate(true, -1, 0.9));
  f.update(estimate(true, 12289, 0.9));
  EXPECT_FALSE(f.found());
  f.update(estimate(true, 500, 0.9));
  f.update(estimate(true, 700, 0.05));  // noise: the last good boundary stays
  EXPECT_TRUE(f.found());
  EXPECT_EQ(f.frameStart(), 500);
  f.reset();
  EXPECT_FALSE(f.found());
}

// What the estimator reports after buffer `b` for a boundary at `history` in that buffer's
// history, locked and fitted.
TuningEstimate boundaryAt(int b, double history, double ppm = 0.0) {
  TuningEstimate e;
  e.locked = true;
  e.boundaryCoherence = 0.9;
  e.clockPpm = ppm;
  e.frameStartInHistory = static_cast<int>(std::lround(history));
  e.frameStartSample = (b - 1LL) * kCaptureSamples + e.frameStartInHistory;
  return e;
}

// Under noise the boundary found in each buffer wanders, on pictures that fit it almost anywhere
// for several buffers in a row; the one used stays near the true one, also while the clock
// carries it across the history. When the sender's frames move (a gap in its sound, another
// station), the new boundary is used once five buffers agree on it.
TEST(AlignedFrame, TheBoundaryUsedIsTheMedianOfTheLastOnesFound) {
  const double ppm = 100.0;
  const double drift = -kCaptureSamples * ppm * 1e-6;  // [samples per buffer]
  FrameAlignment f;
  double truth = 400.0;
  const auto errorOf = [&f](double want) {
    int error = f.frameStart() - static_cast<int>(std::lround(want));
    error -= kCaptureSamples * static_cast<int>(std::lround(double(error) / kCaptureSamples));
    return std::abs(error);
  };
  int worst = 0;
  for (int b = 0; b < 400; ++b) {
    // The clock carries the boundary over the history's start once.
    truth += drift;
    if (truth < 0) truth += kCaptureSamples;
    // Seven buffers in every 25 wander late as a picture alike down its columns did at 20 dB;
    // the rest lie within 20.
    static constexpr int kWander[] = {66, 110, 143, 135, 87, 104, 55};
    const int phase = b % 25;
    const double wander = phase >= 10 && phase < 17 ? kWander[phase - 10] : (b * 37 % 41) - 20;
    double found = truth + wander;
    if (found > kCaptureSamples) found -= kCaptureSamples;
    f.update(boundaryAt(b, found, ppm));
    if (b >= 10) worst = std::max(worst, errorOf(truth));
  }
  EXPECT_LE(worst, 25);
  // A gap of 20 ms in the sender's sound: its frames start 192 samples earlier from then on.
  int buffer = 400;
  for (double shifted : {-192.0, 3000.0}) {
    int followed = -1;
    for (int b = 0; b < 8; ++b, ++buffer) {
      truth += drift;
      double found = truth + shifted + (b % 2) * 8;
      found -= kCaptureSamples * std::floor(found / kCaptureSamples);
      f.update(boundaryAt(buffer, found, ppm));
      if (followed < 0 && errorOf(truth + shifted) <= 8) followed = b + 1;
    }
    EXPECT_EQ(followed, 5) << shifted;
    truth += shifted;
  }
  // After a lost lock, the first boundary found is used as it is.
  TuningEstimate lost = boundaryAt(buffer, 9000);
  lost.locked = false;
  f.update(lost);
  f.update(boundaryAt(buffer + 1, 9000));
  EXPECT_EQ(f.frameStart(), 9000);
}

TEST(AlignedFrame, DecodeWritesTheAlignedFrameAtTheChosenScale) {
  QTemporaryDir dir;
  PicturePlanes sent;
  const QString wav = dir.filePath(QStringLiteral("still.wav"));
  test::writeSentWav(wav, test::sentStillTestCard(6, 30000, &sent));
  const QString png = dir.filePath(QStringLiteral("a.png"));
  const QString frames = dir.filePath(QStringLiteral("frames"));
  const auto run = runTool({QStringLiteral("decode"), wav, QStringLiteral("--aligned"),
                            QStringLiteral("--balance"), QStringLiteral("0"), QStringLiteral("-o"),
                            png, QStringLiteral("--frames-dir"), frames});
  ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
  const QImage image(png);
  EXPECT_EQ(image.size(), QSize(47 * 4, 36 * 4));
  // Scaled down to one pixel per column and row, the picture is the sent one.
  AlignedPicture small;
  small.width = kAlignedColumns;
  small.height = kAlignedRows;
  for (int y = 0; y < kAlignedRows; ++y) {
    for (int x = 0; x < kAlignedColumns; ++x) {
      const QRgb c = image.pixel(4 * x + 1, 4 * y);
      small.rgb.insert(small.rgb.end(),
                       {std::uint8_t(qRed(c)), std::uint8_t(qGreen(c)), std::uint8_t(qBlue(c))});
    }
  }
  EXPECT_GE(lumaCorrelation(small, sent), 0.85);
  // One picture per buffer once the boundary was found: the first buffer has none.
  const QStringList written = QDir(frames).entryList(QDir::Files);
  EXPECT_GE(written.size(), 3);
  EXPECT_FALSE(written.contains(QStringLiteral("frame-00001.png")));

  const auto scaled =
      runTool({QStringLiteral("decode"), wav, QStringLiteral("--aligned"),
               QStringLiteral("--scale"), QStringLiteral("1"), QStringLiteral("-o"), png});
  ASSERT_EQ(scaled.exitCode, 0);
  EXPECT_EQ(QImage(png).size(), QSize(47, 36));
  EXPECT_EQ(
      runTool({QStringLiteral("decode"), wav, QStringLiteral("--scale"), QStringLiteral("17")})
          .exitCode,
      2);
}

TEST(AlignedFrame, DecodeOfNoiseWritesNoAlignedPictureAndSaysSo) {
  QTemporaryDir dir;
  std::vector<float> noise =
      addNoise(std::vector<float>(4 * kFrameSamples, 1000.0f), kTxSampleRateHz, -10.0, 3);
  for (auto& v : noise) v -= 1000.0f;
  const QString wav = dir.filePath(QStringLiteral("noise.wav"));
  test::writeSentWav(wav, noise);
  const QString png = dir.filePath(QStringLiteral("a.png"));
  const auto run = runTool(
      {QStringLiteral("decode"), wav, QStringLiteral("--aligned"), QStringLiteral("-o"), png});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.standardError.contains(QStringLiteral("no frame boundary")));
  EXPECT_FALSE(QFile::exists(png));
}

}  // namespace
}  // namespace mosaic
