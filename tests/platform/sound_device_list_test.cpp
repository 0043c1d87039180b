// The devices offered for choice: the dialog's rows, and which devices of a real sound server
// count as usable (the test suite starts a private PulseAudio server; without it those tests are
// skipped).

#include "platform/qt_audio_device.h"
#include "platform/sound_device_dialog.h"
#include "tests/support/qt_app.h"
#include "tests/support/sound_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>

#include <gtest/gtest.h>

#include <algorithm>

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

bool has(const std::vector<SoundDeviceName>& devices, const std::string& id) {
  return std::any_of(devices.begin(), devices.end(), [&](const auto& d) { return d.id == id; });
}

// The server's default sink "loop" and its default source "loopin" (see run-with-sound-server.sh),
// and a sink of this test's own.
TEST(UsableSoundDevices, AreThoseTheServerOpensInTheProgramsDirectionWhateverTheListsSay) {
  test::app();
  if (!test::soundServerRunning()) GTEST_SKIP() << "no sound server";
  const std::string sink = "choice" + std::to_string(QCoreApplication::applicationPid());
  const QString module =
      test::pactl({"load-module", "module-null-sink", QString::fromStdString("sink_name=" + sink),
                   "sink_properties=device.description=Radio"});
  ASSERT_FALSE(module.isEmpty());
  EXPECT_TRUE(test::runUntil([&] { return has(listedSoundDevices(), sink); }, 5000));

  const auto playback = usableSoundDevices(SoundDirection::Playback, 48000);
  EXPECT_TRUE(has(playback, "loop"));
  EXPECT_TRUE(has(playback, sink));
  EXPECT_FALSE(has(playback, "loopin")) << "a source is no place to play to";
  const auto recording = usableSoundDevices(SoundDirection::Recording, 9600);
  EXPECT_TRUE(has(recording, "loopin"));

  // Asking for a source as a playback device is refused at once. (Through the desktop's sound
  // layer alone, such an opening would never return.)
  const QAudioFormat format = monoInt16Format(48000);
  QElapsedTimer clock;
  clock.start();
  EXPECT_FALSE(chosenDeviceFor(SoundDirection::Playback, "loopin", format));
  EXPECT_FALSE(chosenDeviceFor(SoundDirection::Playback, "no-such-device", format));
  EXPECT_LT(clock.elapsed(), 3000);
  EXPECT_TRUE(chosenDeviceFor(SoundDirection::Playback, sink, format));

  test::pactl({"unload-module", module});
  EXPECT_TRUE(test::runUntil([&] { return !has(listedSoundDevices(), sink); }, 5000));
  EXPECT_FALSE(chosenDeviceFor(SoundDirection::Playback, sink, format));
}

}  // namespace
}  // namespace mosaic
