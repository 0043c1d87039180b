// Mosaiccast's window on a real sound server with a chosen playback device that is plugged in
// after the start, unplugged and plugged in again (the test suite starts a private PulseAudio
// server; without it the test is skipped).

#include "platform/sound_server_output.h"
#include "platform/status_banner.h"
#include "tests/support/private_settings.h"
#include "tests/support/qt_app.h"
#include "tests/support/sound_server.h"
#include "transmitter/app/transmitter_services.h"
#include "transmitter/app/transmitter_window.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace mosaic::test {
namespace {

TEST(ChosenOutputDevice, IsTakenWhenPluggedInLeftForTheDefaultWhenUnpluggedAndTakenAgain) {
  app();
  if (!soundServerRunning()) GTEST_SKIP() << "no sound server";
  PrivateSettings place("mosaiccast");
  PluggableDevice radio(true, QStringLiteral("txradio"), QStringLiteral("RadioTX"));
  TransmitterSettings remembered;
  remembered.soundDevice = SoundDeviceName{radio.name().toStdString(), "RadioTX"};
  saveUserTransmitterSettings(remembered);

  SoundServerOutput audio;
  QTemporaryDir dir;
  TransmitterServices services = programServices(audio, true);
  services.crawlTextPath = dir.filePath(QStringLiteral("TESTPATT.INI")).toStdString();
  TransmitterWindow window(std::move(services));
  window.initialiseWindow();
  const auto banner = [&] { return window.statusBanner()->text(); };
  const auto on = [](const QString& device, int timeoutMs) {
    return waitUntilOurStreamIsOn(true, device, timeoutMs);
  };

  const auto names = [] { return ourStreamDevices(true).join(QLatin1Char(' ')).toStdString(); };

  // Absent at the start: the default, and the window says so.
  EXPECT_TRUE(on(QStringLiteral("loop"), 5000)) << names();
  EXPECT_EQ(banner(),
            "The chosen sound output \"RadioTX\" is not there; the system default is "
            "used until it returns.");

  ASSERT_TRUE(radio.plugIn());
  EXPECT_TRUE(on(radio.name(), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().isEmpty(); }, 1000)) << banner().toStdString();
  // Frames follow the new 2.56 s of silence on the chosen device.
  {
    SinkListener listener(radio.name());
    EXPECT_TRUE(runUntil([&] { return listener.peak() > 1000; }, 8000))
        << "nothing heard on the chosen device in " << listener.seconds() << " s recorded";
  }

  radio.unplug();
  EXPECT_TRUE(on(QStringLiteral("loop"), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().contains("is not there"); }, 5000))
      << banner().toStdString();

  ASSERT_TRUE(radio.plugIn());
  EXPECT_TRUE(on(radio.name(), 10000)) << names();
  EXPECT_TRUE(runUntil([&] { return banner().isEmpty(); }, 1000)) << banner().toStdString();

  window.done(0);
  EXPECT_EQ(loadUserTransmitterSettings().soundDevice, remembered.soundDevice);
}

}  // namespace
}  // namespace mosaic::test
