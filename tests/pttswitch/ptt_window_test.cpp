#include "pttswitch/ptt_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "pttswitch/comport_error_box.h"
#include "tests/support/fake_serial_lines.h"
#include "tests/support/qt_app.h"

namespace mosaic {
namespace {

using Calls = std::vector<std::string>;

struct Rig {
  QApplication& app = test::app();  // first: widgets need it
  fakes::FakeSerialLines lines;
  PttPort port{lines};
  int failureReports = 0;
  PttWindow window{port, [this] { ++failureReports; }};

  QPushButton* button(int id) { return qobject_cast<QPushButton*>(window.control(id)); }

  // Types the port text and presses "Set comport".
  void setComport(const char* text) {
    qobject_cast<QLineEdit*>(window.control(kPortTextId))->setText(QString::fromUtf8(text));
    button(kSetComportId)->click();
  }
};

TEST(PttWindow, StartsWithItsControlsInOrderPlacedAndTitled) {
  Rig rig;
  EXPECT_EQ(rig.window.windowTitle(), QStringLiteral("PTT toggle"));
  EXPECT_EQ(rig.window.size(), QSize(120, 122));
  EXPECT_FALSE(rig.window.windowFlags() &
               (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

  struct Expected {
    int id;
    const char* text;
    QRect pixels;
    bool enabled;
  };
  const Expected expected[] = {
      {kPortTextId, "1", {90, 73, 30, 23}, true},
      {kCloseId, "&Close", {0, 98, 120, 23}, true},
      {kTxId, "TX", {0, 0, 60, 65}, false},
      {kRxId, "RX", {60, 0, 60, 65}, false},
      {kSetComportId, "Set comport", {0, 73, 90, 23}, true},
  };
  const auto created = rig.window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  ASSERT_EQ(created.size(), std::size(expected));
  for (int i = 0; i < created.size(); ++i) {
    const Expected& e = expected[i];
    QWidget* widget = rig.window.control(e.id);
    ASSERT_EQ(widget, created[i]) << "control " << e.id << " created out of order";
    const auto* edit = qobject_cast<QLineEdit*>(widget);
    EXPECT_EQ(edit ? edit->text() : rig.button(e.id)->text(), QString::fromLatin1(e.text));
    EXPECT_EQ(widget->geometry(), e.pixels) << e.id;
    EXPECT_EQ(widget->isEnabled(), e.enabled) << e.id;
  }
}

TEST(PttWindow, TxAndRxBecomeUsableWithTheFirstOpenAndStaySo) {
  Rig rig;
  rig.setComport(" 1");  // used as typed: names no device
  EXPECT_EQ(rig.failureReports, 1);
  EXPECT_FALSE(rig.button(kTxId)->isEnabled() || rig.button(kRxId)->isEnabled());

  rig.setComport("1");
  EXPECT_EQ(rig.failureReports, 1);
  EXPECT_TRUE(rig.button(kTxId)->isEnabled() && rig.button(kRxId)->isEnabled());
  rig.button(kTxId)->click();
  EXPECT_TRUE(rig.lines.dtr && rig.lines.rts);

  rig.setComport("2");  // /dev/ttyS1 does not exist: the port is lost, the buttons stay
  EXPECT_EQ(rig.failureReports, 2);
  EXPECT_TRUE(rig.button(kTxId)->isEnabled() && rig.button(kRxId)->isEnabled());
  EXPECT_FALSE(rig.lines.dtr || rig.lines.rts);
  rig.lines.calls.clear();
  rig.button(kTxId)->click();
  EXPECT_TRUE(rig.lines.calls.empty());
}

TEST(PttWindow, EnterPressesOnlyAFocusedButton) {
  Rig rig;
  rig.window.show();
  rig.window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&rig.window));
  // Focus has been on "&Close" before (as when tabbing through), then back in the port box.
  rig.button(kCloseId)->setFocus();
  rig.window.control(kPortTextId)->setFocus();
  QTest::keyClick(rig.window.control(kPortTextId), Qt::Key_Return);
  EXPECT_TRUE(rig.window.isVisible()) << "Enter in the port box must not end the program";
  EXPECT_TRUE(rig.lines.calls.empty());

  rig.button(kSetComportId)->setFocus();
  QTest::keyClick(rig.button(kSetComportId), Qt::Key_Return);
  EXPECT_TRUE(rig.port.isOpen());
}

TEST(PttWindow, EveryWayOfClosingUnkeysBeforeReleasing) {
  const std::function<void(Rig&)> ways[] = {
      [](Rig& rig) { rig.button(kCloseId)->click(); },
      [](Rig& rig) { QTest::keyClick(&rig.window, Qt::Key_Escape); },
      [](Rig& rig) { rig.window.close(); },  // the close box
  };
  for (std::size_t i = 0; i < std::size(ways); ++i) {
    Rig rig;
    rig.window.show();
    rig.setComport("1");
    rig.button(kTxId)->click();
    rig.lines.calls.clear();
    ways[i](rig);
    EXPECT_FALSE(rig.window.isVisible()) << "way " << i;
    EXPECT_EQ(rig.lines.calls, (Calls{"DTR off", "RTS off", "close"})) << "way " << i;
  }
}

TEST(ComportErrorBox, SaysWhatFailedWithAnErrorIconAndOk) {
  test::app();
  const auto box = makeComportErrorBox();
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Comport"));
  EXPECT_EQ(box->text(),
            QStringLiteral("Comport not yet selected or already open by another application"));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
}

}  // namespace
}  // namespace mosaic
