// Which devices of a real sound server a program is offered (the test suite starts a private
// PulseAudio server; without it these tests are skipped): those the server has, and of them the
// ones that open in the program's direction, asked of the server itself.

#include "platform/sound_server_probe.h"
#include "tests/support/event_loop.h"
#include "tests/support/sound_server.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>

namespace mosaic::test {
namespace {

bool has(const std::vector<SoundDeviceName>& devices, const std::string& id) {
  return std::any_of(devices.begin(), devices.end(), [&](const auto& d) { return d.id == id; });
}

// The server's default sink "loop" and its default source "loopin" (see run-with-sound-server.sh),
// and a sink of this test's own.
TEST(SoundServerProbe, OffersTheDevicesThatOpenInTheProgramsDirectionWhateverTheListsSay) {
  coreApp();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PluggableDevice radio(true, QStringLiteral("choice"), QStringLiteral("Radio"));
  ASSERT_TRUE(radio.plugIn());
  const std::string sink = radio.name().toStdString();
  const auto listed = soundServerDevices();
  EXPECT_TRUE(has(listed, sink));
  EXPECT_FALSE(has(listed, sink + ".monitor")) << "a sink's monitor is not a device of its own";

  const auto playback = usableSoundDevices(SoundDirection::Playback, 48000);
  EXPECT_TRUE(has(playback, "loop"));
  EXPECT_TRUE(has(playback, sink));
  EXPECT_FALSE(has(playback, "loopin")) << "a source is no place to play to";
  const auto recording = usableSoundDevices(SoundDirection::Recording, 9600);
  EXPECT_TRUE(has(recording, "loopin"));
  EXPECT_FALSE(has(recording, sink));

  // A source asked for as a playback device, or a device that is not there, is refused at once.
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(soundServerOpens(SoundDirection::Playback, 48000, {"loopin", "no-such-device", sink}),
            (std::vector<bool>{false, false, true}));
  EXPECT_LT(clock.elapsed(), 3000);

  radio.unplug();
  EXPECT_FALSE(has(soundServerDevices(), sink));
  EXPECT_EQ(soundServerOpens(SoundDirection::Playback, 48000, {sink}), std::vector<bool>{false});
}

}  // namespace
}  // namespace mosaic::test
