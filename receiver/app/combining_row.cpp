#include "receiver/app/combining_row.h"

#include "platform/control_layout.h"
#include "platform/control_names.h"
#include "receiver/app/control_ids.h"

#include <QCheckBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>

namespace mosaic {

using namespace rx;

namespace {

QString framesText(int frames) {
  return frames == 1 ? QStringLiteral("picture of 1 frame")
                     : QStringLiteral("picture of %1 frames").arg(frames);
}

}  // namespace

CombiningRow::CombiningRow(QWidget* parent, std::function<void(const CombiningSettings&)> changed)
    : QWidget(parent), changed_(std::move(changed)) {
  on_ = withId(new QCheckBox(QStringLiteral("Combine frames"), this), kCombineFramesId);
  placeControl(on_, QRect(0, 0, 110, 20));
  frames_ = withId(new QSpinBox(this), kCombinedFramesId);
  frames_->setRange(kMinCombinedFrames, kMaxCombinedFrames);
  frames_->setValue(kDefaultCombinedFrames);
  frames_->setPrefix(QStringLiteral("over up to "));
  frames_->setSuffix(QStringLiteral(" frames"));
  frames_->setEnabled(false);
  placeControl(frames_, QRect(114, 0, 140, 20));
  state_ = new QLabel(this);
  placeControl(state_, QRect(260, 0, kCombiningRowWidth - 260, 20), {framesText(16)});
  state_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  connect(on_, &QCheckBox::toggled, this, [this](bool on) {
    frames_->setEnabled(on);
    if (!on) state_->clear();
    tell();
  });
  connect(frames_, &QSpinBox::valueChanged, this, [this] { tell(); });
}

void CombiningRow::showSettings(const CombiningSettings& settings) {
  const QSignalBlocker quietBox(on_);
  const QSignalBlocker quietFrames(frames_);
  on_->setChecked(settings.on);
  frames_->setValue(combinedFramesWithinRange(settings.frames));
  frames_->setEnabled(settings.on);
  if (!settings.on) state_->clear();
}

CombiningSettings CombiningRow::settings() const {
  CombiningSettings settings;
  settings.on = on_->isChecked();
  settings.frames = frames_->value();
  return settings;
}

void CombiningRow::showFramesCombined(int frames) {
  state_->setText(on_->isChecked() ? framesText(frames) : QString());
}

void CombiningRow::tell() {
  if (changed_) changed_(settings());
}

}  // namespace mosaic
