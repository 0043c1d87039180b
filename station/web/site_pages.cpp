#include "station/web/site_pages.h"

#include "station/web/html_text.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace mosaic::web {

namespace {

QString isoTime(const QDateTime& utc) {
  return utc.isValid() ? utc.toUTC().toString(Qt::ISODate) : QString();
}

QJsonValue number(const std::optional<double>& value) {
  return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QString lockName(LockState lock) {
  switch (lock) {
    case LockState::Locked:
      return QStringLiteral("locked");
    case LockState::Found:
      return QStringLiteral("found");
    case LockState::NoSignal:
      break;
  }
  return QStringLiteral("none");
}

QString detail(const PictureFolder::Details& details, const QString& key) {
  for (const auto& [k, value] : details)
    if (k == key) return value;
  return {};
}

// "2026-12-07 12:15:30 UTC" for the ISO time a picture was received at, or the text as it is.
QString readableTime(const QString& iso) {
  const QDateTime time = QDateTime::fromString(iso, Qt::ISODate);
  if (!time.isValid()) return iso;
  return time.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss 'UTC'"));
}

std::string pageLink(int page, const char* text) {
  return "<a href=\"/?page=" + std::to_string(page) + "\">" + text + "</a>";
}

}  // namespace

std::string statusJson(const StationStatus& status, const LivePicture& live,
                       const std::string& gallery, const QDateTime& nowUtc) {
  QJsonObject json;
  json[QStringLiteral("now")] = isoTime(nowUtc);
  json[QStringLiteral("taken")] = isoTime(status.takenUtc);
  json[QStringLiteral("lock")] = lockName(status.lock);
  json[QStringLiteral("tuningHz")] = number(status.tuningHz);
  json[QStringLiteral("clockPpm")] = number(status.clockPpm);
  json[QStringLiteral("snrDb")] = number(status.snrDb);
  json[QStringLiteral("rig")] = status.rig;
  json[QStringLiteral("folderTrouble")] = status.folderTrouble;
  json[QStringLiteral("picture")] = static_cast<double>(live.number);
  json[QStringLiteral("pictureTime")] = isoTime(live.publishedUtc);
  json[QStringLiteral("gallery")] = QString::fromStdString(gallery);
  return QJsonDocument(json).toJson(QJsonDocument::Compact).toStdString();
}

std::string galleryStamp(const std::vector<std::string>& names) {
  return std::to_string(names.size()) + (names.empty() ? "" : " " + names.front());
}

std::string galleryHtml(PictureFolder& folder, int page, int pageSize) {
  const std::vector<std::string>& names = folder.names();
  if (names.empty()) return "<p class=\"none\">No pictures saved yet.</p>";
  const int pages = static_cast<int>((names.size() + pageSize - 1) / pageSize);
  page = std::clamp(page, 1, pages);
  const std::size_t first = static_cast<std::size_t>(page - 1) * pageSize;
  const std::size_t end = std::min(names.size(), first + static_cast<std::size_t>(pageSize));
  std::string html = "<ul class=\"pictures\">";
  for (std::size_t i = first; i < end; ++i) {
    const std::string& name = names[i];
    const PictureFolder::Details details = folder.details(name);
    const QString received = detail(details, QStringLiteral("Received"));
    const QString snr = detail(details, QStringLiteral("SNR"));
    const std::string link = urlSegment(name);
    html += "<li><a href=\"/view/" + link + "\"><img src=\"/pictures/" + link +
            "\" alt=\"\" loading=\"lazy\"><span class=\"when\">" +
            escapeHtml(received.isEmpty() ? displayName(name) : readableTime(received)) + "</span>";
    if (!snr.isEmpty())
      html += "<span class=\"snr\">" + escapeHtml(snr.section(QStringLiteral(" in "), 0, 0)) +
              "</span>";
    html += "</a></li>";
  }
  html += "</ul><nav class=\"pages\">";
  if (page > 1) html += pageLink(page - 1, "&larr; Newer");
  html += "<span>" + std::to_string(names.size()) + (names.size() == 1 ? " picture" : " pictures") +
          ", page " + std::to_string(page) + " of " + std::to_string(pages) + "</span>";
  if (page < pages) html += pageLink(page + 1, "Older &rarr;");
  return html + "</nav>";
}

std::string fillTemplate(const std::string& templateHtml,
                         const std::vector<std::pair<std::string, std::string>>& values) {
  // One pass over the template, so that a value holding "{{...}}" stays as it is.
  std::string out;
  std::size_t from = 0;
  for (auto open = templateHtml.find("{{"); open != std::string::npos;
       open = templateHtml.find("{{", from)) {
    const auto close = templateHtml.find("}}", open);
    if (close == std::string::npos) break;
    const std::string key = templateHtml.substr(open + 2, close - open - 2);
    const auto value = std::find_if(values.begin(), values.end(),
                                    [&](const auto& entry) { return entry.first == key; });
    out.append(templateHtml, from, open - from);
    out += value != values.end() ? value->second : templateHtml.substr(open, close + 2 - open);
    from = close + 2;
  }
  return out.append(templateHtml, from);
}

std::string pictureTitle(const PictureFolder::Details& details, const std::string& name) {
  const QString received = detail(details, QStringLiteral("Received"));
  return escapeHtml(received.isEmpty() ? displayName(name)
                                       : QStringLiteral("Received ") + readableTime(received));
}

std::string detailsTableHtml(const PictureFolder::Details& details) {
  std::string html = "<table class=\"details\">";
  for (const auto& [key, value] : details)
    html += "<tr><th>" + escapeHtml(key) + "</th><td>" + escapeHtml(value) + "</td></tr>";
  return html + "</table>";
}

}  // namespace mosaic::web
