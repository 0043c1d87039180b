#pragma once
// A sound level as the operator reads it while setting the transceiver's drive or the receive
// level: a slim bar over -60..0 dBFS with the figure written on it, red with a warning when the
// sound reaches full scale.

#include "signal/sound_level.h"

#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace mosaic {

class LevelDisplay : public QWidget {
 public:
  enum class Side { Output, Input };
  // How often a followed level is shown again: a few times a second, easy to read.
  static constexpr int kRefreshMs = 250;

  LevelDisplay(Side side, QWidget* parent);

  // Shows `level`; `clipWarning` marks sound at or next to full scale.
  void showLevel(const SoundLevel& level, bool clipWarning);
  // Shows whatever `level` gives, every kRefreshMs.
  void follow(std::function<SoundLevel()> level);

  const QString& text() const { return text_; }
  bool warning() const { return warning_; }

  // What the display says of `level` (plain words for the operator).
  static QString caption(Side side, const SoundLevel& level, bool clipWarning);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Side side_;
  QString text_;
  double fill_ = 0.0;  // of the bar, 0..1
  bool warning_ = false;
  bool loud_ = false;  // within 6 dB of full scale
  QTimer refresh_;
  std::function<SoundLevel()> followed_;
};

}  // namespace mosaic
