#pragma once

#include <cstdint>

#include "plugins/CTFQuakePlugIn.h"

namespace fx {

// "Capture the Flag Bots": the Capture the Flag game with the bot modification, whose six
// further rules share the same flags and whose bit 11 means total freedom.
class TCTFBotsQuakePlugIn final : public TCTFQuakePlugIn {
 public:
  // Starts with the bot game's default rules, as a configuration without stored ones.
  TCTFBotsQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs);

  // As the plain game; the bare default rules also get total freedom, which the bot
  // modification is meant to be played with.
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

 protected:
  bool EditRules(std::int32_t& flags) override;

 private:
  // The bare default rules with total freedom, which the bot game is meant to be played with.
  static std::int32_t BotRules(std::int32_t flags);
};

}  // namespace fx
