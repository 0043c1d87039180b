// The receiver window as the user meets it: its controls and menus at start, the sliders with
// their value labels, the check boxes and noise-filter menu, the notes boxes, the mixer, and
// the picture area's behaviour on "Small", "Large" and repaints.

#include "platform/dialog_units.h"
#include "receiver/app/picture_image.h"
#include "receiver/core/receiver_engine.h"
#include "tests/receiver/test_signals.h"
#include "tests/receiver_app/receiver_rig.h"

#include <QMenu>
#include <QMenuBar>
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

TEST(ReceiverWindow, StartsWithEveryControlInPlaceAndInItsStartState) {
  ReceiverRig rig;
  rig.window.show();
  EXPECT_EQ(rig.window.windowTitle(),
            QStringLiteral("Multi-carrier Colour/Monochrome TV receiver (Voxlane+)"));
  // The specified 260 x 300 dialog units, grown by the tuning display below the controls.
  EXPECT_EQ(rig.window.centralWidget()->size(), QSize(390, 548));
  EXPECT_FALSE(rig.window.windowIcon().isNull());
  EXPECT_EQ(rig.window.pictureView()->geometry(), QRect(0, 0, 288, 192));

  struct Expected {
    int id;
    const char* text;
    QRect du;
  };
  const Expected dialogControls[] = {
      {kOpenFileId, "Open file to save", {135, 210, 65, 17}},
      {kCloseFileId, "Close file", {200, 210, 35, 17}},
      {kSaveId, "Start save", {235, 210, 45, 17}},
      {kCounterId, "0 frames saved", {135, 228, 170, 14}},
      {kCoarseCaptionId, "----Coarse Tune----", {205, 138, 60, 10}},
      {kFineCaptionId, "-----Fine Tune-----", {35, 138, 60, 10}},
      {kTuningValueId, "0.0 Hz", {135, 125, 30, 10}},
      {kNoiseFilterId, "Noise filter (light)", {195, 36, 90, 14}},
      {kHorizontalFilterId, "Filter horizontal pix", {195, 24, 90, 14}},
      {kVerticalInterpolationId, "Interpolate vertical pix", {195, 12, 90, 14}},
      {kHalfPixelId, "+ half pixel", {195, 0, 70, 14}},
      {kBalanceValueId, "67", {135, 160, 60, 10}},
      {kSaturationValueId, "100%", {135, 198, 60, 10}},
  };
  for (const Expected& e : dialogControls) {
    QWidget* w = rig.window.control(e.id);
    ASSERT_NE(w, nullptr) << e.id;
    EXPECT_EQ(w->property(kIdProperty).toInt(), e.id);
    const QString text =
        rig.label(e.id) ? rig.label(e.id)->text() : qobject_cast<QAbstractButton*>(w)->text();
    EXPECT_EQ(text, QString::fromLatin1(e.text)) << e.id;
    const QRect want = dialogRect(e.du.x(), e.du.y(), e.du.width(), e.du.height());
    if (rig.label(e.id)) {
      // Captions sit where the layout puts them and grow to the right when their text needs it.
      EXPECT_EQ(w->pos(), want.topLeft()) << e.id;
      EXPECT_EQ(w->height(), want.height()) << e.id;
      EXPECT_GE(w->width(), want.width()) << e.id;
      EXPECT_GE(w->width(), w->sizeHint().width()) << e.id;
    } else {
      EXPECT_EQ(w->geometry(), want) << e.id;
    }
  }
  EXPECT_TRUE(rig.button(kOpenFileId)->isEnabled());
  EXPECT_FALSE(rig.button(kCloseFileId)->isEnabled());
  EXPECT_FALSE(rig.button(kSaveId)->isEnabled());
  EXPECT_TRUE(rig.checkBox(kHalfPixelId)->isChecked());
  EXPECT_FALSE(rig.checkBox(kNoiseFilterId)->isChecked() ||
               rig.checkBox(kHorizontalFilterId)->isChecked() ||
               rig.checkBox(kVerticalInterpolationId)->isChecked());

  struct ExpectedSlider {
    int id;
    Qt::Orientation orientation;
    QRect pixels;
    int maximum;
    int position;
  };
  const ExpectedSlider sliders[] = {
      {kCoarseTuneId, Qt::Horizontal, {255, 195, 192, 27}, 400, 200},
      {kFineTuneId, Qt::Horizontal, {0, 195, 192, 27}, 400, 200},
      {kBrightnessId, Qt::Vertical, {315, 80, 24, 85}, 256, 256},
      {kContrastId, Qt::Vertical, {365, 80, 25, 85}, 256, 78},
      {kBalanceId, Qt::Horizontal, {0, 255, 192, 27}, 400, 267},
      {kSaturationId, Qt::Horizontal, {0, 315, 192, 27}, 400, 200},
  };
  for (const ExpectedSlider& e : sliders) {
    QSlider* s = rig.slider(e.id);
    ASSERT_NE(s, nullptr) << e.id;
    EXPECT_EQ(s->orientation(), e.orientation) << e.id;
    EXPECT_EQ(s->geometry(), e.pixels) << e.id;
    EXPECT_EQ(s->minimum(), 0) << e.id;
    EXPECT_EQ(s->maximum(), e.maximum) << e.id;
    EXPECT_EQ(s->value(), e.position) << e.id;
  }
  // Captions without ids.
  for (const char* caption : {"Brightness", "Contrast", "----Colour Balance----",
                              "MONO<---------Saturation--------->COLOUR"}) {
    bool found = false;
    for (QLabel* l : rig.window.findChildren<QLabel*>())
      found = found || l->text() == QLatin1String(caption);
    EXPECT_TRUE(found) << caption;
  }
  // No caption covers a control (it would hide it and take its clicks), and every caption's
  // text fits in the room it has.
  QWidget* client = rig.button(kOpenFileId)->parentWidget();
  for (QLabel* l : client->findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
    if (!l->isVisibleTo(client)) continue;  // the device status line, while there is none
    EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QLabel*>(w) || !w->isVisibleTo(client)) continue;
      EXPECT_FALSE(l->geometry().intersects(w->geometry()))
          << l->text().toStdString() << " covers " << w->metaObject()->className() << " at "
          << w->x() << "," << w->y();
    }
  }
  // The saturation caption ends left of "Open file to save": the button takes clicks over its
  // whole area, its left edge included.
  QPushButton* open = rig.button(kOpenFileId);
  for (int y = open->y(); y <= open->geometry().bottom(); ++y)
    for (int x = open->x(); x <= open->geometry().right(); ++x)
      ASSERT_EQ(client->childAt(x, y), open) << x << "," << y;
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

TEST(ReceiverWindow, MenuBarHasItsMenusItemsAndIdsInOrder) {
  ReceiverRig rig;
  struct Item {
    const char* text;  // "-" for a separator
    int id;
  };
  const std::vector<std::pair<const char*, std::vector<Item>>> expected = {
      {"&File",
       {{"&Open", kOpenFileId},
        {"-", 0},
        {"Save picture", kSavePictureId},
        {"Auto-save", kAutoSaveId},
        {"Received pictures", kReceivedPicturesId},
        {"-", 0},
        {"Sound &device...", kSoundDeviceId},
        {"-", 0},
        {"&Exit", kExitId}}},
      {"&Screen Size",
       {{"Small", kSmallId}, {"-", 0}, {"Large", kLargeId}, {"-", 0}, {"Aligned", kAlignedId}}},
      {"&Adjust input", {}},
      {"Noise filter",
       {{"Light filter", kLightFilterId},
        {"-", 0},
        {"Medium filter", kMediumFilterId},
        {"-", 0},
        {"Heavy filter", kHeavyFilterId}}},
      {"&Tuning",
       {{"Auto tune", kAutoTuneId},
        {"-", 0},
        {"Tune now", kTuneNowId},
        {"-", 0},
        {"Tuning display", kTuningDisplayId}}},
      {"&Help", {{"&Help", kHelpId}, {"-", 0}, {"&About", kAboutId}}},
  };
  const auto bar = rig.window.menuBar()->actions();
  ASSERT_EQ(bar.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t m = 0; m < expected.size(); ++m) {
    EXPECT_EQ(bar[m]->text(), QString::fromLatin1(expected[m].first));
    if (!bar[m]->menu()) {
      EXPECT_EQ(bar[m]->property(kIdProperty).toInt(), kAdjustInputId);
      continue;
    }
    const auto items = bar[m]->menu()->actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size())) << expected[m].first;
    for (std::size_t i = 0; i < expected[m].second.size(); ++i) {
      const Item& e = expected[m].second[i];
      if (std::string(e.text) == "-") {
        EXPECT_TRUE(items[i]->isSeparator());
      } else {
        EXPECT_EQ(items[i]->text(), QString::fromLatin1(e.text));
        EXPECT_EQ(items[i]->property(kIdProperty).toInt(), e.id);
      }
    }
  }
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
