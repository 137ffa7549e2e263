#include "platform/Version.h"

#include "platform/VersionInfo.h"

namespace fx {

std::string TVersion::ToString() const {
  return std::to_string(Major) + "." + std::to_string(Minor) + "." + std::to_string(Release) + "." +
         std::to_string(Build);
}

TVersion ProgramVersion() {
  return {FX_VERSION_MAJOR, FX_VERSION_MINOR, FX_VERSION_PATCH, FX_VERSION_TWEAK};
}

}  // namespace fx
