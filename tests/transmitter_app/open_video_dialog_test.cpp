// The video-file dialog: its first filter, preselected, shows every file of the folder, also
// files without a suffix.

#include "transmitter/app/open_video_dialog.h"
#include "tests/support/qt_app.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mosaic {
namespace {

TEST(OpenVideoDialog, AllFilesShowsFilesWithAndWithoutASuffix) {
  test::app();
  QTemporaryDir dir;
  for (const char* name : {"clip", "clip.avi", "holiday.mkv"}) {
    QFile f(dir.filePath(QString::fromLatin1(name)));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QString previous = QDir::currentPath();
  QDir::setCurrent(dir.path());
  QObject guard;
  int shown = -1;
  test::onNextModal(&guard, [&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    if (!dialog) {
      if (modal) modal->close();
      ADD_FAILURE() << "no open dialog";
      return;
    }
    EXPECT_EQ(dialog->windowTitle(), "Open AVI (no sound)");
    EXPECT_EQ(dialog->selectedNameFilter(), dialog->nameFilters().front());
    // The dialog's model leaves out what its filter does not match.
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (model) {
      const QModelIndex folder = model->index(dir.path());
      test::runUntil([&] { return model->rowCount(folder) >= 3; }, 3000);
      shown = model->rowCount(folder);
    }
    dialog->reject();
  });
  EXPECT_FALSE(chooseVideoFile(nullptr).has_value());
  QDir::setCurrent(previous);
  EXPECT_EQ(shown, 3);
}

}  // namespace
}  // namespace mosaic
