#include "plugins/CTFBotOptionsDlg.h"

#include "ui_CTFBotOptionsDlg.h"

namespace fx {

namespace {

constexpr int kClientWidth = 321;
constexpr int kClientHeight = 273;

}  // namespace

TCTFBotOptionsDlg::TCTFBotOptionsDlg(QWidget* parent)
    : TCTFOptionsDlg(parent, true), FBotUi(std::make_unique<Ui::CTFBotOptionsDlg>()) {
  auto* section = new QWidget(this);  // owned by the dialog
  FBotUi->setupUi(section);
  AddSection(section);
  HideGrappleBox();
  FixSize(kClientWidth, kClientHeight);
}

TCTFBotOptionsDlg::~TCTFBotOptionsDlg() = default;

}  // namespace fx
