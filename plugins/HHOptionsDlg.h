#pragma once

#include <QButtonGroup>
#include <QDialog>

#include <memory>

#include "plugins/HHGameFlags.h"

namespace Ui {
class HHOptionsDlg;
}

namespace fx {

// "Head Hunter Additional Options": visible heads, gameplay, messages, lag and the three
// general switches.
class THHOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit THHOptionsDlg(QWidget* parent = nullptr);
  ~THHOptionsDlg() override;

  void SetChoice(const THHChoice& choice);
  THHChoice Choice() const;

 private:
  void tbMaxHeadsChange(int position);

  std::unique_ptr<Ui::HHOptionsDlg> FUi;
  QButtonGroup FLagButtons;
};

}  // namespace fx
