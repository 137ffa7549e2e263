#include "plugins/CTFBotsQuakePlugIn.h"

#include "plugins/CTFRuleFlags.h"

namespace fx {

void TCTFBotsQuakePlugIn::LoadOptions(const TLongText& keyPath) {
  TCTFQuakePlugIn::LoadOptions(keyPath);
  if (RuleFlags() == kCTFDefaultRules) SetRuleFlags(kCTFDefaultRules | kCTFTotalFreedom);
}

void TCTFBotsQuakePlugIn::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 3;
}

bool TCTFBotsQuakePlugIn::EditRules(std::int32_t& flags) {
  return Dialogs().ShowCTFBotOptions(flags);
}

}  // namespace fx
