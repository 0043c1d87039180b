// Keying through Hamlib against a real rigctld with the dummy rig, checked by asking rigctld
// itself on a connection of its own.

#include "pttswitch/hamlib_rig_control.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <string>

#include "pttswitch/ptt_port.h"
#include "tests/support/dropping_proxy.h"
#include "tests/support/fake_serial_lines.h"
#include "tests/support/rigctld_daemon.h"

namespace mosaic {
namespace {

class RigctldKeying : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(daemon.start()) << "rigctld (libhamlib-utils) did not start";
    // Hamlib gives up on a rigctld that is slow to answer its opening questions, as a just
    // started one on a busy machine can be; a user would try again, and so does the test.
    bool open = false;
    for (int attempt = 0; attempt < 3 && !open; ++attempt) {
      if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(200));
      open = port.setComport(daemon.portText(), whyNot);
    }
    ASSERT_TRUE(open) << whyNot;
  }

  test::RigctldDaemon daemon;
  fakes::FakeSerialLines lines;
  HamlibRigControl rig;
  PttPort port{lines, rig};
  std::string whyNot;
};

TEST_F(RigctldKeying, KeysUnkeysAndReadsTheStateBack) {
  EXPECT_EQ(daemon.radioKeyed(), false);
  port.transmit();
  EXPECT_EQ(daemon.radioKeyed(), true);
  EXPECT_EQ(port.readBack(), PttReading::Keyed);
  port.receive();
  EXPECT_EQ(daemon.radioKeyed(), false);
  EXPECT_EQ(port.readBack(), PttReading::Unkeyed);
  EXPECT_TRUE(lines.calls.empty()) << "no serial line is touched";
}

TEST_F(RigctldKeying, ShutdownUnkeys) {
  port.transmit();
  ASSERT_EQ(daemon.radioKeyed(), true);
  EXPECT_TRUE(port.shutdown());
  EXPECT_EQ(daemon.radioKeyed(), false);
  EXPECT_FALSE(rig.isOpen());
}

TEST_F(RigctldKeying, ADaemonKilledWhileKeyedIsReportedAndTheRadioUnkeyedWhenItIsBack) {
  port.transmit();
  daemon.kill();
  EXPECT_EQ(port.watchConnection(), ConnectionChange::LostWhileKeyed);
  EXPECT_EQ(port.watchConnection(), ConnectionChange::None) << "nobody there yet";

  ASSERT_TRUE(daemon.start());
  // A real transceiver behind the new rigctld would still be transmitting.
  ASSERT_TRUE(daemon.keyRadio());
  // Pttswitch watches once a second; a rigctld just started may miss the first attempt.
  ConnectionChange change = ConnectionChange::None;
  for (int attempt = 0; attempt < 20 && change == ConnectionChange::None; ++attempt) {
    change = port.watchConnection();
    if (change == ConnectionChange::None)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(change, ConnectionChange::Restored);
  EXPECT_EQ(daemon.radioKeyed(), false);
  EXPECT_FALSE(port.mayBeKeyed());
  port.transmit();
  EXPECT_EQ(daemon.radioKeyed(), true) << "keying works again on the new connection";
}

TEST(HamlibRigControl, SaysWhyARigCannotBeOpened) {
  test::RigctldDaemon nobodyListening;
  HamlibRigControl rig;
  std::string whyNot;
  EXPECT_FALSE(rig.open({kRigctldModel, nobodyListening.hostAndPort(), 0}, whyNot));
  EXPECT_EQ(whyNot,
            "Hamlib cannot open rigctld at " + nobodyListening.hostAndPort() + ": IO error.");
  EXPECT_FALSE(rig.open({999999, "/dev/null", 0}, whyNot));
  EXPECT_EQ(whyNot, "Hamlib knows no rig model 999999.");
  EXPECT_FALSE(rig.open({3073, "/dev/mosaic-no-such-port", 19200}, whyNot));
  // Said without asking Hamlib, which would wait two seconds and then report an "IO error".
  EXPECT_EQ(whyNot, "There is no device /dev/mosaic-no-such-port.");
  EXPECT_FALSE(rig.isOpen());
  EXPECT_EQ(rig.readPtt(), PttReading::Unreachable);
}

// A rigctld that has just seen a client leave can reset the next connection at its first
// question; the opening asks once more and gets through.
TEST(HamlibRigControl, ARigctldThatDropsTheFirstConnectionIsOpenedAtTheNextAttempt) {
  test::RigctldDaemon daemon;
  ASSERT_TRUE(daemon.start());
  test::DroppingProxy proxy(daemon.port());
  HamlibRigControl rig;
  std::string whyNot;
  ASSERT_TRUE(rig.open({kRigctldModel, "127.0.0.1:" + std::to_string(proxy.port()), 0}, whyNot))
      << whyNot;
  EXPECT_EQ(proxy.connections(), 2);
  std::string refusal;
  EXPECT_TRUE(rig.setPtt(true, refusal));
  EXPECT_EQ(daemon.radioKeyed(), true);
  EXPECT_TRUE(rig.setPtt(false, refusal));
  EXPECT_EQ(daemon.radioKeyed(), false);
  rig.close();
}

TEST(HamlibRigControl, ARigctldThatCannotKeySaysWhy) {
  test::RigctldDaemon daemon;
  ASSERT_TRUE(daemon.start(false));
  fakes::FakeSerialLines lines;
  HamlibRigControl rig;
  PttPort port{lines, rig};
  std::string whyNot;
  ASSERT_TRUE(port.setComport(daemon.portText(), whyNot)) << whyNot;
  port.transmit();
  EXPECT_EQ(port.refusal(),
            "The radio did not accept the command to key: Invalid parameter. Is rigctld started "
            "with the radio's keying method (-P)?");
  EXPECT_NE(port.readBack(), PttReading::Keyed);
  EXPECT_FALSE(port.connectionLost()) << "a refusal is not a lost connection";
}

TEST(HamlibRigControl, ARigThatCannotKeyConfirmsNothing) {
  // Hamlib's dummy rig opened directly has no keying of its own.
  fakes::FakeSerialLines lines;
  HamlibRigControl rig;
  PttPort port{lines, rig};
  std::string whyNot;
  ASSERT_TRUE(port.setComport("hamlib:1@/dev/null", whyNot)) << whyNot;
  port.transmit();
  EXPECT_EQ(port.readBack(), PttReading::Unknown);
  EXPECT_FALSE(port.connectionLost()) << "a refusal is not a lost connection";
}

}  // namespace
}  // namespace mosaic
