// The receiver's remembered settings: what the store reads back from a file, good or damaged,
// and the window that shows them again after a normal close, or ignores them for a run from the
// defaults.

#include "receiver/app/receiver_settings_store.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/private_settings.h"

#include <gtest/gtest.h>

namespace mosaic {
namespace {

using namespace rx;
using test::PrivateSettings;
using test::ReceiverRig;

TEST(ReceiverSettingsStore, ReadsBackEveryValueItWrote) {
  PrivateSettings place("mosaicview");
  ReceiverSettings values;
  values.sliderPositions = {{kCoarseTuneId, 0}, {kFineTuneId, 400}, {kBrightnessId, 256},
                            {kContrastId, 17},  {kBalanceId, 123},  {kSaturationId, 399}};
  values.checkBoxes = {{kHalfPixelId, false},
                       {kNoiseFilterId, true},
                       {kHorizontalFilterId, true},
                       {kVerticalInterpolationId, false}};
  values.noiseStrength = kHeavyNoiseFilter;
  values.screenSize = ScreenSize::Large;
  values.movieFolder = place.folder();
  saveUserReceiverSettings(values);

  const ReceiverSettings back = loadUserReceiverSettings();
  EXPECT_EQ(back.sliderPositions, values.sliderPositions);
  EXPECT_EQ(back.checkBoxes, values.checkBoxes);
  EXPECT_EQ(back.noiseStrength, kHeavyNoiseFilter);
  EXPECT_EQ(back.screenSize, ScreenSize::Large);
  EXPECT_EQ(back.movieFolder, place.folder());

  // Values no longer set are removed rather than left behind from the run before.
  saveUserReceiverSettings(ReceiverSettings{});
  const ReceiverSettings none = loadUserReceiverSettings();
  EXPECT_TRUE(none.sliderPositions.empty());
  EXPECT_TRUE(none.checkBoxes.empty());
  EXPECT_FALSE(none.noiseStrength || none.screenSize || none.movieFolder);
}

TEST(ReceiverSettingsStore, ADamagedFileIsUsedValueByValue) {
  PrivateSettings place("mosaicview");
  place.writeFile(
      "[sliders]\n"
      "coarseTune=abc\n"        // not a number
      "fineTune=-1\n"           // below the range
      "brightness=257\n"        // above the range
      "contrast=1.5\n"          // not a whole number
      "colourBalance=10, 20\n"  // a list
      "saturation=123\n"        // good
      "[picture]\n"
      "halfPixel=yes\n"      // not a boolean
      "noiseFilter=true\n"   // good
      "filterHorizontal=\n"  // empty
      "noiseFilterStrength=extreme\n"
      "screenSize=large\n"  // good
      "[recorder]\n"
      "movieFolder=/no/such/folder/anywhere\n");
  const ReceiverSettings read = loadUserReceiverSettings();
  EXPECT_EQ(read.sliderPositions, (std::map<int, int>{{kSaturationId, 123}}));
  EXPECT_EQ(read.checkBoxes, (std::map<int, bool>{{kNoiseFilterId, true}}));
  EXPECT_FALSE(read.noiseStrength);
  EXPECT_EQ(read.screenSize, ScreenSize::Large);
  EXPECT_FALSE(read.movieFolder);

  // Not a settings file at all.
  place.writeFile(QByteArray("\x00\xff\x7f[[[=\n\x01=\xfe", 12) + QByteArray(5000, '\xc3'));
  const ReceiverSettings garbage = loadUserReceiverSettings();
  EXPECT_TRUE(garbage.sliderPositions.empty());
  EXPECT_TRUE(garbage.checkBoxes.empty());
}

// What the window shows, to compare two windows by.
struct Shown {
  std::map<int, int> sliders;
  std::map<int, bool> boxes;
  QString noiseText, tuning, balance, saturation;
  DemodSettings demod;
  DisplaySettings display;
};

Shown shown(const ReceiverRig& rig) {
  Shown s;
  for (int id : {kCoarseTuneId, kFineTuneId, kBrightnessId, kContrastId, kBalanceId, kSaturationId})
    s.sliders[id] = rig.slider(id)->value();
  for (int id : {kHalfPixelId, kNoiseFilterId, kHorizontalFilterId, kVerticalInterpolationId})
    s.boxes[id] = rig.checkBox(id)->isChecked();
  s.noiseText = rig.checkBox(kNoiseFilterId)->text();
  s.tuning = rig.text(kTuningValueId);
  s.balance = rig.text(kBalanceValueId);
  s.saturation = rig.text(kSaturationValueId);
  s.demod = rig.window.demodSettings();
  s.display = rig.window.displaySettings();
  return s;
}

void expectSame(const Shown& a, const Shown& b) {
  EXPECT_EQ(a.sliders, b.sliders);
  EXPECT_EQ(a.boxes, b.boxes);
  EXPECT_EQ(a.noiseText, b.noiseText);
  EXPECT_EQ(a.tuning, b.tuning);
  EXPECT_EQ(a.balance, b.balance);
  EXPECT_EQ(a.saturation, b.saturation);
  EXPECT_EQ(a.demod.coarseHz, b.demod.coarseHz);
  EXPECT_EQ(a.demod.fineHz, b.demod.fineHz);
  EXPECT_EQ(a.demod.balance, b.demod.balance);
  EXPECT_EQ(a.demod.windowOffsets, b.demod.windowOffsets);
  EXPECT_EQ(a.display.brightness, b.display.brightness);
  EXPECT_EQ(a.display.contrast, b.display.contrast);
  EXPECT_EQ(a.display.saturation, b.display.saturation);
  EXPECT_EQ(a.display.noiseFilter, b.display.noiseFilter);
  EXPECT_EQ(a.display.noiseWeights, b.display.noiseWeights);
  EXPECT_EQ(a.display.horizontalFilter, b.display.horizontalFilter);
  EXPECT_EQ(a.display.verticalInterpolation, b.display.verticalInterpolation);
  EXPECT_EQ(a.display.screenSize, b.display.screenSize);
}

// The user changes every kind of setting through the controls and menus.
void changeEverything(ReceiverRig& rig, const QString& movieFile) {
  rig.slider(kCoarseTuneId)->triggerAction(QSlider::SliderPageStepSub);
  for (int i = 0; i < 7; ++i) rig.slider(kFineTuneId)->triggerAction(QSlider::SliderSingleStepAdd);
  rig.slider(kBrightnessId)->triggerAction(QSlider::SliderSingleStepSub);
  rig.slider(kContrastId)->triggerAction(QSlider::SliderPageStepAdd);
  rig.slider(kBalanceId)->triggerAction(QSlider::SliderToMinimum);
  rig.slider(kSaturationId)->triggerAction(QSlider::SliderPageStepSub);
  for (int id : {kHalfPixelId, kNoiseFilterId, kHorizontalFilterId, kVerticalInterpolationId})
    rig.checkBox(id)->click();
  rig.menu(kMediumFilterId);
  rig.menu(kLargeId);
  rig.dialogAnswers.push_back(movieFile);
  rig.menu(kOpenFileId);
  rig.button(kCloseFileId)->click();
}

TEST(ReceiverSettingsWindow, SettingsChangedInTheWindowAreThereAfterANormalClose) {
  PrivateSettings place("mosaicview");
  const QString movieFile = place.folder() + QStringLiteral("/movies/first.49");
  QDir().mkpath(place.folder() + QStringLiteral("/movies"));
  Shown before;
  {
    ReceiverRig first(nullptr, true);
    changeEverything(first, movieFile);
    before = shown(first);
    first.window.close();
  }
  ReceiverRig second(nullptr, true);
  expectSame(shown(second), before);
  EXPECT_EQ(second.checkBox(kNoiseFilterId)->text(), QStringLiteral("Noise filter (medium)"));
  EXPECT_EQ(second.window.displaySettings().screenSize, ScreenSize::Large);
  second.menu(kOpenFileId);  // cancelled
  EXPECT_EQ(second.dialogFolder, place.folder() + QStringLiteral("/movies"));
}

TEST(ReceiverSettingsWindow, AFirstStartAndARunFromTheDefaultsShowTheStartState) {
  PrivateSettings place("mosaicview");
  ReceiverRig plain;
  const Shown startState = shown(plain);
  {
    ReceiverRig firstStart(nullptr, true);  // no settings file yet
    expectSame(shown(firstStart), startState);
    firstStart.menu(kOpenFileId);
    EXPECT_TRUE(firstStart.dialogFolder.isEmpty());  // the current folder
    changeEverything(firstStart, place.folder() + QStringLiteral("/a.49"));
    firstStart.window.close();
  }
  const QByteArray remembered = place.fileText();
  ASSERT_FALSE(remembered.isEmpty());
  {
    ReceiverRig fromDefaults;  // as the program's --defaults builds it
    expectSame(shown(fromDefaults), startState);
    fromDefaults.checkBox(kNoiseFilterId)->click();
    fromDefaults.window.close();
  }
  EXPECT_EQ(place.fileText(), remembered);
}

TEST(ReceiverSettingsWindow, ADamagedFileShowsItsGoodValuesAndStartValuesForTheRest) {
  PrivateSettings place("mosaicview");
  place.writeFile(
      "[sliders]\nbrightness=9999\nsaturation=0\ncoarseTune=-5\n"
      "[picture]\nnoiseFilter=true\nnoiseFilterStrength=3\nscreenSize=huge\n");
  ReceiverRig plain;
  const Shown startState = shown(plain);
  ReceiverRig rig(nullptr, true);
  const Shown now = shown(rig);
  EXPECT_EQ(now.sliders.at(kSaturationId), 0);
  EXPECT_EQ(now.saturation, QStringLiteral("0%"));
  EXPECT_EQ(now.display.saturation, 0);
  EXPECT_TRUE(now.display.noiseFilter);
  EXPECT_TRUE(rig.checkBox(kNoiseFilterId)->isChecked());
  EXPECT_EQ(now.sliders.at(kBrightnessId), startState.sliders.at(kBrightnessId));
  EXPECT_EQ(now.sliders.at(kCoarseTuneId), startState.sliders.at(kCoarseTuneId));
  EXPECT_EQ(now.display.noiseWeights, kLightNoiseFilter);
  EXPECT_EQ(now.display.screenSize, ScreenSize::Small);
}

}  // namespace
}  // namespace mosaic
