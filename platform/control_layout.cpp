#include "platform/control_layout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QVariant>
#include <QWidget>

#include <algorithm>
#include <vector>

namespace mosaic {

namespace {

constexpr char kPlaceProperty[] = "mosaicPlace";
constexpr char kWidestTextsProperty[] = "mosaicWidestTexts";
constexpr int kGap = 4;  // [px] between a control that grew and one it moved aside
// Controls only ever move right and down, so fitting settles; this bounds a layout in which
// moves keep setting off others.
constexpr int kMostPasses = 64;

struct Placed {
  QWidget* widget;
  QRect place;
  QRect rect;  // where it goes
};

bool placed(const QObject* object) { return object->property(kPlaceProperty).isValid(); }

QString captionOf(const QWidget* control) {
  if (const auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  return {};
}

QSize textSize(const QWidget* control, const QString& text) {
  return control->fontMetrics().size(Qt::TextShowMnemonic, text);  // a mnemonic's "&" is not drawn
}

QSize widestTextSize(const QWidget* control) {
  QSize widest = textSize(control, captionOf(control));
  for (const QString& text : control->property(kWidestTextsProperty).toStringList())
    widest = widest.expandedTo(textSize(control, text));
  return widest;
}

bool isCheckMark(const QWidget* control) {
  return qobject_cast<const QCheckBox*>(control) || qobject_cast<const QRadioButton*>(control);
}

// The least size at which `control` shows each of its captions whole.
QSize neededSize(QWidget* control, QSize place) {
  if (qobject_cast<QLabel*>(control) || isCheckMark(control)) {
    // What the control's own size hint adds to the text: a check mark, margins.
    const QSize around = control->sizeHint() - textSize(control, captionOf(control));
    return place.expandedTo(widestTextSize(control) + around);
  }
  auto* button = qobject_cast<QPushButton*>(control);
  if (!button || button->text().isEmpty()) return place;
  // The style draws the caption centred in the button's contents, inside its frame.
  QStyleOptionButton option;
  option.initFrom(button);
  option.rect = QRect(QPoint(), place);
  const QRect contents =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, &option, button);
  return place.expandedTo(widestTextSize(control) + (place - contents.size()) + QSize(margin, 0));
}

// What a control covers: a check box only the height of its mark and text, centred (a column
// of check boxes may be placed with their boxes overlapping); any other control all of itself.
QRect covered(const Placed& p) {
  if (!isCheckMark(p.widget)) return p.rect;
  const int height = std::min(p.rect.height(), p.widget->sizeHint().height());
  return QRect(p.rect.x(), p.rect.y() + (p.rect.height() - height) / 2, p.rect.width(), height);
}

// Moves one of two controls that cover each other out of the other's way, whichever needs the
// shorter move: a control may move right of one placed left of it, or below one placed above it.
void separate(Placed& a, Placed& b) {
  const QRect ca = covered(a), cb = covered(b);
  struct Move {
    Placed* mover;
    QPoint by;
  };
  std::vector<Move> moves;
  if (b.place.left() > a.place.left())
    moves.push_back({&b, {ca.right() + 1 + kGap - cb.left(), 0}});
  if (b.place.top() > a.place.top()) moves.push_back({&b, {0, ca.bottom() + 1 + kGap - cb.top()}});
  if (a.place.left() > b.place.left())
    moves.push_back({&a, {cb.right() + 1 + kGap - ca.left(), 0}});
  if (a.place.top() > b.place.top()) moves.push_back({&a, {0, cb.bottom() + 1 + kGap - ca.top()}});
  // Two controls placed at the same corner: the later one goes below.
  if (moves.empty()) moves.push_back({&b, {0, ca.bottom() + 1 + kGap - cb.top()}});
  const Move& shortest = *std::min_element(
      moves.begin(), moves.end(),
      [](const Move& x, const Move& y) { return x.by.manhattanLength() < y.by.manhattanLength(); });
  shortest.mover->rect.translate(shortest.by);
}

}  // namespace

void placeControl(QWidget* control, const QRect& place, const QStringList& widestTexts) {
  control->setProperty(kPlaceProperty, place);
  if (!widestTexts.isEmpty()) control->setProperty(kWidestTextsProperty, widestTexts);
  control->setGeometry(place);
}

QSize fitControls(QWidget* parent) {
  std::vector<Placed> controls;
  for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (!placed(child) || child->isHidden()) continue;
    const QRect place = child->property(kPlaceProperty).toRect();
    QSize size = neededSize(child, place.size());
    const auto inner = child->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    if (std::any_of(inner.begin(), inner.end(), [](const QWidget* w) { return placed(w); }))
      size = size.expandedTo(fitControls(child));
    controls.push_back({child, place, QRect(place.topLeft(), size)});
  }
  for (int pass = 0; pass < kMostPasses; ++pass) {
    bool moved = false;
    for (std::size_t i = 0; i < controls.size(); ++i)
      for (std::size_t j = i + 1; j < controls.size(); ++j)
        if (covered(controls[i]).intersects(covered(controls[j]))) {
          separate(controls[i], controls[j]);
          moved = true;
        }
    if (!moved) break;
  }
  QRect all;
  for (const Placed& p : controls) {
    p.widget->setGeometry(p.rect);
    all |= p.rect;
  }
  return QSize(std::max(0, all.right() + 1), std::max(0, all.bottom() + 1));
}

}  // namespace mosaic
