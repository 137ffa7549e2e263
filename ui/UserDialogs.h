#pragma once

#include <optional>
#include <string>

namespace fx {

enum class TMsgIcon { None, Information, Warning, Error, Stop, Question };
enum class TMsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class TMsgResult { Ok, Cancel, Yes, No };

struct TMessage {
  std::string Text;     // "\n" breaks lines
  std::string Caption;  // window title; empty: the application title
  TMsgIcon Icon = TMsgIcon::None;
  TMsgButtons Buttons = TMsgButtons::Ok;
  TMsgResult DefaultButton = TMsgResult::Ok;
};

// Everything the program asks of the user outside its own windows: message boxes, the
// default beep and the file and folder choosers. The view implements it with Qt's
// dialogs; tests hand in scripted answers, so model code that asks stays testable.
class TUserDialogs {
 public:
  virtual ~TUserDialogs() = default;

  virtual TMsgResult ShowMessage(const TMessage& message) = 0;
  virtual void Beep() = 0;

  // A folder chosen by the user, or nothing when cancelled. `start` is where the chooser
  // opens (empty: the user's home).
  virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                  const std::string& start) = 0;

  // `filter` in the Windows form "Demo Files|*.dem|All Files|*.*".
  virtual std::optional<std::string> ChooseOpenFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& start) = 0;
  // Asks before overwriting an existing file.
  virtual std::optional<std::string> ChooseSaveFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& start) = 0;
};

}  // namespace fx
