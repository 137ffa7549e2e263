#include "demos/DemoReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "demos/DemoReaders.h"

namespace fx {

namespace {

bool EndsWithIgnoringCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    const char c = text[i];
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower != suffix[i]) return false;
  }
  return true;
}

}  // namespace

TDemoFormat DemoFormatOfName(std::string_view fileName) {
  if (EndsWithIgnoringCase(fileName, ".qwd")) return TDemoFormat::QuakeWorld;
  if (EndsWithIgnoringCase(fileName, ".mvd")) return TDemoFormat::Mvd;
  return TDemoFormat::NetQuake;
}

TDemoInfo ReadDemo(TDemoSource& source, TDemoFormat format) {
  TDemoInfo info;
  info.Format = format;
  if (format == TDemoFormat::NetQuake)
    ReadNetQuakeDemo(source, info);
  else
    ReadQuakeWorldDemo(source, info);
  return info;
}

std::string DemoLengthText(double seconds) {
  // A damaged file's times can be any float: beyond a million hours is shown as that.
  constexpr double kLongest = 3600.0 * 1e6;
  const long total =
      std::isfinite(seconds) && seconds > 0 ? static_cast<long>(std::min(seconds, kLongest)) : 0;
  std::array<char, 32> text{};
  if (total >= 3600)
    std::snprintf(text.data(), text.size(), "%ld:%02ld:%02ld", total / 3600, total / 60 % 60,
                  total % 60);
  else
    std::snprintf(text.data(), text.size(), "%ld:%02ld", total / 60, total % 60);
  return text.data();
}

}  // namespace fx
