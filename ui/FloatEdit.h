#pragma once

#include <QLineEdit>
#include <QString>

#include <string>
#include <string_view>

class QFocusEvent;
class QHideEvent;
class QKeyEvent;

namespace fx {

class TUserDialogs;

// A numeric edit whose text is `Value` formatted by `DisplayFormat` (see FormatFloat).
// Only digits, '-', the locale's decimal separator, Backspace and the copy, cut and paste
// keys reach it (keys that type no character, such as the arrows and Delete, work as in any
// edit). Entering it selects the whole text.
//
// `Value` follows the text as it is typed (ParseFloatEditText), so whatever reads it sees the
// number the edit shows, also when the focus never leaves: a toolbar button that takes no
// focus, a shortcut, closing the window. While the text holds no number (emptied, a lone
// "-"), `Value` is the last value set or confirmed, the one leaving will show again. Leaving
// it, or pressing Return, confirms the number and shows it formatted, with a beep when the
// text holds none.
//
// A single-line QLineEdit: right alignment is a plain property of it, so nothing is gained
// from a multi-line edit. Width 120 and height 25 at creation, right-aligned.
//
// The window losing activation or a context menu opening is not leaving: the text is
// formatted when the focus moves to another control of the window.
class TFloatEdit : public QLineEdit {
  Q_OBJECT
  Q_PROPERTY(double Value READ ValueProperty WRITE SetValueProperty NOTIFY valueChanged)
  Q_PROPERTY(QString DisplayFormat READ DisplayFormatProperty WRITE SetDisplayFormatProperty)
  Q_PROPERTY(TAlignment Alignment READ Alignment WRITE SetAlignment)

 public:
  enum class TAlignment { LeftJustify, RightJustify, Center };
  Q_ENUM(TAlignment)

  static constexpr std::string_view kDefaultDisplayFormat = "0.00, %;(0.00, %)";

  explicit TFloatEdit(QWidget* parent = nullptr);

  long double Value() const { return FValue; }
  // Shows the new value; setting the value it has changes nothing.
  void SetValue(long double value);

  const std::string& DisplayFormat() const { return FDisplayFormat; }
  // Throws EFormatError, keeping the old format, for a picture FormatFloat refuses.
  void SetDisplayFormat(std::string_view format);

  TAlignment Alignment() const;
  void SetAlignment(TAlignment alignment);

  // Where the beep for a text without a number goes; null (the default) is the system's
  // beep. Not owned: it must outlive the edit or be reset.
  void SetUserDialogs(TUserDialogs* dialogs) { FDialogs = dialogs; }

  // Confirms the number of the text, as leaving the edit does, and shows it formatted.
  void ApplyText();

 signals:
  void valueChanged(double value);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  double ValueProperty() const { return static_cast<double>(FValue); }
  void SetValueProperty(double value) { SetValue(value); }
  QString DisplayFormatProperty() const;
  void SetDisplayFormatProperty(const QString& format);

  bool AcceptsKey(const QKeyEvent& event) const;
  void TextEdited();
  void ShowText(const std::string& text);
  void Beep();

  long double FValue = 0;
  // The value set by the program or confirmed by leaving; `FValue` falls back to it while the
  // text holds no number.
  long double FConfirmed = 0;
  std::string FDisplayFormat{kDefaultDisplayFormat};
  TUserDialogs* FDialogs = nullptr;
  // Whether the user is in the edit: set on entering, cleared on leaving to another control.
  bool FEntered = false;
};

}  // namespace fx
