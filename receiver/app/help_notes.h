#pragma once
// The receiver's help notes and About box: message boxes without an owner that stay open
// beside the window while reception goes on.

#include <QMessageBox>
#include <QString>

namespace mosaic {

// The help notes, 47 lines joined by CR LF.
QString helpNotesText();
// The About box's text, its lines joined by CR LF.
QString aboutText();

// Shows a message box with an OK button that does not block the window or reception; it
// deletes itself when closed.
QMessageBox* showNoteBox(QMessageBox::Icon icon, const QString& title, const QString& text);

}  // namespace mosaic
