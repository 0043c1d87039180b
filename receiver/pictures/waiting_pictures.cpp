#include "receiver/pictures/waiting_pictures.h"

namespace mosaic {

void WaitingPictures::add(const QImage& picture, const PictureDetails& details) {
  waiting_.push_back({picture, details});
  if (waiting_.size() > kMostWaiting) {
    waiting_.pop_front();
    ++dropped_;
  }
}

bool WaitingPictures::writeInto(const QString& folder, QString& error, const Written& written) {
  while (!waiting_.empty()) {
    const QString path =
        savePicture(waiting_.front().picture, folder, waiting_.front().details, error);
    if (path.isEmpty()) return false;
    const PictureDetails details = waiting_.front().details;
    waiting_.pop_front();
    if (written) written(path, details);
  }
  return true;
}

}  // namespace mosaic
