#pragma once
// The receiver window's controls and menu bar, made in the order and at the places of the
// window's layout (dialog units, the sliders in pixels), each named by its numeric id.

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

// What the noise-filter check box says for each strength.
inline constexpr char kLightFilterCaption[] = "Noise filter (light)";
inline constexpr char kMediumFilterCaption[] = "Noise filter (medium)";
inline constexpr char kHeavyFilterCaption[] = "Noise filter (heavy)";

struct ReceiverControls {
  std::map<int, QSlider*> sliders;  // by id, which also keys their remembered settings
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
// the window's initialisation sets values), at its place: fitting them to their captions is
// the window's, once its font is known.
ReceiverControls createControls(QWidget* client);

// Fills the menu bar; returns its command actions by id.
std::map<int, QAction*> createMenus(QMenuBar* bar);

}  // namespace mosaic
