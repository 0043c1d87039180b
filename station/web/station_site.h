#pragma once
// What the station's web page serves, path by path: its own page, style and script, the newest
// aligned picture, the status, and the saved pictures with their details. Nothing else can be
// reached. The station publishes from its own thread; the server asks from its thread, and
// neither waits for more than the other's copy of a few fields.

#include "station/web/picture_folder.h"
#include "station/web/site_pages.h"
#include "station/web/station_status.h"
#include "station/web/web_reply.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <mutex>
#include <string>

namespace mosaic::web {

class StationSite {
 public:
  StationSite(const QString& picturesFolder, int galleryPageSize);

  // Any thread.
  void publishPicture(const QImage& picture);
  void publishStatus(const StationStatus& status);

  // The server's thread: the answer to a GET or HEAD of `path` (percent-decoded, without the
  // query); `pageArgument` is the query's "page", or empty.
  WebReply reply(const std::string& path, const std::string& pageArgument);

 private:
  WebReply indexPage(int page);
  WebReply galleryFragment(int page);
  WebReply status();
  WebReply livePicture();
  WebReply pictureFile(const std::string& name);
  WebReply pictureView(const std::string& name);

  std::mutex mutex_;  // guards the three published fields
  QImage picture_;
  LivePicture live_;
  StationStatus status_;

  // The server's thread only.
  PictureFolder folder_;
  int pageSize_;
  std::uint64_t encodedNumber_ = 0;  // the live picture that `encodedPng_` holds
  std::string encodedPng_;
  std::string indexTemplate_;
  std::string viewTemplate_;
  std::string style_;
  std::string script_;
};

}  // namespace mosaic::web
