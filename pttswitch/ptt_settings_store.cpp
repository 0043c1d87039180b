#include "pttswitch/ptt_settings_store.h"

#include "platform/remembered_values.h"
#include "pttswitch/ptt_window.h"

#include <QLineEdit>

namespace mosaic {

namespace {
const QString kPortKey = QStringLiteral("port");
constexpr int kLongestPort = 256;

QLineEdit* portBox(const PttWindow& window) {
  return qobject_cast<QLineEdit*>(window.control(kPortTextId));
}
}  // namespace

std::optional<QString> readRememberedPort(const QSettings& settings) {
  const auto port = readText(settings, kPortKey, kLongestPort);
  if (!port || port->trimmed().isEmpty()) return std::nullopt;
  return port;
}

void writeRememberedPort(QSettings& settings, const QString& port) {
  settings.setValue(kPortKey, port);
}

void showRememberedPort(PttWindow& window) {
  const auto port = readRememberedPort(QSettings());
  if (QLineEdit* box = portBox(window); box && port) box->setText(*port);
}

void rememberPort(const PttWindow& window) {
  if (const QLineEdit* box = portBox(window)) {
    QSettings settings;
    writeRememberedPort(settings, box->text());
    finishWriting(settings);
  }
}

}  // namespace mosaic
