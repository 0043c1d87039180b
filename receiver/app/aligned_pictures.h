#pragma once
// The receiver window's aligned frames: the aligned view beside the controls, "Save picture",
// "Auto-save" and the "Received pictures" window. The window forwards each buffer and the
// commands; this keeps the rest: the signal-to-noise ratio, frames combined and estimate that
// auto-save goes by, the pictures folder, and the pictures that could not be written yet.
//
// Auto-save keeps what the receiving station keeps: each distinct still picture once, in its best
// state, and a moving picture at most every 10 s (see station/picture_keeper.h). The user may
// choose every locked frame instead, as auto-save did before. A picture combined from several
// frames is judged by the ratio it would have as a single frame.

#include "receiver/app/received_pictures_window.h"
#include "receiver/core/quality/signal_to_noise.h"
#include "receiver/core/receiver_engine.h"
#include "receiver/core/tuning/tuning_estimator.h"
#include "receiver/pictures/saved_pictures.h"
#include "receiver/pictures/waiting_pictures.h"
#include "station/picture_change.h"
#include "station/picture_keeper.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace mosaic {

class AlignedView;

class AlignedPictures : public QObject {
  Q_OBJECT
 public:
  // Asks the user for a folder, starting at `folder`; empty when cancelled.
  using FolderChooser = std::function<QString(QWidget* parent, const QString& folder)>;
  // The view goes into `client`, right of everything else in it; `report` shows a problem the
  // user can act on in the window.
  AlignedPictures(QWidget* client, std::function<void(const QString&)> report);
  ~AlignedPictures() override;

  // After each buffer: its aligned frame, estimate and signal-to-noise ratio.
  void newBuffer(const ReceiverEngine& engine);

  // Shows or hides the view; the window grows to make room for it.
  void setShown(bool shown);
  bool shown() const;
  // Where the view starts: right of every other widget of the client area [pixels].
  int viewLeft() const;
  // Writes the current aligned frame into the folder; false (reported) when there is none or
  // it cannot be written, in which case it waits in memory for a folder that takes it.
  bool saveNow();
  void setAutoSave(bool on);
  bool autoSave() const { return autoSave_; }
  // Every locked frame that reaches the threshold is saved, not each picture once.
  void setAutoSaveEveryFrame(bool on);
  bool autoSaveEveryFrame() const { return everyFrame_; }
  // The signal-to-noise ratio [dB in 3000 Hz] a frame needs to be saved automatically.
  void setAutoSaveSnrDb(int snrDb);
  int autoSaveSnrDb() const { return autoSaveSnrDb_; }
  const SignalToNoise& signalToNoise() const { return snr_; }
  // Frames combined into the newest picture (1 without combining).
  int framesCombined() const { return framesCombined_; }
  void showReceivedPictures();

  // The folder pictures go to, as remembered or set by a test; not checked until a picture is
  // written.
  void setFolder(const QString& folder);
  const QString& folder() const { return folder_; }
  // The folder when the user chose one other than the default.
  std::optional<QString> chosenFolder() const;
  // Asks the user for another folder and takes it when pictures can be written there (the
  // waiting ones go there at once); otherwise says why and keeps the folder it had.
  void chooseFolder();
  void setFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }

  AlignedView* view() const { return view_; }
  ReceivedPicturesWindow* receivedPicturesWindow() const { return gallery_; }
  // The path of the latest picture written, manually or automatically.
  const QString& lastSaved() const { return lastSaved_; }
  // Pictures not written yet, oldest first; and how many were given up for room.
  std::size_t waitingPictures() const { return waiting_.size(); }
  int droppedPictures() const { return waiting_.dropped(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Keeps the current frame to write, then writes every waiting picture in order.
  bool save(const TuningEstimate& estimate);
  // Auto-save by the station's rule, for the buffer just received.
  void keepDistinctPictures(const ReceiverEngine& engine);
  void apply(const station::KeeperDecision& decision);
  void saveHeld();
  // Forgets the pictures seen so far, and the one held.
  void restartKeeping();
  // Writes the waiting pictures; false at the first that cannot be written.
  bool writeWaiting();
  void showProblem(const QString& problem);
  void placeView();

  QWidget* client_;
  std::function<void(const QString&)> report_;
  AlignedView* view_;
  QPointer<ReceivedPicturesWindow> gallery_;
  FolderChooser chooseFolder_;
  QString folder_;
  QString lastSaved_;
  QString problem_;  // what keeps pictures from being written; empty: nothing
  TuningEstimate estimate_;
  SignalToNoise snr_;
  int framesCombined_ = 1;
  WaitingPictures waiting_;
  int autoSaveSnrDb_ = kDefaultAutoSaveSnrDb;
  bool autoSave_ = false;
  bool everyFrame_ = false;
  // The station's rule: the picture held as the best of its kind so far, with its details, and
  // the time of the sound received [s].
  std::optional<station::PictureKeeper> keeper_{std::in_place};
  station::PictureChangeDetector change_;
  QImage held_;
  PictureDetails heldDetails_;
  double seconds_ = 0.0;
  bool reported_ = false;  // the problem was reported once, not for every frame
};

}  // namespace mosaic
