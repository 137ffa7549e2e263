#pragma once

#include <QDialog>

#include <memory>

#include "plugins/RogueGameFlags.h"

namespace Ui {
class RogueCTFDlg;
}

namespace fx {

// "Additional Options" of the second mission pack's capture-the-flag games: protections,
// runes, colour teams and team change.
class TRogueCTFDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TRogueCTFDlg(QWidget* parent = nullptr);
  ~TRogueCTFDlg() override;

  void SetChoice(const TRogueCTFChoice& choice);
  TRogueCTFChoice Choice() const;

 private:
  std::unique_ptr<Ui::RogueCTFDlg> FUi;
};

}  // namespace fx
