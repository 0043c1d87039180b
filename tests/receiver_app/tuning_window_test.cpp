// The tuning display and automatic tuning in the receiver window: the estimate of a mistuned
// signal is shown while the sliders stay put, "Auto tune" and "Tune now" move the sliders onto
// it, moving a tuning slider by hand stops the following, and the display can be hidden.

#include "receiver/app/combining_row.h"
#include "receiver/app/spectrum_strip.h"
#include "receiver/app/tuning_panel.h"
#include "tests/receiver_app/receiver_rig.h"
#include "tests/receiver_app/transmitted_audio.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace mosaic {
namespace {

using namespace rx;
using test::ReceiverRig;

constexpr double kArrivesHighHz = 6.3;  // the signal arrives this much high: centred by -6.3

// Black with a white quarter and colour stripes: the picture's ends tell the offset apart from
// its neighbours 0.8 Hz away.
std::vector<std::int16_t> mistunedSignal(int frames) {
  auto planes = std::make_unique<PicturePlanes>();
  for (int c = 1; c <= 47; ++c)
    for (int r = 1; r <= 64; ++r) {
      planes->Y[c][r] = (c >= 25 && r >= 36) ? 7.96875f : 0.0f;
      planes->V[c][r] = (c % 12 < 6) ? 3.0f : -3.0f;
      planes->U[c][r] = (r % 20 < 10) ? 2.0f : -2.0f;
    }
  return test::receivedAudio(*planes, frames, kArrivesHighHz);
}

double sliderOffsetHz(const ReceiverRig& rig) {
  return (rig.slider(kCoarseTuneId)->value() - 200) / 10.0 +
         (rig.slider(kFineTuneId)->value() - 200) / 50.0;
}

TEST(TuningWindow, ShowsTheEstimateAndLeavesTheSlidersAloneUntilAsked) {
  ReceiverRig rig;
  rig.window.show();
  TuningPanel* panel = rig.window.tuningPanel();
  ASSERT_TRUE(panel->isVisible());
  rig.receiveAll(mistunedSignal(5));

  const TuningEstimate& e = rig.window.engine().tuning();
  ASSERT_TRUE(e.locked);
  EXPECT_NEAR(e.offsetHz, -kArrivesHighHz, 0.1);
  EXPECT_TRUE(panel->estimateLabel()->text().startsWith(QStringLiteral("Estimate -6.")))
      << panel->estimateLabel()->text().toStdString();
  EXPECT_EQ(rig.slider(kCoarseTuneId)->value(), 200);
  EXPECT_EQ(rig.slider(kFineTuneId)->value(), 200);
  EXPECT_EQ(rig.window.demodSettings().coarseHz, 0.0f);

  // Carrier 56's mark sits at 2100 Hz at the start tuning.
  const auto& marks = panel->wideView()->markers();
  ASSERT_EQ(marks.size(), 49u);
  bool found = false;
  for (const auto& m : marks) found = found || (m.width == 2 && m.hz == 2100.0);
  EXPECT_TRUE(found);

  rig.menu(kTuneNowId);
  EXPECT_NEAR(sliderOffsetHz(rig), -kArrivesHighHz, 0.12);
  EXPECT_NEAR(static_cast<double>(tuningOffsetHz(rig.window.demodSettings())), sliderOffsetHz(rig),
              1e-6);
  EXPECT_EQ(rig.text(kTuningValueId), QStringLiteral("-6.3 Hz"));
  EXPECT_FALSE(rig.window.autoTuning());
  // The marks follow the tuning: carrier 56 now shows where it arrives.
  for (const auto& m : panel->wideView()->markers()) {
    if (m.width == 2) {
      EXPECT_NEAR(m.hz, 2100.0 + kArrivesHighHz, 0.12);
    }
  }
}

TEST(TuningWindow, AutoTuneFollowsUntilATuningSliderIsMovedByHand) {
  ReceiverRig rig;
  rig.window.show();
  const auto audio = mistunedSignal(6);
  QCheckBox* box = rig.window.tuningPanel()->autoTuneBox();
  QTest::mouseClick(box, Qt::LeftButton);
  EXPECT_TRUE(rig.window.autoTuning());
  EXPECT_TRUE(rig.window.menuAction(kAutoTuneId)->isChecked());
  rig.receiveAll(audio);
  EXPECT_NEAR(sliderOffsetHz(rig), -kArrivesHighHz, 0.12);

  // The operator sets the brightness with the fine tune: following stops there.
  QTest::keyClick(rig.slider(kFineTuneId), Qt::Key_Right);
  EXPECT_FALSE(rig.window.autoTuning());
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(rig.window.menuAction(kAutoTuneId)->isChecked());
  const int fine = rig.slider(kFineTuneId)->value();
  rig.receiveAll(audio);
  EXPECT_EQ(rig.slider(kFineTuneId)->value(), fine);

  // The menu item switches it on again, and it tunes at once.
  rig.menu(kAutoTuneId);
  EXPECT_TRUE(box->isChecked());
  EXPECT_NEAR(sliderOffsetHz(rig), -kArrivesHighHz, 0.12);
}

TEST(TuningWindow, TheDisplayCanBeHiddenAndTheWindowKeepsItsOwnSizeThen) {
  ReceiverRig rig;
  rig.window.show();
  const int width = rig.window.centralWidget()->width();
  // "Combine frames" below the display.
  EXPECT_EQ(rig.window.centralWidget()->height(),
            kTuningPanelTop + kTuningPanelHeight + 4 + kCombiningRowHeight);
  rig.menu(kTuningDisplayId);
  EXPECT_FALSE(rig.window.tuningPanel()->isVisible());
  EXPECT_FALSE(rig.window.menuAction(kTuningDisplayId)->isChecked());
  EXPECT_EQ(rig.window.centralWidget()->size(), QSize(width, 488));  // 300 dialog units
  rig.menu(kTuningDisplayId);
  EXPECT_TRUE(rig.window.tuningPanel()->isVisible());
}

TEST(TuningWindow, EstimateTextsSaySearchingOrTheEstimate) {
  TuningEstimate e;
  EXPECT_EQ(estimateText(e), QStringLiteral("No estimate yet"));
  e.valid = true;
  e.offsetHz = 2.84;
  EXPECT_EQ(estimateText(e), QStringLiteral("Searching: roughly +2.8 Hz"));
  e.locked = true;
  e.offsetHz = -7.304;
  e.confidence = 0.978;
  e.clockPpm = -91.2;
  EXPECT_EQ(estimateText(e), QStringLiteral("Estimate -7.30 Hz, 98 % sure, clock -91 ppm"));
  e.offsetHz = -0.001;
  e.clockPpm = 0.2;
  EXPECT_EQ(estimateText(e), QStringLiteral("Estimate +0.00 Hz, 98 % sure, clock +0 ppm"));
}

}  // namespace
}  // namespace mosaic
