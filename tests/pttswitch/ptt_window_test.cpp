#include "pttswitch/ptt_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "platform/dialog_units.h"
#include "pttswitch/comport_error_box.h"
#include "tests/support/fake_rig_control.h"
#include "tests/support/fake_serial_lines.h"
#include "tests/support/qt_app.h"
#include "tests/support/whole_controls.h"

namespace mosaic {
namespace {

using Calls = std::vector<std::string>;

struct Rig {
  QApplication& app = test::app();  // first: widgets need it
  fakes::FakeSerialLines lines;
  fakes::FakeRigControl rig;
  PttPort port{lines, rig};
  int failureReports = 0;
  std::string lastReason;
  PttWindow window{port, [this](const std::string& reason) {
                     ++failureReports;
                     lastReason = reason;
                   }};

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

TEST(PttWindow, EveryControlShowsWholeAtTwoFontSizes) {
  for (const int points : {8, 12}) {
    SCOPED_TRACE(points);
    Rig rig;
    QFont font = dialogFont();
    font.setPointSize(points);
    rig.window.setFont(font);
    rig.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&rig.window));
    for (const std::string& problem : test::controlsNotWhole(rig.window)) ADD_FAILURE() << problem;
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
  EXPECT_EQ(rig.lastReason, "There is no device /dev/ttyS1.");
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

TEST(PttWindow, TxStaysDownOnlyWhileTheRadioConfirmsIt) {
  Rig rig;
  rig.setComport("rigctld");
  rig.button(kTxId)->click();
  EXPECT_TRUE(rig.button(kTxId)->isChecked());
  EXPECT_EQ(rig.button(kTxId)->palette().color(QPalette::Button), QColor(Qt::red));
  rig.button(kTxId)->click();  // pressed again: still transmitting
  EXPECT_TRUE(rig.button(kTxId)->isChecked());
  rig.button(kRxId)->click();
  EXPECT_FALSE(rig.button(kTxId)->isChecked());
  EXPECT_NE(rig.button(kTxId)->palette().color(QPalette::Button), QColor(Qt::red));

  rig.rig.canReadBack = false;
  rig.button(kTxId)->click();
  EXPECT_TRUE(rig.rig.keyed);
  EXPECT_FALSE(rig.button(kTxId)->isChecked()) << "keyed, but the radio did not say so";
  EXPECT_TRUE(rig.window.noticeText().isEmpty());

  rig.rig.refuse = true;
  rig.button(kRxId)->click();
  EXPECT_EQ(rig.window.noticeText(), QStringLiteral("refused")) << "a refusal is shown at once";
  rig.rig.refuse = false;

  rig.rig.canReadBack = true;
  rig.setComport("1");  // serial lines read back too
  rig.button(kTxId)->click();
  EXPECT_TRUE(rig.button(kTxId)->isChecked());
}

TEST(PttWindow, TheContextMenuSetsTheTransmitTimeOut) {
  Rig rig;
  const auto actions = rig.window.actions();
  ASSERT_EQ(actions.size(), 1);
  EXPECT_EQ(actions[0]->text(), QStringLiteral("Transmit time-out..."));
  EXPECT_EQ(rig.window.contextMenuPolicy(), Qt::ActionsContextMenu);
  // The operator types 5 into the dialog that the menu item opens.
  QTimer::singleShot(0, [] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->setIntValue(5);
    dialog->accept();
  });
  actions[0]->trigger();
  EXPECT_EQ(rig.window.safety().timeoutMinutes(), 5);
}

TEST(ComportErrorBox, SaysWhatFailedAndWhyWithAnErrorIconAndOk) {
  test::app();
  const auto box = makeComportErrorBox("There is no device /dev/ttyS1.");
  EXPECT_EQ(box->windowTitle(), QStringLiteral("Comport"));
  EXPECT_EQ(box->text(),
            QStringLiteral("Comport not yet selected or already open by another application"
                           "\n\nThere is no device /dev/ttyS1."));
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
}

}  // namespace
}  // namespace mosaic
