#pragma once

// `fraxinel --launch NAME` runs from scripts and menus alike: every message it gives is also
// printed on standard error, and where no display is there, only printed, never shown as a
// box nobody could answer.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "ui/UserDialogs.h"

namespace fx {

using TEnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;

// Whether windows can be shown: a DISPLAY or WAYLAND_DISPLAY is set, and QT_QPA_PLATFORM
// names no platform without a screen ("offscreen", "minimal", with or without options).
bool DisplayAvailable(const TEnvironmentLookup& environment);

// A message as printed: "fraxinel: <caption>: <text>", a question followed by the answer
// taken for it ("fraxinel: answered No").
std::string ConsoleText(const TMessage& message, std::optional<TMsgResult> answered);

// Prints every message on `out`; with `shown` (a display) it is shown there too and that
// answer counts, otherwise a question is answered No (Cancel), since nobody confirmed it.
// Choosers give nothing without `shown`; beeps are left out.
class TConsoleDialogs final : public TUserDialogs {
 public:
  TConsoleDialogs(std::ostream& out, TUserDialogs* shown) : FOut(out), FShown(shown) {}

  TMsgResult ShowMessage(const TMessage& message) override;
  void Beep() override;
  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override;
  std::optional<std::string> ChooseOpenFile(const std::string& title, const std::string& filter,
                                            const std::string& start) override;
  std::optional<std::string> ChooseSaveFile(const std::string& title, const std::string& filter,
                                            const std::string& start) override;

 private:
  std::ostream& FOut;
  TUserDialogs* FShown;
};

}  // namespace fx
