#include "platform/FormatSettings.h"

namespace fx {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

}  // namespace fx
