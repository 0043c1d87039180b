#include "receiver/app/receiver_controls.h"

#include "platform/dialog_units.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/slider_settings.h"

#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>

#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace mosaic {

using namespace rx;

namespace {

void tag(QObject* object, int id) { object->setProperty(kIdProperty, id); }

QPushButton* addButton(ReceiverControls& c, QWidget* client, int id, const char* text, QRect du,
                       bool enabled) {
  auto* button = new QPushButton(QString::fromLatin1(text), client);
  button->setGeometry(du);
  button->setEnabled(enabled);
  button->setAutoDefault(false);
  tag(button, id);
  c.byId[id] = button;
  return button;
}

// Left-aligned static text; `id` 0 for a caption without an id.
QLabel* addLabel(ReceiverControls& c, QWidget* client, int id, const char* text, QRect du) {
  auto* label = new QLabel(QString::fromLatin1(text), client);
  // Never narrower than its caption where there is room: a clipped caption helps nobody.
  // `keepCaptionsOffControls` cuts it back where a control follows.
  label->setGeometry(du.x(), du.y(), std::max(du.width(), label->sizeHint().width()), du.height());
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  if (id != 0) {
    tag(label, id);
    c.byId[id] = label;
  }
  return label;
}

QCheckBox* addCheckBox(ReceiverControls& c, QWidget* client, int id, const char* text, QRect du) {
  auto* box = new QCheckBox(QString::fromLatin1(text), client);
  box->setGeometry(du);
  tag(box, id);
  c.byId[id] = box;
  c.checkBoxes[id] = box;
  return box;
}

QSlider* addSlider(ReceiverControls& c, QWidget* client, int id) {
  const SliderLayout* layout = nullptr;
  for (const auto& s : kSliderLayouts)
    if (s.id == id) layout = &s;
  auto* slider = new QSlider(layout->vertical ? Qt::Vertical : Qt::Horizontal, client);
  slider->setGeometry(layout->pixels);
  slider->setRange(0, layout->maximum);
  slider->setSingleStep(1);
  slider->setPageStep(layout->maximum / 5);  // a fifth of the range per page
  slider->setTickPosition(QSlider::NoTicks);
  if (layout->vertical) {
    // 0 at the top, so moving the thumb up lowers the position and raises the setting; the
    // keys and the wheel move the thumb the way they point.
    slider->setInvertedAppearance(true);
    slider->setInvertedControls(true);
  } else {
    slider->setValue(200);
  }
  tag(slider, id);
  c.byId[id] = slider;
  c.sliders[id] = slider;
  return slider;
}

// A caption that has grown over a control to its right would hide part of it and swallow its
// clicks: it ends where the control begins, and its letters close up until the text fits.
void keepCaptionsOffControls(QWidget* client) {
  const auto labels = client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
  for (QLabel* label : labels) {
    QRect area = label->geometry();
    for (QWidget* other : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QLabel*>(other) || !other->geometry().intersects(area)) continue;
      if (other->x() > area.x()) area.setRight(other->x() - 1);
    }
    label->setGeometry(area);
    QFont font = label->font();
    for (int spacing = 100; spacing >= 70 && label->sizeHint().width() > area.width();
         spacing -= 2) {
      font.setLetterSpacing(QFont::PercentageSpacing, spacing);
      label->setFont(font);
    }
  }
}

}  // namespace

ReceiverControls createControls(QWidget* client) {
  ReceiverControls c;
  c.openFile =
      addButton(c, client, kOpenFileId, "Open file to save", dialogRect(135, 210, 65, 17), true);
  c.closeFile =
      addButton(c, client, kCloseFileId, "Close file", dialogRect(200, 210, 35, 17), false);
  c.save = addButton(c, client, kSaveId, "Start save", dialogRect(235, 210, 45, 17), false);
  c.counter = addLabel(c, client, kCounterId, "0 frames saved", dialogRect(135, 228, 170, 14));
  addSlider(c, client, kCoarseTuneId);
  addLabel(c, client, kCoarseCaptionId, "----Coarse Tune----", dialogRect(205, 138, 60, 10));
  addSlider(c, client, kFineTuneId);
  addLabel(c, client, kFineCaptionId, "-----Fine Tune-----", dialogRect(35, 138, 60, 10));
  c.tuningValue = addLabel(c, client, kTuningValueId, "0Hz", dialogRect(135, 125, 30, 10));
  addCheckBox(c, client, kNoiseFilterId, "Noise filter", dialogRect(195, 36, 90, 14));
  addCheckBox(c, client, kHorizontalFilterId, "Filter horizontal pix", dialogRect(195, 24, 90, 14));
  addCheckBox(c, client, kVerticalInterpolationId, "Interpolate vertical pix",
              dialogRect(195, 12, 90, 14));
  addCheckBox(c, client, kHalfPixelId, "+ half pixel", dialogRect(195, 0, 70, 14));
  addSlider(c, client, kBrightnessId);
  addSlider(c, client, kContrastId);
  addLabel(c, client, 0, "Brightness", dialogRect(200, 105, 35, 14));
  addLabel(c, client, 0, "Contrast", dialogRect(240, 105, 35, 14));
  addSlider(c, client, kBalanceId);
  addLabel(c, client, 0, "----Colour Balance----", dialogRect(25, 178, 80, 10));
  c.balanceValue = addLabel(c, client, kBalanceValueId, "0", dialogRect(135, 160, 60, 10));
  addSlider(c, client, kSaturationId);
  addLabel(c, client, 0, "MONO<---------Saturation--------->COLOUR", dialogRect(0, 218, 130, 10));
  c.saturationValue = addLabel(c, client, kSaturationValueId, "100%", dialogRect(135, 198, 60, 10));
  keepCaptionsOffControls(client);
  return c;
}

std::map<int, QAction*> createMenus(QMenuBar* bar) {
  std::map<int, QAction*> actions;
  auto item = [&actions](QMenu* menu, int id, const char* text) {
    QAction* action = menu->addAction(QString::fromLatin1(text));
    tag(action, id);
    actions[id] = action;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&File"));
  item(file, kOpenFileId, "&Open");
  file->addSeparator();
  item(file, kSavePictureId, "Save picture");
  actions[kSavePictureId]->setShortcut(QKeySequence::Save);
  item(file, kAutoSaveId, "Auto-save");
  actions[kAutoSaveId]->setCheckable(true);
  item(file, kReceivedPicturesId, "Received pictures");
  file->addSeparator();
  // Under "&File", as the bar has no room left for another entry.
  item(file, kSoundDeviceId, "Sound &device...");
  file->addSeparator();
  item(file, kExitId, "&Exit");

  QMenu* screen = bar->addMenu(QStringLiteral("&Screen Size"));
  item(screen, kSmallId, "Small");
  screen->addSeparator();
  item(screen, kLargeId, "Large");
  screen->addSeparator();
  item(screen, kAlignedId, "Aligned");
  actions[kAlignedId]->setCheckable(true);

  // A command on the bar itself, without a menu.
  QAction* adjust = bar->addAction(QStringLiteral("&Adjust input"));
  tag(adjust, kAdjustInputId);
  actions[kAdjustInputId] = adjust;

  QMenu* noise = bar->addMenu(QStringLiteral("Noise filter"));
  item(noise, kLightFilterId, "Light filter");
  noise->addSeparator();
  item(noise, kMediumFilterId, "Medium filter");
  noise->addSeparator();
  item(noise, kHeavyFilterId, "Heavy filter");

  QMenu* tuning = bar->addMenu(QStringLiteral("&Tuning"));
  item(tuning, kAutoTuneId, "Auto tune");
  tuning->addSeparator();
  item(tuning, kTuneNowId, "Tune now");
  tuning->addSeparator();
  item(tuning, kTuningDisplayId, "Tuning display");
  actions[kAutoTuneId]->setCheckable(true);
  actions[kTuningDisplayId]->setCheckable(true);
  actions[kTuningDisplayId]->setChecked(true);

  QMenu* help = bar->addMenu(QStringLiteral("&Help"));
  item(help, kHelpId, "&Help");
  help->addSeparator();
  item(help, kAboutId, "&About");
  return actions;
}

}  // namespace mosaic
