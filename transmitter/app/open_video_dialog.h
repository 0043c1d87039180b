#pragma once
// The open-file dialog of "Open": "Open AVI (no sound)", starting in the current directory.

#include <QString>

#include <optional>

class QWidget;

namespace mosaic {

// The file the operator chose; nothing when the dialog was cancelled.
std::optional<QString> chooseVideoFile(QWidget* parent);

}  // namespace mosaic
