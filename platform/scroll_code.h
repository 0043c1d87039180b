#pragma once
// The notification codes of a slider or scroll bar, numbered as the programs' scroll handling is
// written for. The receiver's sliders, the transmitter's position bar and their tests share them.

namespace mosaic {

enum class ScrollCode {
  LineUp = 0,
  LineDown = 1,
  PageUp = 2,
  PageDown = 3,
  ThumbPosition = 4,
  ThumbTrack = 5,
  Top = 6,
  Bottom = 7,
  EndTrack = 8,
};

// Whether a notification with this code moves to a new position; thumb position and end of
// tracking only confirm a move already reported.
constexpr bool movesPosition(ScrollCode code) {
  return code != ScrollCode::ThumbPosition && code != ScrollCode::EndTrack;
}

}  // namespace mosaic
