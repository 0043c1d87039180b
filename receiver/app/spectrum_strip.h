#pragma once
// A strip that draws a power spectrum between two frequencies, with shaded bands and marker
// lines where carriers should sit. It only draws what it is given.

#include <QColor>
#include <QString>
#include <QWidget>

#include <span>
#include <vector>

namespace mosaic {

class SpectrumStrip : public QWidget {
  Q_OBJECT
 public:
  struct Marker {
    double hz;
    QColor colour;
    int width = 1;
  };
  struct Band {
    double lowHz;
    double highHz;
    QColor colour;
  };

  SpectrumStrip(double lowHz, double highHz, QWidget* parent = nullptr);

  // Power [dB] at firstHz, firstHz + stepHz, ...
  void setSpectrum(std::span<const float> db, double firstHz, double stepHz);
  void setMarkers(std::vector<Marker> markers, std::vector<Band> bands);
  void setCaption(const QString& caption);

  double lowHz() const { return lowHz_; }
  double highHz() const { return highHz_; }
  const std::vector<Marker>& markers() const { return markers_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double xOf(double hz) const;

  double lowHz_;
  double highHz_;
  std::vector<float> db_;
  double firstHz_ = 0.0;
  double stepHz_ = 1.0;
  std::vector<Marker> markers_;
  std::vector<Band> bands_;
  QString caption_;
};

}  // namespace mosaic
