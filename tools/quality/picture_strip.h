#pragma once
// A strip of received pictures: one row per sent picture, one column per SNR, the first column
// what a perfect channel gives, so that a reader sees what each SNR does to a picture.

#include <QImage>

#include <string>
#include <vector>

namespace mosaic::tool {

struct StripColumn {
  std::string caption;       // "30 dB", "perfect"
  std::vector<QImage> rows;  // one picture per row, any size
};

// The pictures at `cellWidth` x `cellHeight`, captions above, on a dark background.
QImage drawPictureStrip(const std::vector<StripColumn>& columns, int cellWidth, int cellHeight);

}  // namespace mosaic::tool
