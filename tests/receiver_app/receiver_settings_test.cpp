// The receiver's remembered settings: what the store reads back from a file, good or damaged,
// and the window that shows them again after a normal close, or ignores them for a run from the
// defaults.

#include "receiver/app/aligned_pictures.h"
#include "receiver/app/received_pictures_window.h"
#include "receiver/app/receiver_settings_store.h"
#include "receiver/app/tuning_panel.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/support/private_settings.h"

#include <QCheckBox>
#include <QSpinBox>

#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

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
  values.autoTune = true;
  values.tuningDisplayShown = false;
  values.alignedView = true;
  values.autoSave = true;
  values.autoSaveEveryFrame = true;
  values.pictureFolder = place.folder() + QStringLiteral("/not made yet");
  values.autoSaveSnrDb = 22;
  values.combining = true;
  values.combinedFrames = 16;
  saveUserReceiverSettings(values);

  const ReceiverSettings back = loadUserReceiverSettings();
  EXPECT_EQ(back.sliderPositions, values.sliderPositions);
  EXPECT_EQ(back.checkBoxes, values.checkBoxes);
  EXPECT_EQ(back.noiseStrength, kHeavyNoiseFilter);
  EXPECT_EQ(back.screenSize, ScreenSize::Large);
  EXPECT_EQ(back.movieFolder, place.folder());
  EXPECT_EQ(back.autoTune, true);
  EXPECT_EQ(back.tuningDisplayShown, false);
  EXPECT_EQ(back.alignedView, true);
  EXPECT_EQ(back.autoSave, true);
  EXPECT_EQ(back.autoSaveEveryFrame, true);
  EXPECT_EQ(back.pictureFolder, values.pictureFolder);
  EXPECT_EQ(back.autoSaveSnrDb, 22);
  EXPECT_EQ(back.combining, true);
  EXPECT_EQ(back.combinedFrames, 16);

  // Values no longer set are removed rather than left behind from the run before.
  saveUserReceiverSettings(ReceiverSettings{});
  const ReceiverSettings none = loadUserReceiverSettings();
  EXPECT_TRUE(none.sliderPositions.empty());
  EXPECT_TRUE(none.checkBoxes.empty());
  EXPECT_FALSE(none.noiseStrength || none.screenSize || none.movieFolder || none.autoTune ||
               none.tuningDisplayShown || none.alignedView || none.autoSave ||
               none.autoSaveEveryFrame || none.pictureFolder || none.autoSaveSnrDb ||
               none.combining || none.combinedFrames);
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
      "screenSize=large\n"   // good
      "combinedFrames=17\n"  // above the range
      "[recorder]\n"
      "movieFolder=/no/such/folder/anywhere\n"
      "[pictures]\n"
      "folder=relative/pictures\n"  // not a full path
      "autoSaveSnrDb=99\n");        // above the range
  const ReceiverSettings read = loadUserReceiverSettings();
  EXPECT_EQ(read.sliderPositions, (std::map<int, int>{{kSaturationId, 123}}));
  EXPECT_EQ(read.checkBoxes, (std::map<int, bool>{{kNoiseFilterId, true}}));
  EXPECT_FALSE(read.noiseStrength);
  EXPECT_EQ(read.screenSize, ScreenSize::Large);
  EXPECT_FALSE(read.movieFolder);
  EXPECT_FALSE(read.pictureFolder);
  EXPECT_FALSE(read.autoSaveSnrDb);
  EXPECT_FALSE(read.combinedFrames);
  const QString file = place.folder() + QStringLiteral("/a file");
  QFile aFile(file);
  ASSERT_TRUE(aFile.open(QIODevice::WriteOnly));
  aFile.close();
  place.writeFile("[pictures]\nfolder=" + file.toUtf8() + "\n");  // a file, not a folder
  EXPECT_FALSE(loadUserReceiverSettings().pictureFolder);

  // Not a settings file at all.
  place.writeFile(QByteArray("\x00\xff\x7f[[[=\n\x01=\xfe", 12) + QByteArray(5000, '\xc3'));
  const ReceiverSettings garbage = loadUserReceiverSettings();
  EXPECT_TRUE(garbage.sliderPositions.empty());
  EXPECT_TRUE(garbage.checkBoxes.empty());
}

// What the window shows, and the settings behind it, to compare two windows by.
auto shown(const ReceiverRig& rig) {
  std::vector<int> positions;
  for (int id : {kCoarseTuneId, kFineTuneId, kBrightnessId, kContrastId, kBalanceId, kSaturationId})
    positions.push_back(rig.slider(id)->value());
  std::vector<bool> boxes;
  for (int id : {kHalfPixelId, kNoiseFilterId, kHorizontalFilterId, kVerticalInterpolationId})
    boxes.push_back(rig.checkBox(id)->isChecked());
  const QStringList texts = {rig.checkBox(kNoiseFilterId)->text(), rig.text(kTuningValueId),
                             rig.text(kBalanceValueId), rig.text(kSaturationValueId)};
  const DemodSettings& d = rig.window.demodSettings();
  const DisplaySettings& v = rig.window.displaySettings();
  return std::tuple(positions, boxes, texts, d.coarseHz, d.fineHz, d.balance, d.windowOffsets,
                    v.brightness, v.contrast, v.saturation, v.noiseFilter, v.noiseWeights,
                    v.horizontalFilter, v.verticalInterpolation, v.screenSize);
}
using Shown = decltype(shown(std::declval<ReceiverRig&>()));

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
  rig.menu(kAutoTuneId);
  rig.menu(kTuningDisplayId);
  rig.menu(kAlignedId);
  rig.menu(kAutoSaveId);
  rig.window.alignedPictures()->setFolderChooser(
      [movieFile](QWidget*, const QString&) { return QFileInfo(movieFile).absolutePath(); });
  rig.window.alignedPictures()->chooseFolder();
  rig.window.alignedPictures()->setAutoSaveSnrDb(9);
  rig.window.alignedPictures()->showReceivedPictures();
  rig.window.alignedPictures()->receivedPicturesWindow()->everyFrameBox()->click();
  rig.checkBox(kCombineFramesId)->click();
  qobject_cast<QSpinBox*>(rig.window.control(kCombinedFramesId))->setValue(5);
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
  EXPECT_TRUE(shown(second) == before);
  EXPECT_EQ(second.checkBox(kNoiseFilterId)->text(), QStringLiteral("Noise filter (medium)"));
  EXPECT_EQ(second.window.displaySettings().screenSize, ScreenSize::Large);
  EXPECT_TRUE(second.window.autoTuning());
  EXPECT_FALSE(second.window.tuningPanel()->isVisibleTo(&second.window));
  EXPECT_FALSE(second.window.menuAction(kTuningDisplayId)->isChecked());
  EXPECT_TRUE(second.window.menuAction(kAlignedId)->isChecked());
  EXPECT_TRUE(second.window.menuAction(kAutoSaveId)->isChecked());
  EXPECT_EQ(second.window.alignedPictures()->folder(), QFileInfo(movieFile).absolutePath());
  EXPECT_EQ(second.window.alignedPictures()->autoSaveSnrDb(), 9);
  EXPECT_TRUE(second.window.alignedPictures()->autoSaveEveryFrame());
  EXPECT_TRUE(second.checkBox(kCombineFramesId)->isChecked());
  EXPECT_TRUE(second.window.engine().settings().combining.on);
  EXPECT_EQ(second.window.engine().settings().combining.frames, 5);
  second.menu(kOpenFileId);  // cancelled
  EXPECT_EQ(second.dialogFolder, place.folder() + QStringLiteral("/movies"));
}

TEST(ReceiverSettingsWindow, AFirstStartAndARunFromTheDefaultsShowTheStartState) {
  PrivateSettings place("mosaicview");
  ReceiverRig plain;
  const Shown startState = shown(plain);
  {
    ReceiverRig firstStart(nullptr, true);  // no settings file yet
    EXPECT_TRUE(shown(firstStart) == startState);
    firstStart.menu(kOpenFileId);
    EXPECT_TRUE(firstStart.dialogFolder.isEmpty());  // the current folder
    changeEverything(firstStart, place.folder() + QStringLiteral("/a.49"));
    firstStart.window.close();
  }
  const QByteArray remembered = place.fileText();
  ASSERT_FALSE(remembered.isEmpty());
  {
    ReceiverRig fromDefaults;  // as the program's --defaults builds it
    EXPECT_TRUE(shown(fromDefaults) == startState);
    fromDefaults.checkBox(kNoiseFilterId)->click();
    fromDefaults.window.close();
  }
  EXPECT_EQ(place.fileText(), remembered);
}

}  // namespace
}  // namespace mosaic
