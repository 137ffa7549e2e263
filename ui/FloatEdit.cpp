#include "ui/FloatEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QTimer>

#include <cmath>
#include <optional>

#include "platform/FormatSettings.h"
#include "ui/FormatFloat.h"
#include "ui/UserDialogs.h"

namespace fx {

namespace {

constexpr int kInitialWidth = 120;
constexpr int kInitialHeight = 25;

// The window losing activation, or a context menu opening, takes the focus only for a while.
bool MovesBetweenControls(Qt::FocusReason reason) {
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

bool IsCharacterKey(int key) {
  return key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis;
}

bool IsSameValue(long double a, long double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

}  // namespace

TFloatEdit::TFloatEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  resize(kInitialWidth, kInitialHeight);
  ShowText(FormatFloat(FDisplayFormat, FValue));
  // textEdited: the user's changes only, not the text the edit shows for a value.
  connect(this, &QLineEdit::textEdited, this, &TFloatEdit::TextEdited);
}

void TFloatEdit::SetValue(long double value) {
  FConfirmed = value;
  if (IsSameValue(value, FValue)) return;
  FValue = value;
  ShowText(FormatFloat(FDisplayFormat, FValue));
  emit valueChanged(static_cast<double>(FValue));
}

void TFloatEdit::SetDisplayFormat(std::string_view format) {
  if (format == FDisplayFormat) return;
  const std::string text = FormatFloat(format, FValue);
  FDisplayFormat = format;
  ShowText(text);
}

TFloatEdit::TAlignment TFloatEdit::Alignment() const {
  const Qt::Alignment horizontal = alignment() & Qt::AlignHorizontal_Mask;
  if (horizontal & Qt::AlignHCenter) return TAlignment::Center;
  if (horizontal & Qt::AlignRight) return TAlignment::RightJustify;
  return TAlignment::LeftJustify;
}

void TFloatEdit::SetAlignment(TAlignment alignment) {
  Qt::Alignment horizontal = Qt::AlignLeft;
  if (alignment == TAlignment::RightJustify) horizontal = Qt::AlignRight;
  if (alignment == TAlignment::Center) horizontal = Qt::AlignHCenter;
  setAlignment(horizontal | Qt::AlignVCenter);
}

void TFloatEdit::ApplyText() {
  const std::optional<long double> number =
      ParseFloatEditText(text().toStdString(), FormatSettings().DecimalSeparator);
  if (!number) Beep();
  SetValue(number.value_or(FConfirmed));
  ShowText(FormatFloat(FDisplayFormat, FValue));
}

void TFloatEdit::TextEdited() {
  const std::optional<long double> number =
      ParseFloatEditText(text().toStdString(), FormatSettings().DecimalSeparator);
  const long double value = number.value_or(FConfirmed);
  if (IsSameValue(value, FValue)) return;
  // The text stays as typed; it is formatted when the user leaves.
  FValue = value;
  emit valueChanged(static_cast<double>(FValue));
}

void TFloatEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    // Return confirms the number as leaving does, before a dialog's default button acts on
    // it. QLineEdit leaves the key to the dialog.
    ApplyText();
    QLineEdit::keyPressEvent(event);
    return;
  }
  if (AcceptsKey(*event)) {
    QLineEdit::keyPressEvent(event);
  } else {
    event->accept();
  }
}

bool TFloatEdit::AcceptsKey(const QKeyEvent& event) const {
  if (event.matches(QKeySequence::Copy) || event.matches(QKeySequence::Cut) ||
      event.matches(QKeySequence::Paste))
    return true;
  const int key = event.key();
  if (key == Qt::Key_Backspace) return true;
  // With Ctrl or Alt a character key types a control character (Ctrl+A, Ctrl+Z), which is
  // swallowed like any other character but the few above.
  const Qt::KeyboardModifiers commands =
      event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (commands != Qt::NoModifier && IsCharacterKey(key)) return false;
  const QString text = event.text();
  // Keys that type nothing move the cursor, select or delete, as in any edit.
  if (text.isEmpty()) return !IsCharacterKey(key);
  if (text.size() != 1) return false;
  const char16_t c = text.front().unicode();
  // Escape and Tab belong to the dialog; the edit leaves them alone.
  if (c < u' ') return key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab;
  return (c >= u'0' && c <= u'9') || c == u'-' ||
         QChar(c) == QChar::fromLatin1(FormatSettings().DecimalSeparator);
}

void TFloatEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // The window coming back, or a menu closing, returns the focus the edit had: that is not
  // entering. The first focus of a window that is shown is.
  if (FEntered) return;
  FEntered = true;
  selectAll();
  // The mouse press that brought the focus places the cursor after this; select again once
  // it has been handled.
  if (event->reason() == Qt::MouseFocusReason) QTimer::singleShot(0, this, &QLineEdit::selectAll);
}

void TFloatEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!MovesBetweenControls(event->reason())) return;
  FEntered = false;
  ApplyText();
}

void TFloatEdit::hideEvent(QHideEvent* event) {
  QLineEdit::hideEvent(event);
  // A window hidden with the focus here starts afresh when it is shown again.
  FEntered = false;
}

QString TFloatEdit::DisplayFormatProperty() const {
  return QString::fromStdString(FDisplayFormat);
}

void TFloatEdit::SetDisplayFormatProperty(const QString& format) {
  SetDisplayFormat(format.toStdString());
}

void TFloatEdit::ShowText(const std::string& text) {
  const QString shown = QString::fromStdString(text);
  if (shown != this->text()) setText(shown);
}

void TFloatEdit::Beep() {
  if (FDialogs != nullptr) {
    FDialogs->Beep();
  } else {
    QApplication::beep();
  }
}

}  // namespace fx
