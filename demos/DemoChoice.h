#pragma once

// What choosing a demo does: whether the chosen engine plays it, which installed engine
// would, and what the main window's boxes get.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "demos/DemoScan.h"
#include "exes/EngineProfiles.h"
#include "ui/UserDialogs.h"

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

// What choosing a row puts into the main window: the name for the playback box, the mod for
// the patch box (nothing for a demo of id1, which every mod's search reaches), and another
// installed entry when the chosen one cannot play the demo and the user takes the offer.
struct TDemoPick {
  bool Cancelled = false;
  std::string PlayName;
  std::optional<std::string> Patch;
  std::optional<std::size_t> SwitchTo;
};
TDemoPick PickDemo(const TDemoRow& row, std::span<const TEngineOffer> engines,
                   std::optional<std::size_t> chosen, TUserDialogs& dialogs);

// The record box's question when the chosen name would overwrite a demo the engine finds
// (in any case of its letters).
std::string OverwriteDemoText(const std::string& found);

}  // namespace fx
