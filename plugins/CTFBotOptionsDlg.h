#pragma once

#include <memory>

#include "plugins/CTFOptionsDlg.h"

namespace Ui {
class CTFBotOptionsDlg;
}

namespace fx {

// The Capture the Flag options with the bot modification's six rules below, and without the
// grappling-hook box, whose bit means total freedom there.
class TCTFBotOptionsDlg final : public TCTFOptionsDlg {
  Q_OBJECT

 public:
  explicit TCTFBotOptionsDlg(QWidget* parent = nullptr);
  ~TCTFBotOptionsDlg() override;

 private:
  std::unique_ptr<Ui::CTFBotOptionsDlg> FBotUi;
};

}  // namespace fx
