#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class EnterTextDlg;
}

namespace fx {

// The small modal dialog that asks for one line of text, such as a name. OK is usable only
// while the text is not empty, so an empty text can never be confirmed.
class TEnterTextDlg : public QDialog {
  Q_OBJECT

 public:
  explicit TEnterTextDlg(QWidget* parent = nullptr);
  ~TEnterTextDlg() override;

  // The window caption, the prompt above the edit and the edit's text.
  void Setup(const std::string& caption, const std::string& prompt, const std::string& text);
  std::string Text() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private slots:
  void Edit1Change();

 private:
  std::unique_ptr<Ui::EnterTextDlg> FUi;
  bool FCentred = false;
};

// Asks for a text with `caption` and `prompt`, starting from `text`. On OK `text` receives
// what was entered (never empty) and the result is true; otherwise `text` stays as it was.
bool EnterText(const std::string& caption, const std::string& prompt, std::string& text,
               QWidget* parent = nullptr);

}  // namespace fx
