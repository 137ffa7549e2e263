#pragma once

// The content browser's "Start map:" row: the chosen package's start maps with their titles,
// the first preselected; Alt+M reaches the box.

#include <QWidget>

#include <string>
#include <vector>

#include "content/StartMaps.h"

class QComboBox;

namespace fx {

class TStartMapRow : public QWidget {
  Q_OBJECT

 public:
  explicit TStartMapRow(QWidget* parent = nullptr);

  void SetChoices(const std::vector<TStartMapChoice>& choices);
  // The map picked; empty when the package names none.
  std::string CurrentMap() const;

 private:
  QComboBox* FCombo = nullptr;
};

}  // namespace fx
