#include "station/web/html_text.h"

#include <QByteArray>

namespace mosaic::web {

std::string escapeHtml(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  std::string out;
  out.reserve(static_cast<std::size_t>(utf8.size()));
  for (const char c : utf8) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

QString displayName(std::string_view bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string urlSegment(std::string_view bytes) {
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()))
      .toPercentEncoding()
      .toStdString();
}

}  // namespace mosaic::web
