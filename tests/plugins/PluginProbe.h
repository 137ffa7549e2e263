#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "plugins/FXIntf.h"

namespace fx::test {

// What a plug-in answers, asked the way the host asks: each buffer starts out holding
// something, so an answer that leaves it untouched shows.

inline TFeatureBytes Features(TQuakePlugin& plugin) {
  TPluginFeatures features;
  // Whatever the record held before must not survive: plug-ins start from a clear one.
  std::memset(static_cast<void*>(&features), 1, sizeof features);
  plugin.GetFeatures(features);
  return FeatureBytes(features);
}

// The record with exactly these bytes set.
inline TFeatureBytes BytesSet(std::initializer_list<int> set) {
  TFeatureBytes bytes{};
  for (int byte : set)
    bytes.at(static_cast<std::size_t>(byte)) = 1;
  return bytes;
}

inline std::string Switches(TQuakePlugin& plugin) {
  TLongText text("stale");
  plugin.GetCmdLineSwitches(text);
  return text.Str();
}

// The launch's share of the script: PrepareLaunch first, then every line.
inline std::vector<std::string> Script(TQuakePlugin& plugin) {
  std::vector<std::string> lines;
  EXPECT_TRUE(plugin.PrepareLaunch());
  for (std::int32_t i = 0; i < plugin.GetScriptLineCount(); ++i) {
    TLongText line("stale");
    plugin.GetScriptLine(i, line);
    lines.push_back(line.Str());
  }
  return lines;
}

inline std::pair<TModuleHandle, std::int32_t> Picture(TQuakePlugin& plugin) {
  TModuleHandle module = 99;
  std::int32_t number = 99;
  plugin.GetPicture(module, number);
  return {module, number};
}

inline std::string Map(TQuakePlugin& plugin, std::int32_t index) {
  TShortName name("stale");
  plugin.GetMapName(index, name);
  return name.Str();
}

}  // namespace fx::test
