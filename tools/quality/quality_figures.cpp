#include "tools/quality/quality_figures.h"

#include "tools/quality/picture_strip.h"
#include "tools/quality/quality_plot.h"
#include "tools/quality/usable_limit.h"

#include <QString>

#include <filesystem>

namespace mosaic::tool {

namespace {

// Strip cells: small enough to keep the page light, large enough to show what a viewer sees.
constexpr int kCellWidth = 120, kCellHeight = 80;

bool save(const QImage& image, const std::string& dir, const std::string& name,
          std::string& error) {
  const std::string path = (std::filesystem::path(dir) / name).string();
  // A palette of 256 colours keeps the files small; the pictures hold few colours anyway.
  const QImage small = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
  if (small.save(QString::fromStdString(path), "PNG", 9)) return true;
  error = "cannot write " + path;
  return false;
}

std::string snrCaption(double snrDb) {
  return QString::number(snrDb, 'f', 0).toStdString() + " dB";
}

QImage plotOf(const SweepResult& result, const std::string& figure, const std::string& group) {
  const bool luma = figure == "luma";
  std::vector<PlotCurve> curves;
  int colour = 0;
  for (std::size_t c : channelsOfGroup(result.plan, group)) {
    for (bool tuned : {false, true}) {
      if (tuned && !result.plan.autoTune) continue;
      PlotCurve curve;
      curve.label = result.plan.channels[c].legend + (tuned ? ", auto-tuned" : "");
      curve.colour = curveColour(colour);
      curve.style = tuned ? Qt::DashLine : Qt::SolidLine;
      for (const PointResult& p : result.points[c]) {
        const Figure& f =
            luma ? (tuned ? p.tunedLuma : p.luma) : (tuned ? p.tunedColour : p.colour);
        curve.points.emplace_back(p.snrDb, f.mean);
      }
      curves.push_back(std::move(curve));
    }
    ++colour;
  }
  PlotText text;
  text.title = std::string(luma ? "Luminance" : "Colour") + " error against a perfect channel" +
               (group == "fading" ? ": noise and fading" : ": mistuning and clock error");
  text.yLabel = luma ? "mean luminance error [byte steps]" : "mean colour error [byte steps]";
  if (luma) {
    text.limit = kUsableLumaError;
    text.limitLabel = "usable limit";
  }
  return drawErrorPlot(text, curves);
}

// The luminance error of the channels decoded combining: one frame solid, then dashed and dotted
// for the numbers of frames combined.
QImage combinedPlotOf(const SweepResult& result) {
  constexpr Qt::PenStyle kStyles[] = {Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
  std::vector<PlotCurve> curves;
  int colour = 0;
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c) {
    const auto& points = result.points[c];
    if (points.empty() || points.front().combinedLuma.empty()) continue;
    PlotCurve single{
        result.plan.channels[c].legend + ", one frame", curveColour(colour), Qt::SolidLine, {}};
    for (const PointResult& p : points) single.points.emplace_back(p.snrDb, p.luma.mean);
    curves.push_back(std::move(single));
    for (std::size_t n = 0; n < result.plan.combinedFrames.size(); ++n) {
      PlotCurve curve{result.plan.channels[c].legend + ", " +
                          std::to_string(result.plan.combinedFrames[n]) + " frames",
                      curveColour(colour),
                      kStyles[n % std::size(kStyles)],
                      {}};
      for (const PointResult& p : points)
        curve.points.emplace_back(p.snrDb, p.combinedLuma[n].mean);
      curves.push_back(std::move(curve));
    }
    ++colour;
  }
  PlotText text;
  text.title = "Luminance error of a still picture, combining its repeated frames";
  text.yLabel = "mean luminance error [byte steps]";
  text.limit = kUsableLumaError;
  text.limitLabel = "usable limit";
  return drawErrorPlot(text, curves);
}

std::vector<StripColumn> stripColumns(const SweepResult& result, std::size_t channel,
                                      bool combined) {
  std::vector<StripColumn> columns{{"perfect", result.perfectPictures}};
  for (const PointResult& p : result.points[channel]) {
    const auto& pictures = combined ? p.combinedPictures : p.pictures;
    if (!pictures.empty()) columns.push_back({snrCaption(p.snrDb), pictures});
  }
  return columns;
}

}  // namespace

bool decodedCombining(const SweepResult& result, std::size_t channel) {
  const auto& points = result.points[channel];
  return !points.empty() && !points.front().combinedLuma.empty();
}

std::string plotFileName(const std::string& figure, const std::string& group) {
  return "quality-" + figure + "-" + group + ".png";
}

std::string stripFileName(const SweepChannel& channel, bool combined) {
  return "quality-strip-" + channel.id + (combined ? "-combined" : "") + ".png";
}

std::vector<std::size_t> channelsOfGroup(const SweepPlan& plan, const std::string& group) {
  std::vector<std::size_t> out;
  for (std::size_t c = 0; c < plan.channels.size(); ++c) {
    const ChannelSettings& s = plan.channels[c].settings;
    const bool plain = s.offsetHz == 0.0 && s.clockPpm == 0.0;
    const bool white = plain && s.fading == Fading::None;
    if (group == "fading" ? plain : (white || !plain)) out.push_back(c);
  }
  return out;
}

bool writeQualityFigures(const SweepResult& result, const std::string& dir, std::string& error) {
  for (const char* figure : {"luma", "colour"})
    for (const char* group : kPlotGroups)
      if (!channelsOfGroup(result.plan, group).empty() &&
          !save(plotOf(result, figure, group), dir, plotFileName(figure, group), error))
        return false;

  bool anyCombined = false;
  for (std::size_t c = 0; c < result.plan.channels.size(); ++c)
    for (bool combined : {false, true}) {
      if (combined && !decodedCombining(result, c)) continue;
      anyCombined = anyCombined || combined;
      if (!save(drawPictureStrip(stripColumns(result, c, combined), kCellWidth, kCellHeight), dir,
                stripFileName(result.plan.channels[c], combined), error))
        return false;
    }
  if (anyCombined && !save(combinedPlotOf(result), dir, kCombinedPlotFile, error)) return false;

  StripColumn sent{"sent", {}}, perfect{"received, perfect channel", result.perfectPictures};
  // The part of the video area that the transmitter sends.
  for (const SweepPicture& p : result.pictures) sent.rows.push_back(p.picture.copy(32, 22, 96, 72));
  return save(drawPictureStrip({sent, perfect}, 2 * kCellWidth, 2 * kCellHeight), dir,
              kSentPicturesFile, error);
}

}  // namespace mosaic::tool
