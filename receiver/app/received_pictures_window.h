#pragma once
// "Received pictures": the saved pictures as thumbnails, newest first, and a button that opens
// their folder in the desktop's file manager.

#include <QString>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace mosaic {

class ReceivedPicturesWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ReceivedPicturesWindow(QWidget* parent = nullptr);

  void setFolder(const QString& folder);
  // Reads the folder again (after a picture was saved).
  void refresh();

  QListWidget* list() const { return list_; }
  QPushButton* openFolderButton() const { return openFolder_; }

 private:
  QString folder_;
  QListWidget* list_;
  QPushButton* openFolder_;
};

}  // namespace mosaic
