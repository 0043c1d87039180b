#pragma once
// The receiver window's aligned frames: the aligned view beside the controls, "Save picture",
// "Auto-save" and the "Received pictures" window. The window forwards each buffer and the
// commands; this keeps the rest.

#include "receiver/app/received_pictures_window.h"
#include "receiver/core/demodulation/demod_settings.h"
#include "receiver/core/receive_chain.h"
#include "receiver/core/tuning/tuning_estimator.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class QWidget;

namespace mosaic {

class AlignedView;

class AlignedPictures : public QObject {
  Q_OBJECT
 public:
  // The view goes into `client`, right of everything else in it; `report` shows a problem the
  // user can act on in the window.
  AlignedPictures(QWidget* client, std::function<void(const QString&)> report);
  ~AlignedPictures() override;

  // After each buffer, once the tuning estimator has heard it.
  void newBuffer(const ReceiveChain& chain, const TuningEstimate& estimate,
                 const DemodSettings& demod);

  // Shows or hides the view; the window grows to make room for it.
  void setShown(bool shown);
  bool shown() const;
  // Where the view starts: right of every other widget of the client area [pixels].
  int viewLeft() const;
  // Writes the current aligned frame into the folder; false (reported) when there is none or
  // it cannot be written.
  bool saveNow();
  void setAutoSave(bool on) { autoSave_ = on; }
  bool autoSave() const { return autoSave_; }
  void showReceivedPictures();

  void setFolder(const QString& folder);
  const QString& folder() const { return folder_; }
  AlignedView* view() const { return view_; }
  ReceivedPicturesWindow* receivedPicturesWindow() const { return gallery_; }
  // The path of the latest picture written, manually or automatically.
  const QString& lastSaved() const { return lastSaved_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool save(const TuningEstimate& estimate);
  void placeView();

  QWidget* client_;
  std::function<void(const QString&)> report_;
  AlignedView* view_;
  QPointer<ReceivedPicturesWindow> gallery_;
  QString folder_;
  QString lastSaved_;
  TuningEstimate estimate_;
  bool autoSave_ = false;
  bool autoSaveFailed_ = false;  // reported once, not for every frame
};

}  // namespace mosaic
