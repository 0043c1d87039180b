// The dialog in which the operator picks a sound device: its rows and what it hands back.

#include "platform/sound_device_dialog.h"
#include "tests/support/qt_app.h"

#include <QListWidget>

#include <gtest/gtest.h>

namespace mosaic {
namespace {

const SoundDeviceName kRadio{"alsa_output.usb-radio", "USB Audio CODEC"};
const SoundDeviceName kSpeakers{"alsa_output.pci-speakers", "Built-in Audio"};

QStringList rows(const SoundDeviceDialog& dialog) {
  QStringList texts;
  for (int i = 0; i < dialog.list()->count(); ++i) texts << dialog.list()->item(i)->text();
  return texts;
}

TEST(SoundDeviceDialog, OffersTheDefaultFirstThenTheUsableDevicesWithTheChoiceSelected) {
  test::app();
  SoundDeviceDialog dialog(nullptr, QStringLiteral("Sound output"), {kSpeakers, kRadio},
                           SoundDeviceSettings{kRadio});
  EXPECT_EQ(rows(dialog), (QStringList{"The system default", "Built-in Audio", "USB Audio CODEC"}));
  EXPECT_EQ(dialog.list()->currentRow(), 2);
  EXPECT_EQ(dialog.settings().device, kRadio);
  dialog.list()->setCurrentRow(0);
  EXPECT_FALSE(dialog.settings().device) << "the system default";

  SoundDeviceDialog noChoice(nullptr, QStringLiteral("Sound output"), {kRadio}, {});
  EXPECT_EQ(noChoice.list()->currentRow(), 0);
}

TEST(SoundDeviceDialog, ChosenDeviceThatIsAwayIsStillOfferedSoThatTheChoiceCanBeKept) {
  test::app();
  SoundDeviceDialog dialog(nullptr, QStringLiteral("Sound input"), {kSpeakers},
                           SoundDeviceSettings{kRadio});
  EXPECT_EQ(rows(dialog), (QStringList{"The system default", "Built-in Audio",
                                       "USB Audio CODEC (not there now)"}));
  EXPECT_EQ(dialog.settings().device, kRadio);
}

}  // namespace
}  // namespace mosaic
