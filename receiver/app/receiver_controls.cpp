#include "receiver/app/receiver_controls.h"

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "platform/dialog_units.h"
#include "receiver/app/control_ids.h"
#include "receiver/app/slider_settings.h"
#include "receiver/app/value_labels.h"
#include "receiver/core/movie/movie_recorder.h"

#include <QAction>
#include <QCheckBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>

namespace mosaic {

using namespace rx;

namespace {

// A button, label or check box at its place in dialog units; the captions it may show besides
// its first are named in `widest`, so that fitting leaves room for every one.
template <typename Control>
Control* add(QWidget* client, int id, const char* text, QRect du, const QStringList& widest = {}) {
  auto* control = new Control(QString::fromLatin1(text), client);
  placeControl(control, du, widest);
  if (id != 0) withId(control, id);  // 0: a caption without an id
  return control;
}

QPushButton* addButton(QWidget* client, int id, const char* text, QRect du, bool enabled,
                       const QStringList& widest = {}) {
  auto* button = add<QPushButton>(client, id, text, du, widest);
  button->setEnabled(enabled);
  button->setAutoDefault(false);
  return button;
}

// Left-aligned static text.
QLabel* addLabel(QWidget* client, int id, const char* text, QRect du,
                 const QStringList& widest = {}) {
  auto* label = add<QLabel>(client, id, text, du, widest);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QCheckBox* addCheckBox(ReceiverControls& c, QWidget* client, int id, const char* text, QRect du,
                       const QStringList& widest = {}) {
  return c.checkBoxes[id] = add<QCheckBox>(client, id, text, du, widest);
}

QSlider* addSlider(ReceiverControls& c, QWidget* client, int id) {
  const SliderLayout* layout = nullptr;
  for (const auto& s : kSliderLayouts)
    if (s.id == id) layout = &s;
  auto* slider = withId(new QSlider(layout->vertical ? Qt::Vertical : Qt::Horizontal, client), id);
  placeControl(slider, layout->pixels);
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
  return c.sliders[id] = slider;
}

// The widest texts that the value labels show, at the ends of their sliders.
QString widestTuningText() {
  DemodSettings farthest;
  farthest.coarseHz = -20.0f;
  farthest.fineHz = -4.0f;
  return tuningText(farthest);
}

QString widestSaturationText() {
  DisplaySettings fullest;
  fullest.saturation = 400;
  return saturationText(fullest);
}

QString widestBalanceText() {
  DemodSettings lowest;
  lowest.balance = -200;
  return balanceText(lowest);
}

}  // namespace

ReceiverControls createControls(QWidget* client) {
  ReceiverControls c;
  c.openFile =
      addButton(client, kOpenFileId, "Open file to save", dialogRect(135, 210, 65, 17), true);
  c.closeFile = addButton(client, kCloseFileId, "Close file", dialogRect(200, 210, 35, 17), false);
  c.save = addButton(client, kSaveId, "Start save", dialogRect(235, 210, 45, 17), false,
                     {QStringLiteral("Pause save"), QStringLiteral("Resume")});
  // Room for the counts of a recording of a day and more.
  c.counter = addLabel(client, kCounterId, "0 frames saved", dialogRect(135, 228, 170, 14),
                       {QString::fromStdString(counterText(99999))});
  addSlider(c, client, kCoarseTuneId);
  addLabel(client, kCoarseCaptionId, "----Coarse Tune----", dialogRect(205, 138, 60, 10));
  addSlider(c, client, kFineTuneId);
  addLabel(client, kFineCaptionId, "-----Fine Tune-----", dialogRect(35, 138, 60, 10));
  c.tuningValue =
      addLabel(client, kTuningValueId, "0Hz", dialogRect(135, 125, 30, 10), {widestTuningText()});
  addCheckBox(c, client, kNoiseFilterId, "Noise filter", dialogRect(195, 36, 90, 14),
              {kLightFilterCaption, kMediumFilterCaption, kHeavyFilterCaption});
  addCheckBox(c, client, kHorizontalFilterId, "Filter horizontal pix", dialogRect(195, 24, 90, 14));
  addCheckBox(c, client, kVerticalInterpolationId, "Interpolate vertical pix",
              dialogRect(195, 12, 90, 14));
  addCheckBox(c, client, kHalfPixelId, "+ half pixel", dialogRect(195, 0, 70, 14));
  addSlider(c, client, kBrightnessId);
  addSlider(c, client, kContrastId);
  addLabel(client, 0, "Brightness", dialogRect(200, 105, 35, 14));
  addLabel(client, 0, "Contrast", dialogRect(240, 105, 35, 14));
  addSlider(c, client, kBalanceId);
  addLabel(client, 0, "----Colour Balance----", dialogRect(25, 178, 80, 10));
  c.balanceValue =
      addLabel(client, kBalanceValueId, "0", dialogRect(135, 160, 60, 10), {widestBalanceText()});
  addSlider(c, client, kSaturationId);
  addLabel(client, 0, "MONO<---------Saturation--------->COLOUR", dialogRect(0, 218, 130, 10));
  c.saturationValue = addLabel(client, kSaturationValueId, "100%", dialogRect(135, 198, 60, 10),
                               {widestSaturationText()});
  return c;
}

std::map<int, QAction*> createMenus(QMenuBar* bar) {
  std::map<int, QAction*> actions;
  auto item = [&actions](QMenu* menu, int id, const char* text) {
    actions[id] = withId(menu->addAction(QString::fromLatin1(text)), id);
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
  item(file, kRecordSoundId, "Record sound...");
  actions[kRecordSoundId]->setCheckable(true);
  item(file, kOpenRecordingId, "Open recording...");
  actions[kOpenRecordingId]->setCheckable(true);
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
  actions[kAdjustInputId] = withId(bar->addAction(QStringLiteral("&Adjust input")), kAdjustInputId);

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
