#pragma once

#include <QDialog>

#include <cstdint>
#include <memory>

namespace Ui {
class CTFOptionsDlg;
}

namespace fx {

// "Additional Options" of the Capture the Flag game: protection, gameplay, flag games and
// penalties, each box one bit of the rule flags (CTFRuleFlags.h).
class TCTFOptionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TCTFOptionsDlg(QWidget* parent = nullptr);
  ~TCTFOptionsDlg() override;

  void SetFlags(std::int32_t flags);
  // Built from the boxes alone.
  std::int32_t Flags() const;

 protected:
  // For the bot dialog: its boxes are the bot modification's.
  TCTFOptionsDlg(QWidget* parent, bool bots);
  // Puts a further section of boxes below the groups, above the buttons.
  void AddSection(QWidget* section);
  void HideGrappleBox();
  // A dialog border: fixed, at least the designed client size, larger where fonts need it.
  void FixSize(int clientWidth, int clientHeight);

 private:
  bool FBots;
  std::unique_ptr<Ui::CTFOptionsDlg> FUi;
};

}  // namespace fx
