// The radio's dial read through a real rigctld with Hamlib's dummy rig: the reading follows the
// radio, a radio that goes away is said once and found again, and a radio that is not there
// never holds up the station.

#include "station/rig_watch.h"

#include "tests/support/rigctld_daemon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

using std::chrono::milliseconds;

struct Reports {
  RigWatch::Report collect() {
    return [this](bool reachable, const std::string& why) {
      std::lock_guard<std::mutex> hold(lock);
      seen.push_back(reachable ? "reachable" : "away: " + why);
    };
  }
  std::vector<std::string> list() {
    std::lock_guard<std::mutex> hold(lock);
    return seen;
  }
  std::mutex lock;
  std::vector<std::string> seen;
};

template <typename Done>
bool waitUntil(Done done) {
  for (int i = 0; i < 400; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(milliseconds(25));
  }
  return false;
}

const RigWatch::Timing kQuick{milliseconds(100), milliseconds(200)};

TEST(RigWatch, FollowsTheDialAndTheRadioGoingAwayAndComingBack) {
  test::RigctldDaemon daemon;
  ASSERT_TRUE(daemon.start()) << "rigctld (libhamlib-utils) did not start";
  ASSERT_EQ(daemon.tell("F 14230000"), "RPRT 0");
  ASSERT_EQ(daemon.tell("M USB 2400"), "RPRT 0");
  Reports reports;
  RigWatch watch(*rigAddressForText(daemon.portText()), reports.collect(), kQuick);
  ASSERT_TRUE(waitUntil([&] { return watch.latest().has_value(); }));
  EXPECT_EQ(*watch.latest(), (DialReading{14230000.0, "USB"}));

  ASSERT_EQ(daemon.tell("F 7040000"), "RPRT 0");
  EXPECT_TRUE(
      waitUntil([&] { return watch.latest() && watch.latest()->frequencyHz == 7040000.0; }));

  daemon.kill();
  ASSERT_TRUE(waitUntil([&] { return !watch.latest().has_value(); }));
  std::this_thread::sleep_for(milliseconds(600));  // several attempts, one report
  ASSERT_TRUE(daemon.start());
  EXPECT_TRUE(waitUntil([&] { return watch.latest().has_value(); }));
  watch.stop();
  const auto seen = reports.list();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0], "reachable");
  EXPECT_EQ(seen[1].rfind("away: ", 0), 0u);
  EXPECT_GT(seen[1].size(), 10u) << "with a reason";
  EXPECT_EQ(seen[2], "reachable");
}

TEST(RigWatch, ARadioThatIsNotThereNeverHoldsUpTheStation) {
  test::RigctldDaemon nobody;  // its port, with nothing listening
  Reports reports;
  const auto start = std::chrono::steady_clock::now();
  RigWatch watch(*rigAddressForText(nobody.portText()), reports.collect(), kQuick);
  for (int i = 0; i < 20; ++i) {
    EXPECT_FALSE(watch.latest().has_value());
    std::this_thread::sleep_for(milliseconds(50));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
  watch.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(6000));
  const auto seen = reports.list();
  ASSERT_EQ(seen.size(), 1u) << "said once, however often it was tried";
  EXPECT_NE(seen[0].find("rigctld at 127.0.0.1:"), std::string::npos) << seen[0];
}

}  // namespace
}  // namespace mosaic::station
