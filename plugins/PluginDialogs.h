#pragma once

// The option dialogs of the game types, as the view layer provides them. A game type asks
// for a dialog through this interface, so its flags and script lines are tested without
// widgets, and each dialog is tested on its own.

#include <cstdint>

#include "plugins/TFGameFlags.h"

namespace fx {

class TPluginDialogs {
 public:
  virtual ~TPluginDialogs() = default;

  // The team-game options of the second mission pack. Shows `flags`; on OK rebuilds them
  // from the dialog and returns true, on Cancel leaves them as they were.
  virtual bool ShowRogueCTF(std::int32_t& flags) = 0;
  // The same for the general and team rules of TeamFortress. The dialog does not show the
  // host's teamplay bit, so OK clears it.
  virtual bool ShowTFSettings(TTFFlags& flags) = 0;
  // The same for the packed options of Head Hunters and of Varimix.
  virtual bool ShowHHOptions(std::int32_t& options) = 0;
  virtual bool ShowVarimixOptions(std::int32_t& options) = 0;
  // The rule flags of the Capture the Flag game, and of its bot variant; the same contract.
  virtual bool ShowCTFOptions(std::int32_t& flags) = 0;
  virtual bool ShowCTFBotOptions(std::int32_t& flags) = 0;
};

}  // namespace fx
