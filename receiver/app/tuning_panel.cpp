#include "receiver/app/tuning_panel.h"

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/spectrum_strip.h"
#include "signal/carrier_plan.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace mosaic {

using namespace rx;

namespace {

const QColor kReferenceColour(255, 220, 0);  // carrier 56
const QColor kLumaColour(0, 200, 0);
const QColor kColourColour(230, 0, 230);
const QColor kLumaBand(0, 70, 0);  // where a luminance carrier moves with brightness
constexpr double kWhiteHz = 9.96;  // a white picture moves a luminance carrier this far up

QString signedHz(double hz, int decimals) {
  if (std::abs(hz) < 0.5 * std::pow(10.0, -decimals)) hz = 0.0;  // no "-0.00"
  return QStringLiteral("%1%2 Hz")
      .arg(hz >= 0.0 ? QStringLiteral("+") : QString())
      .arg(hz, 0, 'f', decimals);
}

}  // namespace

QString estimateText(const TuningEstimate& e) {
  if (!e.valid) return QStringLiteral("No estimate yet");
  if (!e.locked) return QStringLiteral("Searching: roughly %1").arg(signedHz(e.offsetHz, 1));
  return QStringLiteral("Estimate %1, %2 % sure, clock %3%4 ppm")
      .arg(signedHz(e.offsetHz, 2))
      .arg(std::lround(100.0 * e.confidence))
      .arg(e.clockPpm >= 0.0 ? QStringLiteral("+") : QString())
      .arg(std::lround(e.clockPpm));
}

TuningPanel::TuningPanel(QWidget* parent) : QWidget(parent) {
  autoTune_ = withId(new QCheckBox(QStringLiteral("Auto tune"), this), kAutoTuneId);
  placeControl(autoTune_, QRect(0, 0, 80, 20));
  tuneNow_ = withId(new QPushButton(QStringLiteral("Tune now"), this), kTuneNowId);
  placeControl(tuneNow_, QRect(84, 0, 70, 20));
  tuneNow_->setAutoDefault(false);
  estimate_ = withId(new QLabel(estimateText({}), this), kTuningEstimateId);
  TuningEstimate farthest;
  farthest.valid = farthest.locked = true;
  farthest.offsetHz = -19.99;
  farthest.confidence = 1.0;
  farthest.clockPpm = -999.0;
  placeControl(estimate_, QRect(160, 0, kTuningPanelWidth - 160, 20), {estimateText(farthest)});

  wide_ = new SpectrumStrip(300.0, 3600.0, this);
  placeControl(wide_, QRect(0, 24, kTuningPanelWidth, 62));
  close_ = new SpectrumStrip(2060.0, 2160.0, this);
  placeControl(close_, QRect(0, 90, kTuningPanelWidth, 60));
  close_->setCaption(QStringLiteral("carrier 56: 2060 .. 2160 Hz"));
  showTuning(0.0);
}

void TuningPanel::showTuning(double tuningHz) {
  std::vector<SpectrumStrip::Marker> wide;
  for (int k = kFirstVCarrier; k <= kLastLumaCarrier; ++k) {
    const CarrierContent content = carrierContent(k);
    if (content == CarrierContent::None) continue;
    const double hz = carrierFrequencyHz(k) - tuningHz;
    if (k == kFirstLumaCarrier) {
      wide.push_back({hz, kReferenceColour, 2});
    } else {
      wide.push_back({hz, content == CarrierContent::Luminance ? kLumaColour : kColourColour, 1});
    }
  }
  wide_->setMarkers(wide, {});
  // The close view: carrier 56 and 57 with the band from black to white, and the empty place
  // below 56.
  std::vector<SpectrumStrip::Marker> close;
  std::vector<SpectrumStrip::Band> bands;
  for (int k : {kFirstLumaCarrier, kFirstLumaCarrier + 1}) {
    const double hz = carrierFrequencyHz(k) - tuningHz;
    bands.push_back({hz, hz + kWhiteHz, kLumaBand});
    close.push_back({hz, k == kFirstLumaCarrier ? kReferenceColour : kLumaColour, 2});
  }
  close_->setMarkers(close, bands);
}

void TuningPanel::showState(const TuningSpectrum& spectrum, const TuningEstimate& estimate,
                            double tuningHz) {
  wide_->setSpectrum(spectrum.newestDb(), TuningSpectrum::binHz(0), kSpectrumBinHz);
  close_->setSpectrum(spectrum.zoomDb(), TuningSpectrum::zoomBinHz(0), kZoomBinHz);
  estimate_->setText(estimateText(estimate));
  showTuning(tuningHz);
}

}  // namespace mosaic
