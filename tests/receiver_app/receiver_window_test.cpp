// The receiver window as the user meets it: its controls at start and how they show at two font
// sizes, the sliders with their value labels, the check boxes and noise-filter menu, the notes
// boxes, the mixer, and the picture area's behaviour on "Small", "Large" and repaints.

#include "platform/dialog_units.h"
#include "receiver/app/picture_image.h"
#include "receiver/core/receiver_engine.h"
#include "tests/receiver/test_signals.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/whole_controls.h"

#include <QMessageBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

// Three buffers of a picture-like signal with colour, the same every time.
const std::vector<std::int16_t>& colourfulAudio() {
  static const auto audio = testing::steppedCarriers(
      3 * kCaptureSamples, testing::allCarriers(),
      [](int k, int s) {
        if (k >= 56) return 3.0 + 3.0 * std::sin(0.21 * k + 0.13 * s);
        return 3.0 * std::sin(0.5 * k - 0.2 * s);
      },
      100);
  return audio;
}

// The picture that the receiver engine alone gives for `audio` under these settings.
QImage chainPicture(const std::vector<std::int16_t>& audio, const DemodSettings& demod,
                    const DisplaySettings& display) {
  ReceiverEngine engine(pictureSettings(demod, display));
  for (std::size_t at = 0; at + kCaptureSamples <= audio.size(); at += kCaptureSamples)
    engine.onBufferComplete(audio.data() + at);
  return pictureImage(engine.bitmap(), display.screenSize);
}

bool isBlack(const QImage& image) {
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) != qRgb(0, 0, 0)) return false;
  return true;
}

TEST(ReceiverWindow, StartsWithEveryControlInItsStartState) {
  ReceiverRig rig;
  EXPECT_EQ(rig.window.windowTitle(),
            QStringLiteral("Multi-carrier Colour/Monochrome TV receiver (Voxlane+)"));
  EXPECT_FALSE(rig.window.windowIcon().isNull());
  EXPECT_EQ(rig.window.pictureView()->geometry(), QRect(0, 0, 288, 192));
  EXPECT_EQ(rig.text(kTuningValueId), "0.0 Hz");
  EXPECT_EQ(rig.text(kBalanceValueId), "67");
  EXPECT_EQ(rig.text(kSaturationValueId), "100%");
  EXPECT_EQ(rig.text(kCounterId), "0 frames saved");
  EXPECT_TRUE(rig.button(kOpenFileId)->isEnabled());
  EXPECT_FALSE(rig.button(kCloseFileId)->isEnabled());
  EXPECT_FALSE(rig.button(kSaveId)->isEnabled());
  EXPECT_TRUE(rig.checkBox(kHalfPixelId)->isChecked());
  EXPECT_FALSE(rig.checkBox(kNoiseFilterId)->isChecked() ||
               rig.checkBox(kHorizontalFilterId)->isChecked() ||
               rig.checkBox(kVerticalInterpolationId)->isChecked());
  EXPECT_EQ(rig.checkBox(kNoiseFilterId)->text(), "Noise filter (light)");
  // Coarse, fine and saturation in the middle, the balance at 67.
  for (const auto& [id, position] :
       {std::pair{kCoarseTuneId, 200}, {kFineTuneId, 200}, {kBalanceId, 267}, {kSaturationId, 200}})
    EXPECT_EQ(rig.slider(id)->value(), position) << id;
}

// The controls sit where the layout puts them but their captions come in the desktop's fonts:
// the window opens showing every one whole, also at a larger font, and keeps room for the
// widest texts that its labels, check box and buttons show later.
TEST(ReceiverWindowLayout, EveryControlShowsWholeAtTwoFontSizes) {
  for (const int points : {8, 12}) {
    SCOPED_TRACE(points);
    ReceiverRig rig;
    QFont font = dialogFont();
    font.setPointSize(points);
    rig.window.setFont(font);
    rig.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
    const QWidget& client = *rig.window.centralWidget();
    for (const std::string& problem : test::controlsNotWhole(client)) ADD_FAILURE() << problem;
    EXPECT_EQ(rig.window.pictureView()->geometry(), QRect(0, 0, 288, 192));

    QTest::keyClick(rig.slider(kCoarseTuneId), Qt::Key_Home);
    QTest::keyClick(rig.slider(kFineTuneId), Qt::Key_Home);
    QTest::keyClick(rig.slider(kBalanceId), Qt::Key_Home);
    QTest::keyClick(rig.slider(kSaturationId), Qt::Key_End);
    rig.menu(kMediumFilterId);
    rig.dialogAnswers.push_back(QStringLiteral("layout.49"));
    rig.button(kOpenFileId)->click();
    rig.button(kSaveId)->click();
    ASSERT_EQ(rig.text(kTuningValueId), "-24.0 Hz");
    ASSERT_EQ(rig.button(kSaveId)->text(), "Pause save");
    for (const std::string& problem : test::controlsNotWhole(client)) ADD_FAILURE() << problem;
  }
}

TEST(ReceiverWindow, VerticalSlidersStartWithBrightnessAtTheBottomAndRaiseTheValueUpwards) {
  ReceiverRig rig;
  rig.window.show();
  auto handleCentreY = [&](QSlider* s) {
    QStyleOptionSlider option;
    option.initFrom(s);
    option.orientation = s->orientation();
    option.minimum = s->minimum();
    option.maximum = s->maximum();
    option.sliderPosition = s->sliderPosition();
    option.sliderValue = s->value();
    option.upsideDown = s->invertedAppearance() != (s->orientation() == Qt::Vertical);
    option.rect = s->rect();
    return s->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, s)
        .center()
        .y();
  };
  QSlider* brightness = rig.slider(kBrightnessId);
  QSlider* contrast = rig.slider(kContrastId);
  EXPECT_GT(handleCentreY(brightness), brightness->height() * 3 / 4);
  EXPECT_LT(handleCentreY(contrast), contrast->height() / 2);
  EXPECT_EQ(rig.window.displaySettings().brightness, 0);
  EXPECT_EQ(rig.window.displaySettings().contrast, 178);

  QTest::keyClick(brightness, Qt::Key_Up);
  QTest::keyClick(brightness, Qt::Key_Up);
  EXPECT_EQ(brightness->value(), 254);
  EXPECT_EQ(rig.window.displaySettings().brightness, 2);
  QTest::keyClick(contrast, Qt::Key_End);  // the bottom end
  EXPECT_EQ(rig.window.displaySettings().contrast, 0);
  QTest::keyClick(contrast, Qt::Key_Home);
  EXPECT_EQ(rig.window.displaySettings().contrast, 256);
  EXPECT_EQ(rig.text(kBalanceValueId), "67");  // vertical sliders touch no label
}

TEST(ReceiverWindow, TuningSlidersSetTheOffsetsAndTheLabelShowsTheirSum) {
  ReceiverRig rig;
  rig.window.show();
  QSlider* coarse = rig.slider(kCoarseTuneId);
  QSlider* fine = rig.slider(kFineTuneId);
  QTest::keyClick(coarse, Qt::Key_End);
  QTest::keyClick(fine, Qt::Key_Home);
  EXPECT_EQ(rig.text(kTuningValueId), "16.0 Hz");
  EXPECT_EQ(rig.window.demodSettings().coarseHz, 20.0f);
  EXPECT_EQ(rig.window.demodSettings().fineHz, -4.0f);
  QTest::keyClick(coarse, Qt::Key_Home);
  EXPECT_EQ(rig.text(kTuningValueId), "-24.0 Hz");

  // A drag: the thumb track carries the position.
  auto drag = [](QSlider* s, int to) {
    s->setSliderDown(true);
    s->setSliderPosition(to);
    s->setSliderDown(false);
  };
  drag(coarse, 166);
  drag(fine, 197);  // -3.4 - 0.06 Hz shows -3.5
  EXPECT_EQ(rig.text(kTuningValueId), "-3.5 Hz");
  drag(coarse, 200);
  drag(fine, 199);  // -0.02 Hz: no minus sign on a zero
  EXPECT_EQ(rig.text(kTuningValueId), "0.0 Hz");
  EXPECT_FLOAT_EQ(rig.window.demodSettings().fineHz, -0.02f);
}

TEST(ReceiverWindow, BalanceAndSaturationLabelsFollowTheirSliders) {
  ReceiverRig rig;
  rig.window.show();
  QSlider* balance = rig.slider(kBalanceId);
  balance->triggerAction(QAbstractSlider::SliderPageStepSub);  // a page is a fifth of the range
  EXPECT_EQ(balance->value(), 187);
  EXPECT_EQ(rig.text(kBalanceValueId), "-13");
  EXPECT_EQ(rig.window.demodSettings().balance, -13);

  QSlider* saturation = rig.slider(kSaturationId);
  const std::pair<int, const char*> cases[] = {{0, "0%"},     {1, "0%"},     {3, "2%"},
                                               {201, "100%"}, {203, "102%"}, {400, "200%"}};
  for (const auto& [position, text] : cases) {
    saturation->setSliderPosition(position);  // as the wheel moves it
    EXPECT_EQ(rig.text(kSaturationValueId), QString::fromLatin1(text)) << position;
    EXPECT_EQ(rig.window.displaySettings().saturation, position);
  }
}

TEST(ReceiverWindow, SettingsReachTheNextPictureAndSaturationZeroIsGrey) {
  ReceiverRig rig;
  rig.window.show();
  const auto& audio = colourfulAudio();
  rig.receiveAll(audio);
  EXPECT_EQ(rig.picture(), chainPicture(audio, DemodSettings{}, DisplaySettings{}));
  bool someColour = false;
  for (int y = 0; y < 192 && !someColour; ++y)
    for (int x = 0; x < 288 && !someColour; ++x) {
      const QRgb p = rig.picture().pixel(x, y);
      someColour = qRed(p) != qGreen(p) || qGreen(p) != qBlue(p);
    }
  ASSERT_TRUE(someColour);

  QTest::keyClick(rig.slider(kSaturationId), Qt::Key_Home);
  rig.receiveAll(audio);
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 288; ++x) {
      const QRgb p = rig.picture().pixel(x, y);
      ASSERT_TRUE(qRed(p) == qGreen(p) && qGreen(p) == qBlue(p)) << x << "," << y;
    }

  // Every control's setting arrives: compare with the engine run on the same settings.
  ReceiverRig other;
  QTest::keyClick(other.slider(kContrastId), Qt::Key_Up);
  other.slider(kBalanceId)->setSliderPosition(150);
  other.slider(kFineTuneId)->setSliderPosition(230);
  other.checkBox(kHorizontalFilterId)->click();
  other.checkBox(kVerticalInterpolationId)->click();
  other.checkBox(kHalfPixelId)->click();
  other.menu(kLargeId);
  other.receiveAll(audio);
  DemodSettings demod;
  demod.balance = -50;
  demod.fineHz = 0.6f;
  toggleHalfPixel(demod);
  DisplaySettings display;
  display.contrast = 179;
  display.horizontalFilter = true;
  display.verticalInterpolation = true;
  display.screenSize = ScreenSize::Large;
  EXPECT_EQ(other.picture(), chainPicture(audio, demod, display));
}

TEST(ReceiverWindow, NoiseFilterMenuOnlyChoosesTheStrengthAndTheBoxSwitchesIt) {
  ReceiverRig rig;
  rig.menu(kHeavyFilterId);
  EXPECT_EQ(rig.checkBox(kNoiseFilterId)->text(), "Noise filter (heavy)");
  EXPECT_FALSE(rig.checkBox(kNoiseFilterId)->isChecked());
  EXPECT_FALSE(rig.window.displaySettings().noiseFilter);
  EXPECT_EQ(rig.window.displaySettings().noiseWeights, kHeavyNoiseFilter);
  rig.menu(kMediumFilterId);
  EXPECT_EQ(rig.checkBox(kNoiseFilterId)->text(), "Noise filter (medium)");
  EXPECT_EQ(rig.window.displaySettings().noiseWeights, kMediumNoiseFilter);

  rig.checkBox(kNoiseFilterId)->click();
  EXPECT_TRUE(rig.window.displaySettings().noiseFilter);
  rig.menu(kLightFilterId);
  EXPECT_TRUE(rig.window.displaySettings().noiseFilter);
  EXPECT_TRUE(rig.checkBox(kNoiseFilterId)->isChecked());
  EXPECT_EQ(rig.checkBox(kNoiseFilterId)->text(), "Noise filter (light)");
  rig.checkBox(kNoiseFilterId)->click();
  EXPECT_FALSE(rig.window.displaySettings().noiseFilter);

  rig.checkBox(kHalfPixelId)->click();
  EXPECT_EQ(rig.window.demodSettings().windowOffsets, (std::array<int, 2>{0, 0}));
  rig.checkBox(kHalfPixelId)->click();
  EXPECT_EQ(rig.window.demodSettings().windowOffsets, (std::array<int, 2>{85, 170}));
}

TEST(ReceiverWindow, HelpAndAboutOpenBesideTheWindowAndPicturesKeepComing) {
  ReceiverRig rig;
  rig.window.show();
  rig.menu(kHelpId);
  auto* help = qobject_cast<QMessageBox*>(test::openBoxTitled(QStringLiteral("HELP notes")));
  ASSERT_NE(help, nullptr);
  EXPECT_FALSE(help->isModal());
  EXPECT_EQ(help->parent(), nullptr);
  EXPECT_EQ(help->icon(), QMessageBox::Information);
  const QStringList lines = help->text().split(QStringLiteral("\r\n"));
  ASSERT_EQ(lines.size(), 47);
  EXPECT_EQ(help->text().count('\n'), 46);  // every line break is a CR LF pair, none at the end
  EXPECT_EQ(lines[3], "4. Use 'Brightness Adjust' to adjust brightness variation across picture ");
  EXPECT_EQ(lines[22], QString(10, ' '));
  EXPECT_EQ(lines[46], "             indicates 2.100 kHz, with AFC locked to B56 sub-carrier.");

  rig.menu(kAboutId);
  auto* about = qobject_cast<QMessageBox*>(test::openBoxTitled(QStringLiteral("Mosaic TV")));
  ASSERT_NE(about, nullptr);
  EXPECT_FALSE(about->isModal());
  EXPECT_TRUE(
      about->text().startsWith("Multicarrier NBTV receiver, 48x48 pixels at 0.9fps\r\n\r\n"));
  EXPECT_EQ(about->text().split("\r\n").size(), 6);

  const long long before = rig.window.engine().runs();
  EXPECT_TRUE(rig.receive(colourfulAudio()));
  EXPECT_EQ(rig.window.engine().runs(), before + 1);

  rig.window.close();  // the notes go with the window
  QApplication::processEvents();
  EXPECT_EQ(test::openBoxTitled(QStringLiteral("HELP notes")), nullptr);
  EXPECT_EQ(test::openBoxTitled(QStringLiteral("Mosaic TV")), nullptr);
}

TEST(ReceiverWindow, AdjustInputStartsAnotherMixerEachTime) {
  ReceiverRig rig;
  rig.menu(kAdjustInputId);
  rig.menu(kAdjustInputId);
  EXPECT_EQ(rig.mixerStarts, 2);
}

// Hides the window and shows it again, which repaints it.
void rehide(QWidget& window) {
  window.hide();
  QTest::qWait(10);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::qWait(10);
}

TEST(ReceiverWindow, LargeKeepsThePictureAndSmallBlacksItUntilTheNextOne) {
  ReceiverRig rig;
  rig.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
  EXPECT_TRUE(isBlack(rig.picture()));
  const auto& audio = colourfulAudio();
  rig.receiveAll(audio);
  const QImage small = rig.picture();
  ASSERT_FALSE(isBlack(small));
  // What is on screen is the picture that `mosaic decode -o` would write.
  EXPECT_EQ(rig.window.pictureView()->grab().toImage().convertToFormat(QImage::Format_RGB888),
            small);

  rig.menu(kLargeId);
  EXPECT_EQ(rig.picture(), small);  // kept until the next buffer
  rig.receiveAll(audio);
  const QImage large = rig.picture();
  EXPECT_NE(large, small);
  rehide(rig.window);  // a repaint in the large view leaves the picture alone
  EXPECT_EQ(rig.picture(), large);

  rig.menu(kSmallId);
  EXPECT_TRUE(isBlack(rig.picture()));
  EXPECT_TRUE(isBlack(rig.window.pictureView()->grab().toImage()));
  rig.receive(std::vector<std::int16_t>(audio.begin(), audio.begin() + kCaptureSamples));
  EXPECT_FALSE(isBlack(rig.picture()));
  rehide(rig.window);  // and in the small view blacks it
  EXPECT_TRUE(isBlack(rig.picture()));
}

TEST(ReceiverWindow, ExitEndsReceptionAndReleasesTheDevice) {
  ReceiverRig rig;
  rig.window.show();
  EXPECT_EQ(rig.input.openRateHz, 9600);
  EXPECT_TRUE(rig.input.started);
  rig.menu(kExitId);
  EXPECT_FALSE(rig.window.isVisible());
  EXPECT_FALSE(rig.input.opened);
  EXPECT_FALSE(rig.receive(colourfulAudio()));
}

TEST(ReceiverWindow, WithoutASoundDeviceTheWindowStillWorks) {
  test::app();
  fakes::FakeAudioInput input;
  input.failOpen = true;
  testing::FakeMovieFiles files;
  ReceiverWindow window(input, files, ReceiverServices{});
  window.menuAction(kLargeId)->trigger();
  window.menuAction(kOpenFileId)->trigger();  // no dialog service: treated as cancelled
  EXPECT_EQ(window.displaySettings().screenSize, ScreenSize::Large);
  EXPECT_FALSE(window.recorder().fileOpen());
}

}  // namespace
}  // namespace mosaic
