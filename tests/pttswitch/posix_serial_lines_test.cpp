// The real serial lines on a pseudo-terminal, which opens and locks like a serial device but has
// modem-control lines only where the kernel emulates them.

#include "pttswitch/posix_serial_lines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <utility>

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
  std::string whyNot;
  ASSERT_TRUE(first.open(path_, whyNot));
  EXPECT_FALSE(second.open(path_, whyNot)) << "a held port must not open a second time";
  EXPECT_EQ(whyNot, path_ + " is already in use by another program.");
  first.close();
  EXPECT_TRUE(second.open(path_, whyNot)) << "a released port must open again";
}

TEST_F(PseudoTerminal, IsNotTakenForAPulledAdapterWhereItHasNoModemLines) {
  // A port that cannot report its lines is still there: reading them must not look like a
  // lost connection, or the switch would keep reopening a working port.
  PosixSerialLines lines;
  std::string whyNot;
  ASSERT_TRUE(lines.open(path_, whyNot));
  EXPECT_NE(lines.readLines(), PttReading::Unreachable);
}

TEST_F(PseudoTerminal, SetsEachLineOnItsOwn) {
  PosixSerialLines lines;
  std::string whyNot;
  ASSERT_TRUE(lines.open(path_, whyNot));
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
  const std::pair<std::string, std::string> cases[] = {
      {"/dev/mosaic-no-such-port", "There is no device /dev/mosaic-no-such-port."},
      {regularFile, std::string(regularFile) + " is not a serial port."},
  };
  for (const auto& [path, reason] : cases) {
    std::string whyNot;
    EXPECT_FALSE(lines.open(path, whyNot)) << path;
    EXPECT_EQ(whyNot, reason);
    EXPECT_FALSE(lines.isOpen()) << path;
  }
  EXPECT_FALSE(lines.setLine(ModemLine::Rts, true));
  ::unlink(regularFile);
}

TEST(PosixSerialLines, PermissionDeniedPointsToTheDialoutGroup) {
  if (::geteuid() == 0) GTEST_SKIP() << "root opens every device";
  char regularFile[] = "/tmp/pttswitch-test-XXXXXX";
  const int fd = ::mkstemp(regularFile);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ::chmod(regularFile, 0);
  PosixSerialLines lines;
  std::string whyNot;
  EXPECT_FALSE(lines.open(regularFile, whyNot));
  EXPECT_NE(whyNot.find("\"dialout\""), std::string::npos) << whyNot;
  ::unlink(regularFile);
}

}  // namespace
}  // namespace mosaic
