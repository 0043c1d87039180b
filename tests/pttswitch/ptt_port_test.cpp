#include "pttswitch/ptt_port.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/fake_serial_lines.h"

namespace mosaic {
namespace {

using Calls = std::vector<std::string>;

class PttPortTest : public ::testing::Test {
 protected:
  // Opens port "1", keys it if asked, and forgets the calls that took.
  void openPort(bool keyed) {
    ASSERT_TRUE(port.setComport("1"));
    if (keyed) port.transmit();
    lines.calls.clear();
  }

  fakes::FakeSerialLines lines;
  PttPort port{lines};
};

TEST_F(PttPortTest, OpensUnkeyedAndSetsDtrBeforeRtsEveryTime) {
  EXPECT_TRUE(port.setComport("1"));
  EXPECT_EQ(lines.calls, (Calls{"open /dev/ttyS0", "DTR off", "RTS off"}));
  EXPECT_FALSE(lines.dtr || lines.rts);

  lines.calls.clear();
  port.transmit();
  port.transmit();
  EXPECT_EQ(lines.calls, (Calls{"DTR on", "RTS on", "DTR on", "RTS on"}));
  EXPECT_TRUE(lines.dtr && lines.rts);
  port.receive();
  port.receive();
  EXPECT_FALSE(lines.dtr || lines.rts);
}

TEST_F(PttPortTest, SetComportUnkeysAndReleasesTheOldPortFirstWhetherOrNotItSucceeds) {
  openPort(true);
  EXPECT_TRUE(port.setComport("1"));
  EXPECT_EQ(lines.calls,
            (Calls{"DTR off", "RTS off", "close", "open /dev/ttyS0", "DTR off", "RTS off"}));

  port.transmit();
  lines.calls.clear();
  EXPECT_FALSE(port.setComport("2"));  // /dev/ttyS1 does not exist
  EXPECT_EQ(lines.calls, (Calls{"DTR off", "RTS off", "close", "open /dev/ttyS1"}));
  EXPECT_FALSE(port.isOpen());
  lines.calls.clear();
  port.transmit();
  EXPECT_TRUE(lines.calls.empty()) << "without a port, TX does nothing";
}

TEST_F(PttPortTest, ShutdownUnkeysBeforeReleasingOnce) {
  openPort(true);
  port.shutdown();
  port.shutdown();
  EXPECT_EQ(lines.calls, (Calls{"DTR off", "RTS off", "close"}));
}

TEST_F(PttPortTest, ARefusedLineDoesNotStopTheOther) {
  lines.refuseLines = true;
  openPort(false);
  port.transmit();
  EXPECT_EQ(lines.calls, (Calls{"DTR on", "RTS on"}));
}

}  // namespace
}  // namespace mosaic
