#pragma once
// The tuning display below the receiver's controls: the received spectrum from 300 to 3600 Hz
// with marks where the 49 carriers sit for the current tuning (carrier 56 in yellow, the other
// luminance carriers in green, the colour carriers in magenta), a close view of carrier 56
// with the band its brightness moves it through, the estimated offset with how sure it is, and
// the "Auto tune" check box and "Tune now" button. It draws and forwards; the work is done by
// the receiver's tuning estimator.

#include "receiver/core/tuning/tuning_estimator.h"
#include "receiver/core/tuning/tuning_spectrum.h"

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

namespace mosaic {

class SpectrumStrip;

// The panel's size and place in the window's client area [pixels].
inline constexpr int kTuningPanelTop = 398;
inline constexpr int kTuningPanelWidth = 390;
inline constexpr int kTuningPanelHeight = 150;

// What the panel says about an estimate: "Estimate +3.02 Hz, 98 % sure, clock +91 ppm",
// "Searching: roughly +2.8 Hz", or "No estimate yet".
QString estimateText(const TuningEstimate& estimate);

class TuningPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TuningPanel(QWidget* parent = nullptr);

  // The newest spectrum and estimate, with the marks for the tuning `tuningHz` now set.
  void showState(const TuningSpectrum& spectrum, const TuningEstimate& estimate, double tuningHz);
  // Moves the carrier marks to a new tuning.
  void showTuning(double tuningHz);

  QCheckBox* autoTuneBox() const { return autoTune_; }
  QPushButton* tuneNowButton() const { return tuneNow_; }
  QLabel* estimateLabel() const { return estimate_; }
  SpectrumStrip* wideView() const { return wide_; }
  SpectrumStrip* closeView() const { return close_; }

 private:
  QCheckBox* autoTune_;
  QPushButton* tuneNow_;
  QLabel* estimate_;
  SpectrumStrip* wide_;
  SpectrumStrip* close_;
};

}  // namespace mosaic
