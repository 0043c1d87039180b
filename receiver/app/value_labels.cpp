#include "receiver/app/value_labels.h"

#include <cmath>
#include <cstdlib>

namespace mosaic {

QString balanceText(const DemodSettings& demod) { return QString::number(demod.balance); }

QString saturationText(const DisplaySettings& display) {
  const long long half = std::llrint(display.saturation / 2.0);  // ties to even
  return QString::number(half) + QStringLiteral("%");
}

QString tuningText(const DemodSettings& demod) {
  // In hundredths first: the stored offsets are within a rounding error of 0.02 Hz steps.
  const auto hundredths = static_cast<long long>(
      static_cast<double>((tuningOffsetHz(demod) * Extended(100)).nearestInteger()));
  const long long tenths = (hundredths + (hundredths < 0 ? -5 : 5)) / 10;
  const long long magnitude = std::llabs(tenths);
  return QStringLiteral("%1%2.%3 Hz")
      .arg(tenths < 0 ? QStringLiteral("-") : QString())
      .arg(magnitude / 10)
      .arg(magnitude % 10);
}

}  // namespace mosaic
