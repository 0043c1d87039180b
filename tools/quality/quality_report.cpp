#include "tools/quality/quality_report.h"

#include "tools/quality/quality_figures.h"
#include "tools/quality/usable_limit.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace mosaic::tool {

namespace {

std::string number(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// "24 dB", or "> 30 dB" when the channel is not usable even at the highest SNR measured.
std::string usableText(std::optional<double> snr, const SweepPlan& plan) {
  return snr ? number(*snr, 0) + " dB" : "> " + number(plan.snrsDb.front(), 0) + " dB";
}

// The larger relative spread of a point's two figures [%].
double spread(const Figure& a, const Figure& b) {
  return 100.0 * std::max(a.relativeSpread(), b.relativeSpread());
}

void tableRow(std::ostream& out, const std::string& label, const std::vector<PointResult>& points,
              const std::function<std::string(const PointResult&)>& cell) {
  out << "| " << label;
  for (const PointResult& p : points) out << " | " << cell(p);
  out << " |\n";
}

void channelSection(std::ostream& out, const SweepResult& result, std::size_t c) {
  const SweepChannel& channel = result.plan.channels[c];
  const auto& points = result.points[c];
  const bool tuned = result.plan.autoTune;
  out << "### " << channel.title << "\n\n";
  out << "Usable down to " << usableText(usableDownTo(points, kUsableLumaError), result.plan);
  if (tuned)
    out << "; auto-tuned: "
        << usableText(usableDownTo(points, kUsableLumaError, true), result.plan);
  out << ".\n\n";
  out << "| SNR in 3000 Hz [dB]";
  for (const PointResult& p : points) out << " | " << number(p.snrDb, 0);
  out << " |\n|---";
  for (std::size_t i = 0; i < points.size(); ++i) out << "|--:";
  out << "|\n";
  tableRow(out, "luminance error", points,
           [](const PointResult& p) { return number(p.luma.mean, 1); });
  tableRow(out, "colour error", points,
           [](const PointResult& p) { return number(p.colour.mean, 1); });
  if (tuned) {
    tableRow(out, "luminance, auto-tuned", points,
             [](const PointResult& p) { return number(p.tunedLuma.mean, 1); });
    tableRow(out, "colour, auto-tuned", points,
             [](const PointResult& p) { return number(p.tunedColour.mean, 1); });
    tableRow(out, "tuning found [Hz]", points,
             [](const PointResult& p) { return number(p.tunedOffsetHz.mean, 2); });
  }
  if (!points.empty() && !points.front().combinedLuma.empty()) {
    for (std::size_t n = 0; n < result.plan.combinedFrames.size(); ++n) {
      const std::string frames = std::to_string(result.plan.combinedFrames[n]);
      tableRow(out, "luminance, combined over " + frames + " frames", points,
               [n](const PointResult& p) { return number(p.combinedLuma[n].mean, 1); });
      tableRow(out, "colour, combined over " + frames + " frames", points,
               [n](const PointResult& p) { return number(p.combinedColour[n].mean, 1); });
    }
    tableRow(out, "new picture usable after [frames]", points, [](const PointResult& p) {
      const auto k = usableAfterChange(p, kUsableLumaError);
      return k ? std::to_string(*k) : std::string("> 6");
    });
  }
  tableRow(out, "spread [%]", points,
           [](const PointResult& p) { return number(spread(p.luma, p.colour), 1); });
  if (tuned)
    tableRow(out, "spread, auto-tuned [%]", points,
             [](const PointResult& p) { return number(spread(p.tunedLuma, p.tunedColour), 1); });
  tableRow(out, "seeds", points,
           [](const PointResult& p) { return std::to_string(p.luma.samples); });
  out << "\n![" << channel.title << ": received pictures](" << stripFileName(channel) << ")\n\n";
  if (decodedCombining(result, c))
    out << "![" << channel.title << ": received pictures, combined over "
        << pictureFramesCombined(result.plan.combinedFrames) << " frames]("
        << stripFileName(channel, true) << ")\n\n";
}

// "usable down to" of the still picture combined over the plan's `which`th number of frames, or
// "–" on a channel that was not decoded combining.
std::string combinedUsableText(const SweepResult& result, std::size_t c, std::size_t which) {
  const auto& points = result.points[c];
  if (points.empty() || points.front().combinedLuma.empty()) return "–";
  return usableText(combinedUsableDownTo(points, kUsableLumaError, which), result.plan);
}

void headline(std::ostream& out, const SweepResult& result) {
  const bool tuned = result.plan.autoTune;
  const auto& combined = result.plan.combinedFrames;
  out << "| channel | usable down to (receiver tuned by hand)"
      << (tuned ? " | usable down to (auto-tuned)" : "");
  for (int n : combined) out << " | combined over " << n << " frames";
  out << " |\n|---|--:" << (tuned ? "|--:" : "");
  for (std::size_t n = 0; n < combined.size(); ++n) out << "|--:";
  out << "|\n";
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c) {
    out << "| " << result.plan.channels[c].title << " | "
        << usableText(usableDownTo(result.points[c], kUsableLumaError), result.plan);
    if (tuned)
      out << " | "
          << usableText(usableDownTo(result.points[c], kUsableLumaError, true), result.plan);
    for (std::size_t n = 0; n < combined.size(); ++n)
      out << " | " << combinedUsableText(result, c, n);
    out << " |\n";
  }
  out << "\n";
}

void method(std::ostream& out, const SweepResult& result) {
  const SweepPlan& plan = result.plan;
  out << "## How it was measured\n\n"
      << "`mosaic quality" << (plan.channels.size() < 5 ? " --quick" : "")
      << "` sends three pictures (the built-in test card, a landscape and a portrait) through the "
         "transmitter's video area and transmit chain, "
      << plan.frames << " frames of each, brings the 48000 Hz signal to the receiver's 9600 Hz "
      << "as `mosaic decode` does, passes it through the channel of `mosaic channel` (at 9600 Hz, "
         "five times faster than at 48000 Hz and within 3 % of the same figures) with a "
      << number(kSweepPassLowHz, 0) << "–" << number(kSweepPassHighHz, 0)
      << " Hz transceiver passband, and decodes it with the receive chain.\n\n"
      << "- **Error**: the mean absolute difference, in byte steps, between the picture value "
         "bytes the receiver makes of the noisy signal and those it makes of the same signal over "
         "a perfect channel, over every run but the first; luminance carriers and colour carriers "
         "apart. A picture of pure noise is about 85 steps off.\n"
      << "- **Receiver**: start-up settings with colour balance 0 and the tuning sliders at 0, "
         "which is the true tuning for the noise and fading channels; the mistuned and "
         "clock-shifted channels are left uncorrected. "
      << (plan.autoTune ? "**Auto-tuned**: the tuning estimator hears the whole signal and sets "
                          "the sliders, as `mosaic decode --auto-tune` does.\n"
                        : "\n")
      << "- **Seeds**: each point is measured over " << plan.minSeeds << " to " << plan.maxSeeds
      << " independent channel realisations (noise, fading and where the signal starts within "
         "the receiver's buffer), each sending all three pictures; seeds are added while the "
         "standard error of a point's mean is above "
      << number(100.0 * plan.targetSpread, 0)
      << " % of it, up to the most seeds. The spread rows give the standard error of the point's "
         "luminance or colour figure, whichever is larger, in per cent of the figure.\n"
      << "- **Usable**: a mean luminance error of at most " << number(kUsableLumaError, 0)
      << " steps, chosen by looking at the strips below: up to about this error the test card's "
         "text reads and the portrait's eyes and mouth show through the noise (white noise at "
         "15 dB, moderate fading at 18 dB); at 18 steps and more (white noise at 12 dB) they are "
         "barely made out. \"Usable down to\" is the lowest SNR down to which every point is "
         "usable.\n";
  if (!plan.combinedFrames.empty()) {
    out << "- **Combined**: on the channels with combined figures, each picture is also sent "
           "still for "
        << *std::max_element(plan.combinedFrames.begin(), plan.combinedFrames.end()) + 3
        << " frames and decoded with \"Combine frames\" on (the receiver's tuning estimator "
           "following the sending clock), over at most N frames; the error is that of runs N to "
           "N + 2, N frames after the start. The \"new picture\" row sends each picture for "
        << CombinedSignals::kFramesBeforeChange
        << " frames and then the next, combining over 8 frames, and gives the first frame after "
           "the change from which the newest frame's luminance error stays usable (of "
        << CombinedSignals::kFramesAfterChange << " measured; mean over the seeds).\n";
  }
  out << "- " << result.trials << " trials in " << number(result.seconds, 0) << " s.\n\n";
}

}  // namespace

bool writeQualityReport(const SweepResult& result, const std::string& dir, std::string& error) {
  if (!writeQualityFigures(result, dir, error)) return false;
  std::ostringstream out;
  out << "# Picture quality over HF channels\n\n"
      << "How much noise, fading and mistuning a picture survives, measured through the whole "
         "system. Regenerate with `mosaic quality -o docs`.\n\n"
      << "![Sent pictures and what the receiver makes of them over a perfect channel]("
      << kSentPicturesFile << ")\n\n## Usable down to\n\n";
  headline(out, result);
  method(out, result);
  out << "## Error against SNR\n\n";
  for (const char* figure : {"luma", "colour"})
    for (const char* group : kPlotGroups)
      if (!channelsOfGroup(result.plan, group).empty())
        out << "![" << figure << " error, " << group << "](" << plotFileName(figure, group)
            << ")\n\n";
  bool combining = false;
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c)
    combining = combining || decodedCombining(result, c);
  if (combining) out << "![luma error, combined](" << kCombinedPlotFile << ")\n\n";
  out << "## Channels\n\nEach strip: the test card, the landscape and the portrait as the "
         "receiver's large view shows them, over a perfect channel and at falling SNRs; on the "
         "channels "
         "decoded combining, a second strip shows the same still pictures combined.\n\n";
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c) channelSection(out, result, c);

  const std::string path = (std::filesystem::path(dir) / "quality.md").string();
  std::ofstream file(path);
  file << out.str();
  file.close();
  if (file) return true;
  error = "cannot write " + path;
  return false;
}

std::string headlineText(const SweepResult& result) {
  std::string text;
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c) {
    text += result.plan.channels[c].title + ": usable down to " +
            usableText(usableDownTo(result.points[c], kUsableLumaError), result.plan);
    if (result.plan.autoTune)
      text += ", auto-tuned " +
              usableText(usableDownTo(result.points[c], kUsableLumaError, true), result.plan);
    for (std::size_t n = 0; n < result.plan.combinedFrames.size(); ++n)
      if (!result.points[c].empty() && !result.points[c].front().combinedLuma.empty())
        text += ", combined over " + std::to_string(result.plan.combinedFrames[n]) + " frames " +
                combinedUsableText(result, c, n);
    text += "\n";
  }
  return text;
}

}  // namespace mosaic::tool
