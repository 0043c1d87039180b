#pragma once
// The one error message of the push-to-talk switch: the port could not be opened.

#include <QMessageBox>
#include <memory>
#include <string>

namespace mosaic {

inline constexpr char kComportErrorCaption[] = "Comport";
inline constexpr char kComportErrorText[] =
    "Comport not yet selected or already open by another application";

// The message box (error icon, OK only, no owner), built but not shown: the sentence above, then
// the reason on a paragraph of its own.
std::unique_ptr<QMessageBox> makeComportErrorBox(const std::string& reason);

// Writes the message to standard error, shows the message box and returns when the operator has
// pressed OK.
void showComportError(const std::string& reason);

}  // namespace mosaic
