#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "ui/UserDialogs.h"

namespace fx::bench {

// Answers every question with one button and cancels every chooser, so a timed run never
// waits for a user. Messages are printed, since a benchmark that asks something unexpected
// measures the wrong thing.
class TFixedAnswerDialogs final : public TUserDialogs {
 public:
  explicit TFixedAnswerDialogs(TMsgResult answer) : FAnswer(answer) {}

  TMsgResult ShowMessage(const TMessage& message) override {
    std::fprintf(stderr, "message: %s\n", message.Text.c_str());
    return FAnswer;
  }
  void Beep() override {}
  std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }

 private:
  TMsgResult FAnswer;
};

}  // namespace fx::bench
