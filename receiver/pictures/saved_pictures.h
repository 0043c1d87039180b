#pragma once
// Received pictures kept on disk: the aligned frame as PNG, named by the UTC time it was
// received, with the receiver's estimates in the file's text chunks. Mosaicview and the monitor
// write them alike.

#include "receiver/core/tuning/tuning_estimator.h"

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace mosaic {

// Pixels per sent column and luminance row of a saved picture (141 x 108).
inline constexpr int kSavedPictureScale = 3;

// The estimates written with a picture.
struct PictureDetails {
  QDateTime receivedUtc;
  TuningEstimate tuning;
  double snrDb = 0.0;      // [dB in 3000 Hz] over the two buffers that hold the frame
  int framesCombined = 1;  // received frames that went into the picture
  // Where the radio was tuned, when it could be asked.
  std::optional<double> dialFrequencyHz;
  QString dialMode;
};

// Where pictures go unless the user chose otherwise: "Mosaic TV" in the user's Pictures folder.
QString defaultPictureFolder();

// "mosaic-2026-12-07-121530Z.png" for a picture received at 12:15:30 UTC that day.
QString pictureFileName(const QDateTime& utc);

// The text chunks of a saved picture: "Received" (ISO 8601 UTC), "Tuning" (Hz, the tuning
// that centres the carriers), "Clock" (ppm, the sending clock's error), "SNR" (dB in 3000 Hz),
// "Tuning confidence", "Frame boundary fit", "Frames combined" and "Software"; with a reading
// of the radio, "Dial frequency" (MHz, to the hertz) and "Mode" (Hamlib's name, such as "USB").
void addPictureDetails(QImage& image, const PictureDetails& details);

// Writes `picture` with its details into `folder` (made when missing) under its UTC name, never
// over another picture: a second picture in the same second gets "-2" and so on. The file
// appears whole or not at all. Returns the path, or an empty string with `error` set.
QString savePicture(const QImage& picture, const QString& folder, const PictureDetails& details,
                    QString& error);

// The saved pictures in `folder`, newest first (by name, which is by time).
QStringList savedPictures(const QString& folder);

// Whether the folder can take pictures: it exists or can be made, and a file can be written in
// it. Empty when it can; otherwise what is wrong, for the user.
QString pictureFolderProblem(const QString& folder);

// Auto-save keeps a frame when the receiver is locked on a signal (so the frame boundary is
// known) and the signal-to-noise ratio reaches the threshold: at 15 dB in 3000 Hz the faces
// and writing of a picture come through clearly.
inline constexpr int kDefaultAutoSaveSnrDb = 15;
inline constexpr int kLowestAutoSaveSnrDb = 0;
inline constexpr int kHighestAutoSaveSnrDb = 40;
bool worthAutoSaving(const TuningEstimate& estimate, double snrDb, double thresholdDb);
// A picture combined from several frames is judged by the ratio it would have as a single
// frame: the frames' signal adds in amplitude and their noise in power, so that each doubling
// of the frames gains 3 dB.
double combinedSnrDb(double snrDb, int framesCombined);

}  // namespace mosaic
