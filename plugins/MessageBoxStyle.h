#pragma once

// The Windows message-box styles and button codes that cross the plug-in interface
// (TQuakeStarter::ShowMessageBox), translated to and from the program's own TMessage, so the
// host can show them through TUserDialogs.

#include <cstdint>
#include <string>

#include "ui/UserDialogs.h"

namespace fx {

// Button sets (low four bits).
inline constexpr std::uint16_t kMbOk = 0x0000;
inline constexpr std::uint16_t kMbOkCancel = 0x0001;
inline constexpr std::uint16_t kMbYesNoCancel = 0x0003;
inline constexpr std::uint16_t kMbYesNo = 0x0004;
// Icons (bits 4 to 7).
inline constexpr std::uint16_t kMbIconError = 0x0010;
inline constexpr std::uint16_t kMbIconQuestion = 0x0020;
inline constexpr std::uint16_t kMbIconWarning = 0x0030;
inline constexpr std::uint16_t kMbIconInformation = 0x0040;
// Default button (bits 8 to 11): the second or the third instead of the first.
inline constexpr std::uint16_t kMbDefButton2 = 0x0100;
inline constexpr std::uint16_t kMbDefButton3 = 0x0200;

// Button codes returned by ShowMessageBox.
inline constexpr std::int32_t kIdOk = 1;
inline constexpr std::int32_t kIdCancel = 2;
inline constexpr std::int32_t kIdYes = 6;
inline constexpr std::int32_t kIdNo = 7;

// The message a style asks for. Button sets the program has no dialog for (abort/retry/
// ignore, retry/cancel) are shown as OK and Cancel, so the user can still refuse.
TMessage MessageFromStyle(const std::string& text, const std::string& caption, std::uint16_t style);
std::int32_t ButtonCode(TMsgResult result);

}  // namespace fx
