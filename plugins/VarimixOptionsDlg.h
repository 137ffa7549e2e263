#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class VarimixOptionsDlg;
}

namespace fx {

// "Additional Options" of Varimix: the modification's features, on when checked, and its
// debug mode.
class TVarimixOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TVarimixOptionsDlg(QWidget* parent = nullptr);
  ~TVarimixOptionsDlg() override;

  void SetFlags(std::int32_t options);
  // Built from the controls alone (VarimixGameFlags.h).
  std::int32_t Flags() const;

 private:
  std::unique_ptr<Ui::VarimixOptionsDlg> FUi;
};

}  // namespace fx
