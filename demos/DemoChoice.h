#pragma once

// What choosing a demo does: whether the chosen engine plays it, which installed engine
// would, and what the main window's boxes get.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "demos/DemoScan.h"
#include "exes/EngineProfiles.h"

namespace fx {

bool PlaysDemo(const TEngineProfile& profile, const TDemoInfo& info);

// An installed executable entry: its name in the list and its program file.
struct TEngineOffer {
  std::string Name;
  std::string Program;
};

// The first entry whose engine plays the demo.
std::optional<std::size_t> EngineForDemo(std::span<const TEngineOffer> engines,
                                         const TDemoInfo& info);

// The question the window asks when the chosen entry cannot play the demo: naming the
// protocol and, when one can, the entry that would ("" for `other` when none).
std::string CannotPlayText(const std::string& chosen, const TDemoInfo& info,
                           const std::string& other);

// The patch box's text for a row: the mod's folder, or empty for id1.
std::string DemoPatchText(const TDemoRow& row);

// The game kind as the table shows it.
std::string GameKindText(TGameKind kind);

// The families that play the demo, as the table shows them ("QuakeSpasm, FTE").
std::string DemoEnginesText(const TDemoInfo& info);

}  // namespace fx
