#include "plugins/OptionsKey.h"

#include "platform/Registry.h"

namespace fx {

void OpenOptionsKey(TRegistry& registry, const TLongText& keyPath) {
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKey(keyPath.Str(), true)) {
    throw ERegistryException("Failed to open key " + keyPath.Str());
  }
}

}  // namespace fx
