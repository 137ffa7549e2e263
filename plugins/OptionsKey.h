#pragma once

#include "plugins/FXIntf.h"

namespace fx {

class TRegistry;

// Opens a configuration's key below HKEY_CURRENT_USER for a game type's own values,
// creating it when missing. A key that cannot be opened throws ERegistryException rather
// than letting the values land in the root.
void OpenOptionsKey(TRegistry& registry, const TLongText& keyPath);

}  // namespace fx
