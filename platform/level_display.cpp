#include "platform/level_display.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace mosaic {

namespace {

constexpr double kBottomDbfs = -60.0;  // an empty bar
constexpr double kLoudDbfs = -6.0;     // the bar turns amber from here

// One decimal, and no "-0.0" for a level a hair below full scale.
QString decibels(float dbfs) {
  const double rounded = std::round(static_cast<double>(dbfs) * 10.0) / 10.0;
  return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 1);
}

}  // namespace

LevelDisplay::LevelDisplay(Side side, QWidget* parent) : QWidget(parent), side_(side) {
  setObjectName(side == Side::Output ? QStringLiteral("outputLevel")
                                     : QStringLiteral("inputLevel"));
  connect(&refresh_, &QTimer::timeout, this, [this] {
    if (followed_) showLevel(followed_(), false);
  });
  showLevel(SoundLevel{}, false);
}

QString LevelDisplay::caption(Side side, const SoundLevel& level, bool clipWarning) {
  const bool output = side == Side::Output;
  if (!level.measured()) return output ? QStringLiteral("No output") : QStringLiteral("No input");
  if (clipWarning && !output)
    return QStringLiteral("Input clipping! Peak %1 dBFS").arg(decibels(level.peakDbfs));
  if (level.peakDbfs == kSilentDbfs)
    return output ? QStringLiteral("Output silent") : QStringLiteral("Input silent");
  if (output) return QStringLiteral("Output peak %1 dBFS").arg(decibels(level.peakDbfs));
  return QStringLiteral("Input peak %1 dBFS, RMS %2")
      .arg(decibels(level.peakDbfs), decibels(level.rmsDbfs));
}

void LevelDisplay::showLevel(const SoundLevel& level, bool clipWarning) {
  const QString text = caption(side_, level, clipWarning);
  // The transmitter's own peaks come near full scale by design; only an input is warned of.
  const bool loud = side_ == Side::Input && level.peakDbfs >= kLoudDbfs;
  const double fill = level.peakDbfs == kSilentDbfs
                          ? 0.0
                          : std::clamp((level.peakDbfs - kBottomDbfs) / -kBottomDbfs, 0.0, 1.0);
  const QString tip = level.measured() && level.peakDbfs != kSilentDbfs
                          ? QStringLiteral("Peak %1 dBFS, RMS %2 dBFS")
                                .arg(decibels(level.peakDbfs), decibels(level.rmsDbfs))
                          : text;
  // A followed level mostly stays for a whole frame: no repaint while nothing changes.
  if (text == text_ && tip == toolTip() && fill == fill_ && loud == loud_ &&
      clipWarning == warning_)
    return;
  text_ = text;
  warning_ = clipWarning;
  loud_ = loud;
  fill_ = fill;
  setToolTip(tip);
  update();
}

void LevelDisplay::follow(std::function<SoundLevel()> level) {
  followed_ = std::move(level);
  refresh_.start(kRefreshMs);
}

void LevelDisplay::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect frame = rect().adjusted(0, 0, -1, -1);
  p.fillRect(rect(), QColor(0xf4, 0xf4, 0xf4));
  const QColor barColour = warning_ ? QColor(0xe0, 0x30, 0x30)
                           : loud_  ? QColor(0xf0, 0xb0, 0x30)
                                    : QColor(0x70, 0xc8, 0x70);
  p.fillRect(QRect(1, 1, static_cast<int>(fill_ * (width() - 2)), height() - 2), barColour);
  p.setPen(QColor(0x80, 0x80, 0x80));
  p.drawRect(frame);
  p.setPen(warning_ ? Qt::white : Qt::black);
  if (warning_) {
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
  }
  // Where a wide font leaves too little room the end goes first: the peak comes before it.
  const QRect textRect = rect().adjusted(3, 0, -2, 0);
  p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
             p.fontMetrics().elidedText(text_, Qt::ElideRight, textRect.width()));
}

}  // namespace mosaic
