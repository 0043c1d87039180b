#include "station/web/station_site.h"

#include "station/web/html_text.h"

#include <QBuffer>
#include <QFile>
#include <QImageWriter>

#include <algorithm>
#include <cctype>

namespace mosaic::web {

namespace {

std::string resource(const char* name) {
  QFile file(QStringLiteral(":/station/web/") + QLatin1String(name));
  file.open(QIODevice::ReadOnly);
  return file.readAll().toStdString();
}

WebReply text(int status, std::string body, std::string type,
              WebReply::Caching caching = WebReply::Caching::None) {
  WebReply reply;
  reply.status = status;
  reply.body = std::move(body);
  reply.contentType = std::move(type);
  reply.caching = caching;
  return reply;
}

WebReply notFound() {
  return text(404, "<!doctype html><title>Not found</title><p>There is nothing here.</p>",
              "text/html; charset=utf-8");
}

int pageNumber(const std::string& argument) {
  if (argument.empty() || argument.size() > 6 ||
      !std::all_of(argument.begin(), argument.end(),
                   [](unsigned char c) { return std::isdigit(c); }))
    return 1;
  return std::max(1, std::stoi(argument));
}

}  // namespace

StationSite::StationSite(const QString& picturesFolder, int galleryPageSize)
    : folder_(picturesFolder.toStdString()),
      pageSize_(std::max(1, galleryPageSize)),
      indexTemplate_(resource("index.html")),
      viewTemplate_(resource("view.html")),
      style_(resource("station.css")),
      script_(resource("station.js")) {}

void StationSite::publishPicture(const QImage& picture) {
  const QDateTime now = QDateTime::currentDateTimeUtc();
  std::lock_guard lock(mutex_);
  picture_ = picture;  // shares the pixels; the encoding to PNG waits for the first request
  ++live_.number;
  live_.publishedUtc = now;
}

void StationSite::publishStatus(const StationStatus& status) {
  StationStatus copy = status;
  if (!copy.takenUtc.isValid()) copy.takenUtc = QDateTime::currentDateTimeUtc();
  std::lock_guard lock(mutex_);
  status_ = std::move(copy);
}

WebReply StationSite::reply(const std::string& path, const std::string& pageArgument) {
  const int page = pageNumber(pageArgument);
  if (path == "/") return indexPage(page);
  if (path == "/status.json") return status();
  if (path == "/live.png") return livePicture();
  if (path == "/gallery") return galleryFragment(page);
  if (path == "/station.css")
    return text(200, style_, "text/css; charset=utf-8", WebReply::Caching::Static);
  if (path == "/station.js")
    return text(200, script_, "text/javascript; charset=utf-8", WebReply::Caching::Static);
  if (path.starts_with("/pictures/")) return pictureFile(path.substr(10));
  if (path.starts_with("/view/")) return pictureView(path.substr(6));
  return notFound();
}

WebReply StationSite::indexPage(int page) {
  std::string gallery = galleryHtml(folder_, page, pageSize_);
  const std::string stamp = galleryStamp(folder_.names());
  return text(200,
              fillTemplate(indexTemplate_, {{"page", std::to_string(page)},
                                            {"stamp", escapeHtml(QString::fromStdString(stamp))},
                                            {"gallery", std::move(gallery)}}),
              "text/html; charset=utf-8");
}

WebReply StationSite::galleryFragment(int page) {
  return text(200, galleryHtml(folder_, page, pageSize_), "text/html; charset=utf-8");
}

WebReply StationSite::status() {
  StationStatus status;
  LivePicture live;
  {
    std::lock_guard lock(mutex_);
    status = status_;
    live = live_;
  }
  return text(
      200, statusJson(status, live, galleryStamp(folder_.names()), QDateTime::currentDateTimeUtc()),
      "application/json");
}

WebReply StationSite::livePicture() {
  QImage picture;
  std::uint64_t number = 0;
  {
    std::lock_guard lock(mutex_);
    picture = picture_;
    number = live_.number;
  }
  if (picture.isNull()) return notFound();
  if (number != encodedNumber_) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    writer.setCompression(1);  // zlib's fastest level: about a quarter of the default's time
    if (!writer.write(picture)) return text(500, "", "text/plain");
    encodedPng_ = buffer.data().toStdString();
    encodedNumber_ = number;
  }
  return text(200, encodedPng_, "image/png");
}

WebReply StationSite::pictureFile(const std::string& name) {
  WebReply reply;
  reply.file = folder_.open(name, reply.fileSize);
  if (reply.file < 0) return notFound();
  reply.contentType = "image/png";
  reply.caching = WebReply::Caching::Static;
  return reply;
}

WebReply StationSite::pictureView(const std::string& name) {
  if (!folder_.contains(name)) return notFound();
  const PictureFolder::Details details = folder_.details(name);
  return text(200,
              fillTemplate(viewTemplate_, {{"title", pictureTitle(details, name)},
                                           {"picture", "/pictures/" + urlSegment(name)},
                                           {"name", escapeHtml(displayName(name))},
                                           {"details", detailsTableHtml(details)}}),
              "text/html; charset=utf-8");
}

}  // namespace mosaic::web
