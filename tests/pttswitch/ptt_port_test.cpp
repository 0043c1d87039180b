#include "pttswitch/ptt_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_rig_control.h"
#include "tests/support/fake_serial_lines.h"

namespace mosaic {
namespace {

using Calls = std::vector<std::string>;

class PttPortTest : public ::testing::Test {
 protected:
  // Opens the port, keys it if asked, and forgets the calls that took.
  void openPort(bool keyed, const std::string& text = "1") {
    ASSERT_TRUE(setComport(text));
    if (keyed) port.transmit();
    lines.calls.clear();
    rig.calls.clear();
  }
  bool setComport(const std::string& text) { return port.setComport(text, whyNot); }

  fakes::FakeSerialLines lines;
  fakes::FakeRigControl rig;
  PttPort port{lines, rig};
  std::string whyNot;
};

TEST_F(PttPortTest, OpensUnkeyedAndSetsDtrBeforeRtsEveryTime) {
  EXPECT_TRUE(setComport("1"));
  EXPECT_EQ(lines.calls, (Calls{"open /dev/ttyS0", "DTR off", "RTS off"}));
  EXPECT_FALSE(lines.dtr || lines.rts);

  lines.calls.clear();
  port.transmit();
  port.transmit();
  EXPECT_EQ(lines.calls, (Calls{"DTR on", "RTS on", "DTR on", "RTS on"}));
  EXPECT_TRUE(lines.dtr && lines.rts);
  EXPECT_EQ(port.readBack(), PttReading::Keyed);
  port.receive();
  port.receive();
  EXPECT_FALSE(lines.dtr || lines.rts);
  EXPECT_EQ(port.readBack(), PttReading::Unkeyed);
  EXPECT_TRUE(rig.calls.empty());
}

TEST_F(PttPortTest, SetComportUnkeysAndReleasesTheOldPortFirstWhetherOrNotItSucceeds) {
  openPort(true);
  EXPECT_TRUE(setComport("1"));
  EXPECT_EQ(lines.calls,
            (Calls{"DTR off", "RTS off", "close", "open /dev/ttyS0", "DTR off", "RTS off"}));

  port.transmit();
  lines.calls.clear();
  EXPECT_FALSE(setComport("2"));  // /dev/ttyS1 does not exist
  EXPECT_EQ(lines.calls, (Calls{"DTR off", "RTS off", "close", "open /dev/ttyS1"}));
  EXPECT_EQ(whyNot, "There is no device /dev/ttyS1.");
  EXPECT_FALSE(port.isOpen());
  lines.calls.clear();
  port.transmit();
  EXPECT_TRUE(lines.calls.empty()) << "without a port, TX does nothing";

  EXPECT_FALSE(setComport("COM1"));
  EXPECT_NE(whyNot.find("names no serial port"), std::string::npos) << whyNot;
}

TEST_F(PttPortTest, SwitchingBetweenSerialAndRigUnkeysTheOneLetGo) {
  openPort(true);
  EXPECT_TRUE(setComport("rigctld"));
  EXPECT_EQ(lines.calls, (Calls{"DTR off", "RTS off", "close"}));
  EXPECT_EQ(rig.calls, (Calls{"open 2 localhost:4532", "PTT off"}));
  port.transmit();
  EXPECT_TRUE(rig.keyed);
  EXPECT_EQ(port.readBack(), PttReading::Keyed);
  rig.calls.clear();
  EXPECT_TRUE(setComport("1"));
  EXPECT_EQ(rig.calls, (Calls{"PTT off", "close"}));
  EXPECT_FALSE(rig.keyed);
}

TEST_F(PttPortTest, ShutdownUnkeysBeforeReleasingOnce) {
  openPort(true);
  EXPECT_TRUE(port.shutdown());
  EXPECT_TRUE(port.shutdown());
  EXPECT_EQ(lines.calls, (Calls{"DTR off", "RTS off", "close"}));
}

TEST_F(PttPortTest, ARefusedLineDoesNotStopTheOther) {
  lines.refuseLines = true;
  openPort(false);
  port.transmit();
  EXPECT_EQ(lines.calls, (Calls{"DTR on", "RTS on"}));
}

TEST_F(PttPortTest, ARigLostWhileKeyedIsUnkeyedAsSoonAsItIsBack) {
  openPort(true, "rigctld");
  rig.reachable = false;
  EXPECT_EQ(port.watchConnection(), ConnectionChange::LostWhileKeyed);
  EXPECT_TRUE(port.connectionLost() && port.mayBeKeyed() && port.isOpen());
  EXPECT_EQ(port.watchConnection(), ConnectionChange::None) << "still away";
  port.receive();  // cannot get through: the radio stays possibly keyed
  EXPECT_TRUE(port.mayBeKeyed());

  rig.reachable = true;
  rig.calls.clear();
  EXPECT_EQ(port.watchConnection(), ConnectionChange::Restored);
  EXPECT_EQ(rig.calls, (Calls{"open 2 localhost:4532", "PTT off"}));
  EXPECT_FALSE(rig.keyed || port.connectionLost() || port.mayBeKeyed());
  EXPECT_EQ(port.watchConnection(), ConnectionChange::None);
}

TEST_F(PttPortTest, ALostConnectionIsNoticedByTheKeyingCommandItself) {
  openPort(false, "rigctld");
  rig.reachable = false;
  port.transmit();
  EXPECT_TRUE(port.connectionLost() && port.mayBeKeyed());
  rig.reachable = true;
  EXPECT_EQ(port.watchConnection(), ConnectionChange::Restored);
  EXPECT_FALSE(rig.keyed);
}

TEST_F(PttPortTest, ShutdownTriesALostConnectionOnceAndSaysWhetherTheRadioIsUnkeyed) {
  openPort(true, "rigctld");
  rig.reachable = false;
  port.watchConnection();
  EXPECT_FALSE(port.shutdown()) << "the radio could not be unkeyed";
  EXPECT_FALSE(port.isOpen());

  rig.reachable = true;
  openPort(true, "rigctld");
  rig.reachable = false;
  port.watchConnection();
  rig.reachable = true;
  EXPECT_TRUE(port.shutdown());
  EXPECT_FALSE(rig.keyed);
  EXPECT_FALSE(rig.isOpen());
}

TEST_F(PttPortTest, APulledSerialAdapterIsReopenedAndUnkeyedWhenItReturns) {
  lines.devices = {"/dev/ttyUSB0"};
  openPort(true, "ttyUSB0");
  lines.devices.clear();
  EXPECT_EQ(port.watchConnection(), ConnectionChange::LostWhileKeyed);
  EXPECT_EQ(lines.calls, (Calls{"close"}));
  lines.devices = {"/dev/ttyUSB0"};
  lines.calls.clear();
  EXPECT_EQ(port.watchConnection(), ConnectionChange::Restored);
  // Reopening raises both lines on Linux; they are dropped at once.
  EXPECT_EQ(lines.calls, (Calls{"open /dev/ttyUSB0", "DTR off", "RTS off"}));
  EXPECT_FALSE(lines.dtr || lines.rts);
}

}  // namespace
}  // namespace mosaic
