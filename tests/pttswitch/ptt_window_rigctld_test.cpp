// The window keying a real rigctld (dummy rig): what the operator sees, and that the radio is
// unkeyed whenever the program lets go of it.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <chrono>
#include <csignal>

#include "platform/shutdown_signal_watcher.h"
#include "pttswitch/hamlib_rig_control.h"
#include "pttswitch/ptt_window.h"
#include "tests/support/fake_serial_lines.h"
#include "tests/support/qt_app.h"
#include "tests/support/rigctld_daemon.h"

namespace mosaic {
namespace {

using namespace std::chrono_literals;

class WindowOnRigctld : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(daemon.start()) << "rigctld (libhamlib-utils) did not start";
    // A "minute" of 100 ms, and the connection looked at every 50 ms.
    window.safety().setTiming(100ms, 50ms);
    window.show();
    qobject_cast<QLineEdit*>(window.control(kPortTextId))
        ->setText(QString::fromStdString(daemon.portText()));
    button(kSetComportId)->click();
    ASSERT_EQ(failureReports, 0) << lastReason;
  }

  QPushButton* button(int id) { return qobject_cast<QPushButton*>(window.control(id)); }
  bool radioUnkeyedWithin(int ms) {
    return test::runUntil([this] { return daemon.radioKeyed() == false; }, ms);
  }

  QApplication& app = test::app();
  test::RigctldDaemon daemon;
  fakes::FakeSerialLines lines;
  HamlibRigControl rig;
  PttPort port{lines, rig};
  int failureReports = 0;
  std::string lastReason;
  PttWindow window{port, [this](const std::string& reason) {
                     ++failureReports;
                     lastReason = reason;
                   }};
};

TEST_F(WindowOnRigctld, TxAndRxKeyTheRadioAndShowWhatItConfirms) {
  button(kTxId)->click();
  EXPECT_EQ(daemon.radioKeyed(), true);
  EXPECT_TRUE(button(kTxId)->isChecked());
  button(kRxId)->click();
  EXPECT_EQ(daemon.radioKeyed(), false);
  EXPECT_FALSE(button(kTxId)->isChecked());
}

TEST_F(WindowOnRigctld, CloseUnkeys) {
  button(kTxId)->click();
  button(kCloseId)->click();
  EXPECT_EQ(daemon.radioKeyed(), false);
}

TEST_F(WindowOnRigctld, SigtermUnkeys) {
  // Wired as the program wires it.
  ShutdownSignalWatcher watcher([this] { window.reject(); });
  ASSERT_TRUE(watcher.isActive());
  button(kTxId)->click();
  ASSERT_EQ(daemon.radioKeyed(), true);
  ::raise(SIGTERM);
  EXPECT_TRUE(test::runUntil([this] { return !window.isVisible(); }, 5000));
  EXPECT_EQ(daemon.radioKeyed(), false);
}

TEST_F(WindowOnRigctld, TheTransmitTimeOutUnkeysAndSaysSo) {
  EXPECT_EQ(window.safety().timeoutMinutes(), 0) << "off at start";
  window.safety().setTimeoutMinutes(2);  // 200 ms here
  const auto keyedAt = std::chrono::steady_clock::now();
  button(kTxId)->click();
  ASSERT_TRUE(radioUnkeyedWithin(3000))
      << window.noticeText().toStdString() << " / " << daemon.radioKeyed().value_or(-1);
  EXPECT_GE(std::chrono::steady_clock::now() - keyedAt, 200ms);
  EXPECT_EQ(window.noticeText(),
            "Transmit time-out: the radio has been unkeyed after 2 minutes of transmitting.");
  EXPECT_FALSE(button(kTxId)->isChecked());

  window.safety().setTimeoutMinutes(0);
  button(kTxId)->click();
  test::runUntil([] { return false; }, 400);
  EXPECT_EQ(daemon.radioKeyed(), true) << "switched off, the time-out leaves the radio keyed";
}

TEST_F(WindowOnRigctld, ALostConnectionWhileKeyedIsShownAtOnceAndTheRadioUnkeyedOnReturn) {
  button(kTxId)->click();
  daemon.kill();
  ASSERT_TRUE(test::runUntil([this] { return !window.noticeText().isEmpty(); }, 2000));
  EXPECT_TRUE(window.noticeText().contains(QStringLiteral("may still be keyed")))
      << window.noticeText().toStdString();
  EXPECT_FALSE(button(kTxId)->isChecked());

  ASSERT_TRUE(daemon.start());
  ASSERT_TRUE(daemon.keyRadio());  // as a real transceiver would still be
  ASSERT_TRUE(radioUnkeyedWithin(3000));
  EXPECT_TRUE(window.noticeText().contains(QStringLiteral("is back")))
      << window.noticeText().toStdString();
}

}  // namespace
}  // namespace mosaic
