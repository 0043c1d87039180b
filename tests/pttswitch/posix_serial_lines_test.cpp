// The real serial lines on a pseudo-terminal, which opens and locks like a serial device but has
// modem-control lines only where the kernel emulates them.

#include "pttswitch/posix_serial_lines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace mosaic {
namespace {

class PseudoTerminal : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
      GTEST_SKIP() << "no pseudo-terminals available";
    }
    path_ = ::ptsname(master_);
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
  }

  int master_ = -1;
  std::string path_;
};

TEST_F(PseudoTerminal, IsHeldExclusivelyUntilClosed) {
  PosixSerialLines first;
  PosixSerialLines second;
  ASSERT_TRUE(first.open(path_));
  EXPECT_FALSE(second.open(path_)) << "a held port must not open a second time";
  first.close();
  EXPECT_TRUE(second.open(path_)) << "a released port must open again";
}

TEST_F(PseudoTerminal, SetsEachLineOnItsOwn) {
  PosixSerialLines lines;
  ASSERT_TRUE(lines.open(path_));
  if (!lines.setLine(ModemLine::Dtr, true) || !lines.modemControlBits()) {
    GTEST_SKIP() << "this kernel's pseudo-terminals have no modem-control lines";
  }
  ASSERT_TRUE(lines.setLine(ModemLine::Rts, false));
  EXPECT_EQ(*lines.modemControlBits() & (TIOCM_DTR | TIOCM_RTS), TIOCM_DTR);
  ASSERT_TRUE(lines.setLine(ModemLine::Rts, true));
  ASSERT_TRUE(lines.setLine(ModemLine::Dtr, false));
  EXPECT_EQ(*lines.modemControlBits() & (TIOCM_DTR | TIOCM_RTS), TIOCM_RTS);
}

TEST(PosixSerialLines, RefusesWhatIsNoSerialDevice) {
  char regularFile[] = "/tmp/pttswitch-test-XXXXXX";
  const int fd = ::mkstemp(regularFile);
  ASSERT_GE(fd, 0);
  ::close(fd);

  PosixSerialLines lines;
  for (const std::string& path :
       {std::string("/dev/mosaic-no-such-port"), std::string(regularFile)}) {
    EXPECT_FALSE(lines.open(path)) << path;
    EXPECT_FALSE(lines.isOpen()) << path;
  }
  EXPECT_FALSE(lines.setLine(ModemLine::Rts, true));
  ::unlink(regularFile);
}

}  // namespace
}  // namespace mosaic
