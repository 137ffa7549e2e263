#pragma once

#include <QDialog>

#include <memory>

#include "plugins/TFGameFlags.h"

namespace Ui {
class TFSettingsDlg;
}

namespace fx {

// "Additional Options" of TeamFortress: the general rules on Temp1Panel, the damage team
// mates take and the team equalisation. A check box's bit is its "Tag" property; the
// boxes are found by walking Temp1Panel and TeamEqGroup.
class TTFSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TTFSettingsDlg(QWidget* parent = nullptr);
  ~TTFSettingsDlg() override;

  void SetFlags(const TTFFlags& flags);
  // Built from the controls alone; the host's teamplay bit is never among them.
  TTFFlags Flags() const;

 private:
  std::unique_ptr<Ui::TFSettingsDlg> FUi;
};

}  // namespace fx
