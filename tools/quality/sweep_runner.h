#pragma once
// Runs a sweep: every channel at every SNR, each point over seeds (independent realisations of
// the noise and fading, and of where the signal starts in the receiver's buffers) until its
// figures are stable or the seeds run out; each seed sends all pictures.

#include "tools/quality/combined_decoding.h"
#include "tools/quality/sent_signals.h"
#include "tools/quality/sweep_plan.h"
#include "tools/quality/sweep_statistics.h"

#include <QImage>

#include <functional>
#include <map>
#include <vector>

namespace mosaic::tool {

struct PointResult {
  double snrDb = 0.0;
  Figure luma, colour;            // receiver at the sweep's manual settings
  Figure tunedLuma, tunedColour;  // auto-tuned (when the plan asks for it)
  Figure tunedOffsetHz;           // the tuning the estimator chose
  // On channels that combine: per entry of the plan's `combinedFrames`, the still picture
  // combined over that many frames; and the newest frame's luminance error k = 1..6 frames after
  // a new picture, combining over 8.
  std::vector<Figure> combinedLuma, combinedColour;
  std::vector<Figure> afterChangeLuma;
  std::vector<QImage> pictures;  // at the strip SNRs: the large view of each picture, seed 0
  std::vector<QImage> combinedPictures;  // the same combined, on channels that combine
};

struct SweepResult {
  SweepPlan plan;
  std::vector<SweepPicture> pictures;
  std::vector<QImage> perfectPictures;  // the large view of each picture over a perfect channel
  std::vector<std::vector<PointResult>> points;  // [channel][SNR], in the plan's order
  long long trials = 0;
  double seconds = 0.0;
};

// Progress for people: called on the calling thread between rounds.
using SweepProgress = std::function<void(const std::string& line)>;

SweepResult runSweep(const SweepPlan& plan, int threads, const SweepProgress& progress = {});

// Usable threads: the hardware's, at most `limit`.
int sweepThreads(int limit);

}  // namespace mosaic::tool
