#pragma once
// The receiver window's controls and menu bar, made in the order and at the places of the
// window's layout (dialog units, the sliders in pixels), each carrying its numeric id.

#include <QString>

#include <map>

class QCheckBox;
class QLabel;
class QMenuBar;
class QAction;
class QPushButton;
class QSlider;
class QWidget;

namespace mosaic {

struct ReceiverControls {
  std::map<int, QWidget*> byId;  // every control that has an id
  std::map<int, QSlider*> sliders;
  std::map<int, QCheckBox*> checkBoxes;
  QPushButton* openFile = nullptr;
  QPushButton* closeFile = nullptr;
  QPushButton* save = nullptr;
  QLabel* counter = nullptr;
  QLabel* tuningValue = nullptr;
  QLabel* balanceValue = nullptr;
  QLabel* saturationValue = nullptr;
};

// Makes every control on `client` in its start state (as the window's template has it, before
// the window's initialisation sets values).
ReceiverControls createControls(QWidget* client);

// Fills the menu bar; returns its command actions by id.
std::map<int, QAction*> createMenus(QMenuBar* bar);

}  // namespace mosaic
