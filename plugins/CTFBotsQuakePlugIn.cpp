#include "plugins/CTFBotsQuakePlugIn.h"

#include "plugins/CTFRuleFlags.h"

namespace fx {

TCTFBotsQuakePlugIn::TCTFBotsQuakePlugIn(TQuakeStarter& starter, TPluginDialogs& dialogs)
    : TCTFQuakePlugIn(starter, dialogs) {
  SetRuleFlags(BotRules(kCTFDefaultRules));
}

std::int32_t TCTFBotsQuakePlugIn::BotRules(std::int32_t flags) {
  return flags == kCTFDefaultRules ? kCTFDefaultRules | kCTFTotalFreedom : flags;
}

void TCTFBotsQuakePlugIn::LoadOptions(const TLongText& keyPath) {
  TCTFQuakePlugIn::LoadOptions(keyPath);
  SetRuleFlags(BotRules(RuleFlags()));
}

void TCTFBotsQuakePlugIn::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 3;
}

bool TCTFBotsQuakePlugIn::EditRules(std::int32_t& flags) {
  return Dialogs().ShowCTFBotOptions(flags);
}

}  // namespace fx
