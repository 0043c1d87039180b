// Mosaicview's window on a real sound server with a chosen recording device that is plugged in
// after the start, unplugged and plugged in again (the test suite starts a private PulseAudio
// server; without it the test is skipped).

#include "platform/sound_server_input.h"
#include "platform/status_banner.h"
#include "receiver/app/picture_view.h"
#include "receiver/app/receiver_window.h"
#include "tests/receiver/fake_movie_files.h"
#include "tests/support/private_settings.h"
#include "tests/support/qt_app.h"
#include "tests/support/sound_server.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdio>

namespace mosaic::test {
namespace {

TEST(ChosenInputDevice, IsTakenWhenPluggedInLeftForTheDefaultWhenUnpluggedAndTakenAgain) {
  app();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PrivateSettings place("mosaicview");
  PluggableDevice radio(false, QStringLiteral("rxradio"), QStringLiteral("RadioRX"));
  ReceiverSettings remembered;
  remembered.soundDevice = SoundDeviceName{radio.name().toStdString(), "RadioRX"};
  saveUserReceiverSettings(remembered);

  SoundServerInput input;
  testing::FakeMovieFiles files;
  ReceiverWindow window(input, files, desktopServices(true));
  const auto banner = [&] { return window.statusBanner()->text(); };
  const auto on = [](const QString& device, int timeoutMs) {
    return waitUntilOurStreamIsOn(false, device, timeoutMs);
  };
  const auto names = [] { return ourStreamDevices(false).join(QLatin1Char(' ')).toStdString(); };

  // Absent at the start: the default, and the window says so; the picture stays live.
  EXPECT_TRUE(on(QStringLiteral("loopin"), 5000)) << names();
  EXPECT_EQ(banner(),
            "The chosen sound input \"RadioRX\" is not there; the system default is "
            "used until it returns.");
  EXPECT_FALSE(window.pictureView()->noInput());

  ASSERT_TRUE(radio.plugIn());
  EXPECT_TRUE(on(radio.name(), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().isEmpty(); }, 1000)) << banner().toStdString();
  // The chosen device's sound reaches the window: a buffer takes 1.28 s.
  const int runsBefore = window.engine().runs();
  EXPECT_TRUE(runUntil([&] { return window.engine().runs() > runsBefore; }, 4000));

  radio.unplug();
  EXPECT_TRUE(on(QStringLiteral("loopin"), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().contains("is not there"); }, 5000))
      << banner().toStdString();

  ASSERT_TRUE(radio.plugIn());
  EXPECT_TRUE(on(radio.name(), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().isEmpty(); }, 1000)) << banner().toStdString();

  window.close();
  EXPECT_EQ(loadUserReceiverSettings().soundDevice, remembered.soundDevice);
}

}  // namespace
}  // namespace mosaic::test
