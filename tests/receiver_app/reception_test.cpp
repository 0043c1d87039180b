// Reception from end to end in one process: the transmitter's frames, brought to the receiver's
// 9600 Hz, go through the fake sound input into the window, which must show the picture that was
// sent, and the very pixels that `mosaic decode -o` writes for the same recording.

#include "signal/rounding.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/receiver_app/transmitted_audio.h"
#include "tests/support/wav_files.h"
#include "tests/tools/tool_runner.h"

#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace mosaic {
namespace {

using namespace rx;
using test::receivedAudio;
using test::ReceiverRig;

constexpr float kBright =
    7.5f;  // picture units: a phase step of a quarter turn, the brightest value
constexpr float kDark = 0.5f;

// A grey picture that is bright in its top-left quarter only, so that a picture shown upside
// down or mirrored cannot pass. Column 1 is the right-hand edge, row 1 the bottom.
std::unique_ptr<PicturePlanes> quarterPicture() {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) planes->Y[c][r] = (c >= 25 && r >= 36) ? kBright : kDark;
  return planes;
}

// The mean of the green component over a rectangle of the picture.
double meanLevel(const QImage& image, QRect area) {
  double sum = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) sum += qGreen(image.pixel(x, y));
  return sum / (area.width() * area.height());
}

TEST(Reception, TheTransmittedPictureAppearsTheRightWayRound) {
  const auto audio = receivedAudio(*quarterPicture(), 3);
  ASSERT_EQ(audio.size(), 3u * kCaptureSamples);
  ReceiverRig rig;
  rig.window.show();
  rig.slider(kBalanceId)->setSliderPosition(200);  // no slope across the rows
  QTest::keyClick(rig.slider(kSaturationId), Qt::Key_Home);
  rig.menu(kLargeId);
  rig.receiveAll(audio);
  ASSERT_EQ(rig.window.engine().runs(), 3);

  const QImage shown = rig.window.pictureView()->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(288, 192));
  // Quarters of the large view, kept clear of the edges between them.
  const double topLeft = meanLevel(shown, QRect(20, 15, 100, 65));
  const double topRight = meanLevel(shown, QRect(170, 15, 100, 65));
  const double bottomLeft = meanLevel(shown, QRect(20, 112, 100, 65));
  const double bottomRight = meanLevel(shown, QRect(170, 112, 100, 65));
  std::printf("[ quarters ] %.1f %.1f / %.1f %.1f\n", topLeft, topRight, bottomLeft, bottomRight);
  // Bright: sin(quarter turn) x contrast 178 = 178; dark: sin(1/60 turn) x 178 = 19.
  EXPECT_NEAR(topLeft, 178, 15);
  for (double dark : {topRight, bottomLeft, bottomRight}) EXPECT_NEAR(dark, 19, 15);
}

TEST(Reception, TheWindowShowsExactlyWhatMosaicDecodeWrites) {
  // A picture with colour and detail, and some noise on the way.
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      planes->Y[c][r] = static_cast<float>(4.0 + 3.5 * std::sin(0.3 * c) * std::cos(0.2 * r));
      planes->V[c][r] = static_cast<float>(1.5 * std::sin(0.1 * c));
      planes->U[c][r] = static_cast<float>(-1.0 * std::cos(0.09 * r));
    }
  auto audio = receivedAudio(*planes, 4);
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0.0, 300.0);
  for (auto& s : audio) s = saturate16(roundHalfEven(s + noise(rng)));
  QTemporaryDir dir;
  const QString wav = dir.filePath("rx.wav");
  ASSERT_TRUE(test::writeWav(wav, audio, kRxSampleRateHz));

  struct Case {
    const char* name;
    QStringList options;
    std::function<void(ReceiverRig&)> setControls;
  };
  const Case cases[] = {
      {"start-up settings", {}, [](ReceiverRig&) {}},
      {"every setting changed",
       {"--coarse", "-1.2", "--fine", "0.5", "--balance", "-40", "--no-half-pixel", "--brightness",
        "10", "--contrast", "200", "--saturation", "321", "--noise-filter", "heavy", "--hfilter",
        "--vinterp", "--large"},
       [](ReceiverRig& rig) {
         rig.slider(kCoarseTuneId)->setSliderPosition(188);
         rig.slider(kFineTuneId)->setSliderPosition(225);
         rig.slider(kBalanceId)->setSliderPosition(160);
         rig.checkBox(kHalfPixelId)->click();
         rig.slider(kBrightnessId)->setSliderPosition(246);
         rig.slider(kContrastId)->setSliderPosition(56);
         rig.slider(kSaturationId)->setSliderPosition(321);
         rig.menu(kHeavyFilterId);
         rig.checkBox(kNoiseFilterId)->click();
         rig.checkBox(kHorizontalFilterId)->click();
         rig.checkBox(kVerticalInterpolationId)->click();
         rig.menu(kLargeId);
       }},
  };
  for (const Case& c : cases) {
    const QString png = dir.filePath("rx.png");
    const auto run = test::runTool(QStringList{"decode", wav, "-o", png} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QImage written = QImage(png).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(written.size(), QSize(288, 192));

    ReceiverRig rig;
    rig.window.show();
    c.setControls(rig);
    rig.receiveAll(audio);
    ASSERT_EQ(rig.window.engine().runs(), 4) << c.name;
    const QImage shown =
        rig.window.pictureView()->grab().toImage().convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shown, written) << c.name;
  }
}

}  // namespace
}  // namespace mosaic
