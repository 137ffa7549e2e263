#pragma once

#include <cstdint>

#include "plugins/CTFQuakePlugIn.h"

namespace fx {

// "Capture the Flag Bots": the Capture the Flag game with the bot modification, whose six
// further rules share the same flags and whose bit 11 means total freedom.
class TCTFBotsQuakePlugIn final : public TCTFQuakePlugIn {
 public:
  using TCTFQuakePlugIn::TCTFQuakePlugIn;

  // As the plain game; the bare default rules also get total freedom, which the bot
  // modification is meant to be played with.
  void LoadOptions(const TLongText& keyPath) override;
  void GetPicture(TModuleHandle& module, std::int32_t& number) override;

 protected:
  bool EditRules(std::int32_t& flags) override;
};

}  // namespace fx
