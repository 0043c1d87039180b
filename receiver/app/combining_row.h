#pragma once
// The row below the tuning display that switches combining the repeated frames of a still
// picture on and off and sets over how many frames: "Combine frames" with "over up to N frames"
// beside it, and, while on, how many frames the newest picture holds.

#include "receiver/core/combining/combining_settings.h"

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QSpinBox;

namespace mosaic {

// The row's size [pixels]; the window places it.
inline constexpr int kCombiningRowWidth = 390;
inline constexpr int kCombiningRowHeight = 20;

class CombiningRow : public QWidget {
  Q_OBJECT
 public:
  // `changed` hears every change the user makes.
  CombiningRow(QWidget* parent, std::function<void(const CombiningSettings&)> changed);

  // Shows `settings` without telling `changed`.
  void showSettings(const CombiningSettings& settings);
  CombiningSettings settings() const;
  // How many frames the newest picture was formed from.
  void showFramesCombined(int frames);

  QCheckBox* onBox() const { return on_; }
  QSpinBox* framesBox() const { return frames_; }

 private:
  void tell();

  std::function<void(const CombiningSettings&)> changed_;
  QCheckBox* on_;
  QSpinBox* frames_;
  QLabel* state_;
};

}  // namespace mosaic
