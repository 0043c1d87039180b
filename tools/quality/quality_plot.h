#pragma once
// Plots of picture error against SNR, drawn with Qt's painter: one curve per channel and way of
// receiving, told apart by colour and line style.

#include <QColor>
#include <QImage>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mosaic::tool {

struct PlotCurve {
  std::string label;
  QColor colour;
  Qt::PenStyle style = Qt::SolidLine;
  std::vector<std::pair<double, double>> points;  // (SNR [dB], error [byte steps])
};

struct PlotText {
  std::string title;
  std::string yLabel;
  std::optional<double> limit;  // a horizontal line, e.g. the usable limit
  std::string limitLabel;
};

// A 760 x 440 picture: SNR (dB in 3000 Hz) across, error up, a legend on the right.
QImage drawErrorPlot(const PlotText& text, const std::vector<PlotCurve>& curves);

// Distinct colours for up to eight curves, then repeating.
QColor curveColour(int index);

}  // namespace mosaic::tool
