#pragma once
// The play/pause button of file mode. Its state is the text ";" (stopped) or "4" (stepping); it
// shows that state as a pause or a play symbol.

#include <QPushButton>
#include <QString>

namespace mosaic {

inline const QString kStoppedText = QStringLiteral(";");
inline const QString kSteppingText = QStringLiteral("4");

class PlayPauseButton : public QPushButton {
  Q_OBJECT
 public:
  explicit PlayPauseButton(QWidget* parent);

  // Sets the state text: ";" shows a pause sign, "4" a play triangle, anything else nothing.
  void setStateText(const QString& text);
  const QString& stateText() const { return stateText_; }

 private:
  QString stateText_;
};

}  // namespace mosaic
