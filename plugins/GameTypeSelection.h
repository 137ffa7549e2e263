#pragma once

// What the host does when a game type is selected: fill its lists from the plug-in (or
// from the standard plug-in for lists the game type leaves to it), preselect entries,
// reset the map and the patch, show the picture and activate the plug-in. The main window
// implements TGameTypeView over its controls; the order of the steps lives here.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/FXIntf.h"

namespace fx {

// The text the map, patch, demo and server boxes show when nothing is chosen.
inline constexpr std::string_view kNoneText = "(None)";
// Game-type pictures of the picture library are numbered from here.
inline constexpr std::int32_t kGameTypePictureBase = 21000;

// The host's list boxes that a game type fills.
enum class THostList { Skill, Map, PlayMode, Teamplay, ClientExit, PlayerClass };

// Where the picture of a game type comes from.
struct TGameTypePicture {
  bool FromPictureLibrary = false;  // the host's picture library, else Module
  TModuleHandle Module = 0;
  std::int32_t Number = 0;  // the picture's number within its source

  friend bool operator==(const TGameTypePicture&, const TGameTypePicture&) = default;
};

// A module handle of 0 means the host's picture library, counted from 21000.
TGameTypePicture GameTypePicture(TModuleHandle module, std::int32_t number);

// The main window's side of a selection.
class TGameTypeView {
 public:
  virtual ~TGameTypeView() = default;

  // Replaces the items of a list; no item is selected afterwards.
  virtual void FillList(THostList list, const std::vector<std::string>& items) = 0;
  // -1 selects nothing.
  virtual void SelectItem(THostList list, int index) = 0;
  // The text of the map box (typed or chosen).
  virtual std::string MapText() = 0;
  virtual void SetMapText(const std::string& text) = 0;
  virtual void SetPlayerClassCaption(const std::string& caption) = 0;
  virtual void SetPatchText(const std::string& text) = 0;
  // Shows the picture; a source that does not hold it shows none, without an error.
  virtual void ShowGameTypePicture(const TGameTypePicture& picture) = 0;
  // Last step: show and hide the panels for the new features, and refresh.
  virtual void ApplyFeatures(const TPluginFeatures& features) = 0;
};

// The entries of one list of a plug-in, from index 0 to count-1.
std::vector<std::string> ListItems(TQuakePlugin& source, THostList list);

// The map name the launch uses for a map box text: "(None)" is empty; the part before the
// first ":" in lower case ("E1M1: The Slipgate Complex" gives "e1m1").
std::string MapNameFromBoxText(std::string_view text);

// Keeps the current game type and runs the selection sequence.
class TGameTypeSelector {
 public:
  // `standard` supplies every list a game type does not claim; `view` must outlive this.
  TGameTypeSelector(TIntfPtr<TQuakePlugin> standard, TGameTypeView& view);

  void Select(TIntfPtr<TQuakePlugin> plugin);

  // Null before the first Select.
  TQuakePlugin* Current() const { return FCurrent.Get(); }
  const TPluginFeatures& Features() const { return FFeatures; }
  // The plug-in that supplies `list` for the current game type.
  TQuakePlugin& SourceOf(THostList list) const;

 private:
  void FillSkills();
  std::vector<std::string> FillMaps();
  void FillAndPreselect(THostList list, int minCount, int index);
  void KeepMapIfListed(const std::string& mapText, const std::vector<std::string>& maps);
  void FillPlayerClasses();
  void ShowPicture();

  TIntfPtr<TQuakePlugin> FStandard;
  TGameTypeView& FView;
  TIntfPtr<TQuakePlugin> FCurrent;
  TPluginFeatures FFeatures;
};

}  // namespace fx
