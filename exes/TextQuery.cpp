#include "exes/TextQuery.h"

#include <QFontMetrics>
#include <QLayout>
#include <QPushButton>

#include <algorithm>

#include "ui/ScreenCentre.h"
#include "ui_EnterTextDlg.h"

namespace fx {

TEnterTextDlg::TEnterTextDlg(QWidget* parent)
    : QDialog(parent), FUi(std::make_unique<Ui::EnterTextDlg>()) {
  FUi->setupUi(this);
  // Room for a prompt of two lines, so a long prompt wraps instead of widening the window.
  FUi->Label1->setMinimumHeight(2 * FUi->Label1->fontMetrics().lineSpacing());
  connect(FUi->Edit1, &QLineEdit::textChanged, this, &TEnterTextDlg::Edit1Change);
  FUi->Edit1->setFocus();
}

TEnterTextDlg::~TEnterTextDlg() = default;

void TEnterTextDlg::Setup(const std::string& caption, const std::string& prompt,
                          const std::string& text) {
  FUi->Edit1->setText(QString::fromStdString(text));
  // setText signals only a change; an empty text must still leave OK disabled.
  Edit1Change();
  setWindowTitle(QString::fromStdString(caption));
  FUi->Label1->setText(QString::fromStdString(prompt));
  // The dialog keeps the size it opens with; the prompt wraps within it.
  ensurePolished();
  const int height =
      layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width()) : sizeHint().height();
  setFixedSize(width(), std::max(height, minimumSizeHint().height()));
}

std::string TEnterTextDlg::Text() const {
  return FUi->Edit1->text().toStdString();
}

void TEnterTextDlg::Edit1Change() {
  FUi->OKBtn->setEnabled(!FUi->Edit1->text().isEmpty());
}

void TEnterTextDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!FCentred) {
    FCentred = true;
    CentreOnScreen(*this);
  }
}

bool EnterText(const std::string& caption, const std::string& prompt, std::string& text,
               QWidget* parent) {
  // On the stack: freed on every path, an exception included.
  TEnterTextDlg dialog(parent);
  dialog.Setup(caption, prompt, text);
  if (dialog.exec() != QDialog::Accepted) return false;
  text = dialog.Text();
  return true;
}

}  // namespace fx
