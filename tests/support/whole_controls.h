#pragma once
// Whether a window's client area shows every control whole: each one inside the area, its
// caption within the room its style draws it in, and what it shows covered by no other control.
// Controls are the widgets without widgets inside them (buttons, check boxes, labels, sliders,
// pictures) but those in `except`; each problem found comes back as a line that names the
// control.

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <string>
#include <vector>

namespace mosaic::test {

namespace whole_controls_detail {

inline QString captionOf(const QWidget* control) {
  if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  return {};
}

// Where the style draws a button's or check box's caption, in the control's own coordinates.
inline QRect captionRoom(const QWidget* control) {
  QStyleOptionButton option;
  option.initFrom(control);
  option.text = captionOf(control);
  const bool checkBox = qobject_cast<const QCheckBox*>(control) != nullptr;
  return control->style()->subElementRect(
      checkBox ? QStyle::SE_CheckBoxContents : QStyle::SE_PushButtonContents, &option, control);
}

// What the control shows, in its own coordinates: a label's text, a check box's mark and
// caption, all of any other control.
inline QRect shownPart(const QWidget* control, const QSize& text) {
  if (const auto* label = qobject_cast<const QLabel*>(control); label && !label->wordWrap())
    return QStyle::alignedRect(Qt::LeftToRight, label->alignment(), text, label->contentsRect());
  if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect mark = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    return mark | QStyle::alignedRect(Qt::LeftToRight, Qt::AlignLeft | Qt::AlignVCenter, text,
                                      captionRoom(box));
  }
  return control->rect();
}

inline std::string describe(const QWidget* control, const QRect& at) {
  return std::string(control->metaObject()->className()) + " \"" +
         captionOf(control).toStdString() + "\" (" + control->objectName().toStdString() + ") at " +
         std::to_string(at.x()) + "," + std::to_string(at.y()) + " " + std::to_string(at.width()) +
         "x" + std::to_string(at.height());
}

}  // namespace whole_controls_detail

inline std::vector<std::string> controlsNotWhole(const QWidget& client,
                                                 const std::vector<const QWidget*>& except = {}) {
  using namespace whole_controls_detail;
  struct Shown {
    const QWidget* control;
    QRect part;  // in the client's coordinates
  };
  std::vector<Shown> shown;
  std::vector<std::string> problems;
  for (const QWidget* control : client.findChildren<QWidget*>()) {
    if (!control->isVisibleTo(&client) || !control->findChildren<QWidget*>().isEmpty() ||
        std::find(except.begin(), except.end(), control) != except.end())
      continue;
    const QPoint origin = control->mapTo(&client, QPoint(0, 0));
    const QString caption = captionOf(control);
    const QSize text = control->fontMetrics().size(Qt::TextShowMnemonic, caption);
    const auto* label = qobject_cast<const QLabel*>(control);
    if (!caption.isEmpty() && !(label && label->wordWrap())) {
      const QRect room = label ? label->contentsRect() : captionRoom(control);
      if (text.width() > room.width() || text.height() > room.height())
        problems.push_back(describe(control, control->geometry()) + ": its caption needs " +
                           std::to_string(text.width()) + "x" + std::to_string(text.height()) +
                           " and has " + std::to_string(room.width()) + "x" +
                           std::to_string(room.height()));
    }
    const QRect part = shownPart(control, text).translated(origin);
    if (!client.rect().contains(part))
      problems.push_back(describe(control, part) + " is not inside the client area of " +
                         std::to_string(client.width()) + "x" + std::to_string(client.height()));
    for (const Shown& other : shown)
      if (other.part.intersects(part))
        problems.push_back(describe(control, part) + " and " + describe(other.control, other.part) +
                           " cover each other");
    shown.push_back({control, part});
  }
  return problems;
}

}  // namespace mosaic::test
