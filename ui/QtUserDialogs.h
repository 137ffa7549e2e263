#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/UserDialogs.h"

class QWidget;

namespace fx {

// Turns a Windows file-dialog filter ("Demo Files|*.dem|All Files|*.*") into Qt's form
// ("Demo Files (*.dem);;All Files (*)"). Patterns separated by ';' become a blank-separated
// list and "*.*" becomes "*", because Qt's "*.*" would miss names without a dot. A
// description without a pattern after it is dropped, as Windows ignores it.
QString QtFileFilter(std::string_view windowsFilter);

QMessageBox::Icon MessageBoxIcon(TMsgIcon icon);
QMessageBox::StandardButtons MessageBoxButtons(TMsgButtons buttons);
QMessageBox::StandardButton MessageBoxButton(TMsgResult result);
// What a closed box answered. A box closed without a button (window manager, Esc on a box
// without an escape button) gives the safest answer it offers: Cancel, else No, else Ok.
TMsgResult MessageResult(QMessageBox::StandardButton clicked, TMsgButtons offered);

// The box ShowMessage shows, built but not yet shown. The text is plain text, so that
// names read from disk cannot turn into markup.
std::unique_ptr<QMessageBox> CreateMessageBox(const TMessage& message, QWidget* parent);

// The program's TUserDialogs on Qt's message boxes and file dialogs.
class TQtUserDialogs final : public TUserDialogs {
 public:
  // `parent` owns the dialogs while they are shown; it may be null.
  explicit TQtUserDialogs(QWidget* parent = nullptr);

  TMsgResult ShowMessage(const TMessage& message) override;
  void Beep() override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
  std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                            const std::string& start) override;
  std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                            const std::string& start) override;

 private:
  // A widget may be destroyed while this object lives; QPointer then reads null.
  QPointer<QWidget> FParent;
};

}  // namespace fx
