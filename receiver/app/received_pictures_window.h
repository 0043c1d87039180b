#pragma once
// "Received pictures": the saved pictures as thumbnails, newest first; the folder they go to,
// which the user may change, and a button that opens it in the desktop's file manager; the
// signal-to-noise ratio from which auto-save keeps a frame, beside the ratio now; whether it
// keeps every frame rather than each picture once; and what keeps pictures from being written,
// while it lasts.

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace mosaic {

class ReceivedPicturesWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ReceivedPicturesWindow(QWidget* parent = nullptr);

  void setFolder(const QString& folder);
  // Reads the folder again (after a picture was saved).
  void refresh();
  // The auto-save threshold shown [dB]; changing it by hand emits `thresholdChanged`.
  void setThreshold(int snrDb);
  // The choice shown; changing it by hand emits `everyFrameChanged`.
  void setEveryFrame(bool on);
  // The latest estimate of the signal-to-noise ratio [dB in 3000 Hz]; with frames combined, also
  // the ratio that auto-save judges the combined picture by.
  void showSignal(double snrDb, int framesCombined = 1);
  // A problem the user can act on; an empty text clears it.
  void showProblem(const QString& text);

  QListWidget* list() const { return list_; }
  QPushButton* openFolderButton() const { return openFolder_; }
  QPushButton* changeFolderButton() const { return changeFolder_; }
  QLabel* folderLabel() const { return folderLabel_; }
  QLabel* problemLabel() const { return problem_; }
  QSpinBox* thresholdBox() const { return threshold_; }
  QCheckBox* everyFrameBox() const { return everyFrame_; }

 signals:
  void changeFolderClicked();
  void thresholdChanged(int snrDb);
  void everyFrameChanged(bool on);

 private:
  QString folder_;
  QListWidget* list_;
  QLabel* folderLabel_;
  QPushButton* changeFolder_;
  QPushButton* openFolder_;
  QSpinBox* threshold_;
  QCheckBox* everyFrame_;
  QLabel* signal_;
  QLabel* problem_;
};

}  // namespace mosaic
