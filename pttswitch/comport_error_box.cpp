#include "pttswitch/comport_error_box.h"

#include <cstdio>

namespace mosaic {

std::unique_ptr<QMessageBox> makeComportErrorBox(const std::string& reason) {
  QString text = QString::fromLatin1(kComportErrorText);
  if (!reason.empty()) text += QStringLiteral("\n\n") + QString::fromStdString(reason);
  return std::make_unique<QMessageBox>(
      QMessageBox::Critical, QString::fromLatin1(kComportErrorCaption), text, QMessageBox::Ok);
}

void showComportError(const std::string& reason) {
  std::fprintf(stderr, "pttswitch: %s: %s\n", kComportErrorText, reason.c_str());
  makeComportErrorBox(reason)->exec();
}

}  // namespace mosaic
