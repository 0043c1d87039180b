#include "pttswitch/comport_error_box.h"

namespace mosaic {

std::unique_ptr<QMessageBox> makeComportErrorBox() {
  return std::make_unique<QMessageBox>(QMessageBox::Critical,
                                       QString::fromLatin1(kComportErrorCaption),
                                       QString::fromLatin1(kComportErrorText), QMessageBox::Ok);
}

void showComportError() { makeComportErrorBox()->exec(); }

}  // namespace mosaic
