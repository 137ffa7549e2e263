#include "app/ConsoleDialogs.h"

namespace fx {

namespace {

bool IsSet(const TEnvironmentLookup& environment, std::string_view name) {
  const auto value = environment(name);
  return value && !value->empty();
}

const char* AnswerName(TMsgResult result) {
  switch (result) {
    case TMsgResult::Ok:
      return "OK";
    case TMsgResult::Cancel:
      return "Cancel";
    case TMsgResult::Yes:
      return "Yes";
    case TMsgResult::No:
      return "No";
  }
  return "OK";
}

bool IsQuestion(const TMessage& message) {
  return message.Buttons != TMsgButtons::Ok;
}

// Nobody confirmed anything: a launch goes on only where it needs no answer, and no
// further window (the Properties a start problem offers) opens where none can be seen.
TMsgResult UnansweredResult(const TMessage& message) {
  switch (message.Buttons) {
    case TMsgButtons::Ok:
      return TMsgResult::Ok;
    case TMsgButtons::OkCancel:
      return TMsgResult::Cancel;
    case TMsgButtons::YesNo:
    case TMsgButtons::YesNoCancel:
      return TMsgResult::No;
  }
  return TMsgResult::No;
}

}  // namespace

bool DisplayAvailable(const TEnvironmentLookup& environment) {
  if (const auto platform = environment("QT_QPA_PLATFORM")) {
    const std::string_view name = std::string_view(*platform).substr(0, platform->find(':'));
    if (name == "offscreen" || name == "minimal") return false;
  }
  return IsSet(environment, "DISPLAY") || IsSet(environment, "WAYLAND_DISPLAY");
}

std::string ConsoleText(const TMessage& message, std::optional<TMsgResult> answered) {
  std::string text = "fraxinel: ";
  if (!message.Caption.empty()) text += message.Caption + ": ";
  text += message.Text;
  while (!text.empty() && text.back() == '\n')
    text.pop_back();
  if (answered && IsQuestion(message))
    text += std::string("\nfraxinel: answered ") + AnswerName(*answered);
  return text + "\n";
}

TMsgResult TConsoleDialogs::ShowMessage(const TMessage& message) {
  if (FShown == nullptr) {
    const TMsgResult answer = UnansweredResult(message);
    FOut << ConsoleText(message, answer) << std::flush;
    return answer;
  }
  // Printed before the box, so a script's log has it even while the box waits.
  FOut << ConsoleText(message, std::nullopt) << std::flush;
  const TMsgResult answer = FShown->ShowMessage(message);
  if (IsQuestion(message))
    FOut << "fraxinel: answered " << AnswerName(answer) << "\n" << std::flush;
  return answer;
}

void TConsoleDialogs::Beep() {
  if (FShown != nullptr) FShown->Beep();
}

std::optional<std::string> TConsoleDialogs::ChooseFolder(const std::string& title,
                                                         const std::string& start) {
  if (FShown == nullptr) return std::nullopt;
  return FShown->ChooseFolder(title, start);
}

std::optional<std::string> TConsoleDialogs::ChooseOpenFile(const std::string& title,
                                                           const std::string& filter,
                                                           const std::string& start) {
  if (FShown == nullptr) return std::nullopt;
  return FShown->ChooseOpenFile(title, filter, start);
}

std::optional<std::string> TConsoleDialogs::ChooseSaveFile(const std::string& title,
                                                           const std::string& filter,
                                                           const std::string& start) {
  if (FShown == nullptr) return std::nullopt;
  return FShown->ChooseSaveFile(title, filter, start);
}

}  // namespace fx
