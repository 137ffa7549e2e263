#include "plugins/TFSettingsDlg.h"

#include <QCheckBox>
#include <QVariant>

#include <vector>

#include "plugins/OptionsDialogFrame.h"
#include "ui_TFSettingsDlg.h"

namespace fx {

namespace {

QList<QCheckBox*> BoxesOn(const QWidget& parent) {
  return parent.findChildren<QCheckBox*>(QString(), Qt::FindDirectChildrenOnly);
}

std::vector<TTaggedBox> Tagged(const QList<QCheckBox*>& boxes) {
  std::vector<TTaggedBox> tagged;
  for (const QCheckBox* box : boxes)
    tagged.push_back({box->property("Tag").toInt(), box->isChecked()});
  return tagged;
}

void CheckBoxes(const QWidget& parent, std::int32_t flags) {
  const QList<QCheckBox*> boxes = BoxesOn(parent);
  std::vector<TTaggedBox> tagged = Tagged(boxes);
  CheckTaggedBoxes(tagged, flags);
  for (qsizetype i = 0; i < boxes.size(); ++i)
    boxes[i]->setChecked(tagged[static_cast<std::size_t>(i)].Checked);
}

TTFDamage DamageOfIndex(int index) {
  return index == 1 ? TTFDamage::Half : index == 2 ? TTFDamage::None : TTFDamage::Full;
}

}  // namespace

TTFSettingsDlg::TTFSettingsDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::TFSettingsDlg>()) {
  FUi->setupUi(this);
  FrameOptionsDialog(*this, {342, 214});
}

TTFSettingsDlg::~TTFSettingsDlg() = default;

void TTFSettingsDlg::SetFlags(const TTFFlags& flags) {
  CheckBoxes(*FUi->Temp1Panel, flags.Temp1);
  CheckBoxes(*FUi->TeamEqGroup, flags.Team);
  FUi->cbDirectFire->setCurrentIndex(static_cast<int>(DirectFireDamage(flags.Team)));
  FUi->cbAreaAffect->setCurrentIndex(static_cast<int>(AreaAffectDamage(flags.Team)));
}

TTFFlags TTFSettingsDlg::Flags() const {
  TTFFlags flags;
  flags.Temp1 = TaggedBoxFlags(Tagged(BoxesOn(*FUi->Temp1Panel)));
  flags.Team = TFTeamFlags(Tagged(BoxesOn(*FUi->TeamEqGroup)),
                           DamageOfIndex(FUi->cbDirectFire->currentIndex()),
                           DamageOfIndex(FUi->cbAreaAffect->currentIndex()));
  return flags;
}

}  // namespace fx
