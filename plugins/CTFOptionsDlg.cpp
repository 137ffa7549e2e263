#include "plugins/CTFOptionsDlg.h"

#include <QCheckBox>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugins/CTFRuleFlags.h"
#include "ui/ScreenCentre.h"
#include "ui_CTFOptionsDlg.h"

namespace fx {

namespace {

constexpr int kClientWidth = 321;
constexpr int kClientHeight = 222;

QCheckBox& Box(const QDialog& dialog, const TCTFRuleBox& box) {
  auto* control = dialog.findChild<QCheckBox*>(QString::fromLatin1(box.Control));
  if (control == nullptr) throw std::logic_error(std::string("the form lacks ") + box.Control);
  return *control;
}

}  // namespace

TCTFOptionsDlg::TCTFOptionsDlg(QWidget* parent) : TCTFOptionsDlg(parent, false) {
  FixSize(kClientWidth, kClientHeight);
}

TCTFOptionsDlg::TCTFOptionsDlg(QWidget* parent, bool bots)
    : QDialog(parent), FBots(bots), FUi(std::make_unique<Ui::CTFOptionsDlg>()) {
  FUi->setupUi(this);
}

TCTFOptionsDlg::~TCTFOptionsDlg() = default;

void TCTFOptionsDlg::SetFlags(std::int32_t flags) {
  const auto boxes = CTFRuleBoxes(FBots);
  const std::vector<bool> checked = CTFBoxStates(boxes, flags);
  for (std::size_t i = 0; i < boxes.size(); ++i)
    Box(*this, boxes[i]).setChecked(checked[i]);
}

std::int32_t TCTFOptionsDlg::Flags() const {
  const auto boxes = CTFRuleBoxes(FBots);
  std::vector<bool> checked;
  for (const TCTFRuleBox& box : boxes)
    checked.push_back(Box(*this, box).isChecked());
  return CTFFlagsFromBoxes(boxes, checked);
}

void TCTFOptionsDlg::AddSection(QWidget* section) {
  const int buttonRow = FUi->CTFOptionsLayout->indexOf(FUi->ButtonLayout);
  FUi->CTFOptionsLayout->insertWidget(buttonRow, section);
}

void TCTFOptionsDlg::HideGrappleBox() {
  FUi->cbDisableGrapple->hide();
}

void TCTFOptionsDlg::FixSize(int clientWidth, int clientHeight) {
  const QSize hint = sizeHint();
  setFixedSize(std::max(hint.width(), clientWidth), std::max(hint.height(), clientHeight));
  CentreOnScreen(*this);
}

}  // namespace fx
