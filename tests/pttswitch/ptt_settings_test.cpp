// The remembered port: shown in the box at start without touching the serial lines (opening a
// serial device raises DTR and RTS, which may key the transceiver), and read back only when it is
// one usable line of text.

#include "pttswitch/ptt_settings_store.h"
#include "pttswitch/ptt_window.h"

#include <gtest/gtest.h>

#include <QLineEdit>

#include "tests/support/fake_rig_control.h"
#include "tests/support/fake_serial_lines.h"
#include "tests/support/private_settings.h"
#include "tests/support/qt_app.h"

namespace mosaic {
namespace {

struct Rig {
  QApplication& app = test::app();
  fakes::FakeSerialLines lines;
  fakes::FakeRigControl rig;
  PttPort port{lines, rig};
  PttWindow window{port, nullptr};
  QLineEdit* box() const { return qobject_cast<QLineEdit*>(window.control(kPortTextId)); }
};

TEST(PttSettings, TheRememberedPortIsShownButNotOpened) {
  test::PrivateSettings place("pttswitch");
  for (const char* typed : {"/dev/ttyS0", "rigctld:localhost:4532"}) {
    {
      Rig first;
      first.box()->setText(QString::fromLatin1(typed));
      rememberPort(first.window);
    }
    Rig second;
    showRememberedPort(second.window);
    EXPECT_EQ(second.box()->text(), QString::fromLatin1(typed));
    EXPECT_TRUE(second.lines.calls.empty()) << typed;
    EXPECT_TRUE(second.rig.calls.empty()) << typed;
    EXPECT_FALSE(second.window.control(kTxId)->isEnabled()) << typed;
  }
}

TEST(PttSettings, OnlyOneUsableLineOfTextIsTakenAsThePort) {
  test::PrivateSettings place("pttswitch");
  const auto portIn = [&place](const QByteArray& text) {
    place.writeFile(text);
    return readRememberedPort(QSettings());
  };
  EXPECT_EQ(portIn("[General]\nport=hamlib:1:/dev/ttyUSB0\n"),
            QStringLiteral("hamlib:1:/dev/ttyUSB0"));
  EXPECT_FALSE(portIn("[General]\nport=ttyS0, ttyS1\n"));  // a list
  EXPECT_FALSE(portIn("[General]\nport=   \n"));
  EXPECT_FALSE(portIn("[General]\nport=" + QByteArray(300, 'x') + "\n"));
  EXPECT_FALSE(portIn(QByteArray("\xff\xfe\x00garbage", 10)));

  Rig rig;  // nothing usable: the box keeps its start value
  showRememberedPort(rig.window);
  EXPECT_EQ(rig.box()->text(), QStringLiteral("1"));
}

}  // namespace
}  // namespace mosaic
