// The radio's dial read through a real rigctld with Hamlib's dummy rig: the reading follows the
// radio, a radio that goes away is said once and found again, and a radio that is not there
// never holds up the station.

#include "station/rig_watch.h"

#include "tests/support/rigctld_daemon.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace mosaic::station {
namespace {

using std::chrono::milliseconds;

// Waits up to 10 s for `done`.
template <typename Done>
bool waitUntil(Done done) {
  for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(milliseconds(25));
  return done();
}

struct Watched {
  explicit Watched(const std::string& portText)
      : watch(*rigAddressForText(portText),
              [this](bool reachable, const std::string& why) {
                std::lock_guard<std::mutex> hold(lock);
                reports.push_back(reachable ? "reachable" : "away: " + why);
              },
              {milliseconds(100), milliseconds(200)}) {}
  std::vector<std::string> said() {
    std::lock_guard<std::mutex> hold(lock);
    return reports;
  }
  std::mutex lock;
  std::vector<std::string> reports;
  RigWatch watch;
};

TEST(RigWatch, FollowsTheDialAndTheRadioGoingAwayAndComingBack) {
  test::RigctldDaemon daemon;
  ASSERT_TRUE(daemon.start()) << "rigctld (libhamlib-utils) did not start";
  ASSERT_EQ(daemon.tell("F 14230000"), "RPRT 0");
  ASSERT_EQ(daemon.tell("M USB 2400"), "RPRT 0");
  Watched w(daemon.portText());
  ASSERT_TRUE(waitUntil([&] { return w.watch.latest().has_value(); }));
  EXPECT_EQ(*w.watch.latest(), (DialReading{14230000.0, "USB"}));
  ASSERT_EQ(daemon.tell("F 7040000"), "RPRT 0");
  EXPECT_TRUE(
      waitUntil([&] { return w.watch.latest() && w.watch.latest()->frequencyHz == 7040000.0; }));

  daemon.kill();
  ASSERT_TRUE(waitUntil([&] { return !w.watch.latest().has_value(); }));
  std::this_thread::sleep_for(milliseconds(600));  // several attempts, one report
  ASSERT_TRUE(daemon.start());
  EXPECT_TRUE(waitUntil([&] { return w.watch.latest().has_value(); }));
  w.watch.stop();
  const auto said = w.said();
  ASSERT_EQ(said.size(), 3u);
  EXPECT_EQ(said[0], "reachable");
  EXPECT_GT(said[1].size(), 10u) << "away, with a reason: " << said[1];
  EXPECT_EQ(said[2], "reachable");
}

TEST(RigWatch, ARadioThatIsNotThereNeverHoldsUpTheStation) {
  test::RigctldDaemon nobody;  // its port, with nothing listening
  const auto start = std::chrono::steady_clock::now();
  Watched w(nobody.portText());
  for (int i = 0; i < 20; ++i, std::this_thread::sleep_for(milliseconds(50)))
    EXPECT_FALSE(w.watch.latest().has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(1500));
  w.watch.stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, milliseconds(6000));
  ASSERT_EQ(w.said().size(), 1u) << "said once, however often it was tried";
  EXPECT_NE(w.said()[0].find("rigctld at 127.0.0.1:"), std::string::npos) << w.said()[0];
}

}  // namespace
}  // namespace mosaic::station
