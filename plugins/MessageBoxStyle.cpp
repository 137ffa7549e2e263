#include "plugins/MessageBoxStyle.h"

#include <array>

namespace fx {

namespace {

TMsgButtons ButtonsOf(std::uint16_t style) {
  switch (style & 0x000F) {
    case kMbOk:
      return TMsgButtons::Ok;
    case kMbYesNoCancel:
      return TMsgButtons::YesNoCancel;
    case kMbYesNo:
      return TMsgButtons::YesNo;
    default:
      return TMsgButtons::OkCancel;
  }
}

TMsgIcon IconOf(std::uint16_t style) {
  switch (style & 0x00F0) {
    case kMbIconError:
      return TMsgIcon::Error;
    case kMbIconQuestion:
      return TMsgIcon::Question;
    case kMbIconWarning:
      return TMsgIcon::Warning;
    case kMbIconInformation:
      return TMsgIcon::Information;
    default:
      return TMsgIcon::None;
  }
}

// The buttons in the order Windows places them, for the default-button bits.
TMsgResult DefaultOf(TMsgButtons buttons, std::uint16_t style) {
  using enum TMsgResult;
  std::array<TMsgResult, 3> order{Ok, Ok, Ok};
  switch (buttons) {
    case TMsgButtons::Ok:
      break;
    case TMsgButtons::OkCancel:
      order = {Ok, Cancel, Cancel};
      break;
    case TMsgButtons::YesNo:
      order = {Yes, No, No};
      break;
    case TMsgButtons::YesNoCancel:
      order = {Yes, No, Cancel};
      break;
  }
  const unsigned position = (style & 0x0F00) >> 8;
  return order[position < order.size() ? position : 0];
}

}  // namespace

TMessage MessageFromStyle(const std::string& text, const std::string& caption,
                          std::uint16_t style) {
  TMessage message;
  message.Text = text;
  message.Caption = caption;
  message.Icon = IconOf(style);
  message.Buttons = ButtonsOf(style);
  message.DefaultButton = DefaultOf(message.Buttons, style);
  return message;
}

std::int32_t ButtonCode(TMsgResult result) {
  switch (result) {
    case TMsgResult::Ok:
      return kIdOk;
    case TMsgResult::Cancel:
      return kIdCancel;
    case TMsgResult::Yes:
      return kIdYes;
    case TMsgResult::No:
      return kIdNo;
  }
  return kIdCancel;
}

}  // namespace fx
