// Whether the aligned frame shows another picture, on real received signals: a still picture is
// never taken for another at any usable signal-to-noise ratio, with or without the crawl line
// running, and another picture is noticed at once.

#include "station/picture_change.h"
#include "station/reception.h"
#include "tests/station/station_signals.h"

#include <gtest/gtest.h>

namespace mosaic::station {
namespace {

struct ChangeRun {
  std::vector<int> changedAt;  // buffers (0-based) whose frame was taken for another picture
  int compared = 0;
};

// Compares every aligned, locked frame, as the station does.
ChangeRun changes(const std::vector<std::int16_t>& received) {
  Reception reception(test::monitorReception());
  PictureChangeDetector detector;
  ChangeRun run;
  for (std::size_t b = 0; (b + 1) * kCaptureSamples <= received.size(); ++b) {
    const ReceivedBuffer& r = reception.addBuffer(received.data() + b * kCaptureSamples);
    if (!r.aligned || !r.locked) continue;
    const FrameChange c = detector.compare(reception.alignedPicture(), r.snrDb);
    if (run.compared++ > 0 && c.changed) run.changedAt.push_back(int(b));
  }
  return run;
}

TEST(PictureChange, AStillPictureStaysOneAndAnotherIsNoticedAtOnce) {
  const auto sent = test::sentCardThenRamps(20, 10);
  for (const double snr : {12.0, 15.0, 20.0, 30.0, 45.0}) {
    const ChangeRun run = changes(test::at9600(test::throughNoise(sent, snr)));
    EXPECT_GE(run.compared, 15) << snr;
    ASSERT_FALSE(run.changedAt.empty()) << snr;
    // The first frame of the ramps lies in buffer 10 or 11 (it started a third of a frame in).
    EXPECT_EQ(run.changedAt.size(), 1u) << snr;
    EXPECT_GE(run.changedAt.front(), 10) << snr;
    EXPECT_LE(run.changedAt.front(), 11) << snr;
  }
}

TEST(PictureChange, TheCrawlLineRunningOverAStillPictureLeavesItOne) {
  const auto sent = test::sentCardThenRamps(20, 20, "CQ CQ DE MOSAIC TV STATION 73");
  for (const double snr : {15.0, 30.0}) {
    const ChangeRun run = changes(test::at9600(test::throughNoise(sent, snr)));
    EXPECT_GE(run.compared, 15) << snr;
    EXPECT_TRUE(run.changedAt.empty()) << snr << ": " << run.changedAt.front();
  }
}

}  // namespace
}  // namespace mosaic::station
