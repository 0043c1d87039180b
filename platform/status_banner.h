#pragma once
// A line across the bottom of a window's client area that tells the operator what is wrong with
// the sound device; hidden while there is nothing to say.

#include <QLabel>

namespace mosaic {

class StatusBanner : public QLabel {
 public:
  explicit StatusBanner(QWidget* parent);
  // Shows `text` along the parent's bottom edge; empty text hides the banner.
  void say(const QString& text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void place();
};

}  // namespace mosaic
