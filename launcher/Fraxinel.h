#pragma once

// The host object that game types talk to. Every operation reads or writes the main
// window's controls at once, through THostControls; the text rules of the interface
// ("(None)", the map-name cut, the patch folder) are decided here.

#include <cstdint>
#include <stdexcept>
#include <string>

#include "plugins/FXIntf.h"
#include "plugins/GameTypeSelection.h"
#include "settings/FXSettings.h"
#include "ui/UserDialogs.h"

namespace fx {

// The program's general error: raised for a game type, shown as a message box.
class EFraxinelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The controls of the main window that the host object reaches.
class THostControls {
 public:
  virtual ~THostControls() = default;

  // Item index of a list box; -1 when nothing is selected.
  virtual int ItemIndex(THostList list) = 0;
  // An index outside the list leaves it without selection.
  virtual void SetItemIndex(THostList list, int index) = 0;
  // The map box: the typed text, or the selected entry when it is pick-only.
  virtual std::string MapText() = 0;
  virtual void SetMapText(const std::string& text) = 0;
  virtual std::string PatchText() = 0;
  virtual void SetPatchText(const std::string& text) = 0;
  // Item index of the play-mode box (single player ... demo playback).
  virtual int QuakeMode() = 0;
  virtual std::string Hostname() = 0;
  virtual void SetHostname(const std::string& text) = 0;
  virtual TWindowHandle AppHandle() = 0;
  virtual TUserDialogs& Dialogs() = 0;
};

class TFraxinel final : public TQuakeStarter {
 public:
  // `controls` and `settings` must outlive every plug-in that holds this starter.
  TFraxinel(THostControls& controls, const TFXSettings& settings);

  std::int32_t GetSkill() override;
  void SetSkill(std::int32_t index) override;
  void GetMap(TShortName& map) override;
  void SetMap(const TShortName& map) override;
  std::int32_t GetPlayMode() override;
  void SetPlayMode(std::int32_t index) override;
  std::int32_t GetTeamplay() override;
  void SetTeamplay(std::int32_t index) override;
  std::int32_t GetClientExit() override;
  void SetClientExit(std::int32_t index) override;
  void GetPatchDir(TShortName& dir) override;
  void SetPatchDir(const TShortName& dir) override;
  bool IsServer() override;
  void GetHostname(TLongText& hostname) override;
  void SetHostname(const TLongText& hostname) override;
  bool IsShareware() override;
  std::int32_t GetPlayerClass() override;
  void SetPlayerClass(std::int32_t index) override;
  TWindowHandle GetAppHandle() override;
  std::int32_t ShowMessageBox(const char* text, const char* caption, std::uint16_t flags) override;
  [[noreturn]] void RaiseError(const char* text) override;

 private:
  THostControls& FControls;
  const TFXSettings& FSettings;
};

// The patch box text for a sub-folder `dir` of the configured patch folder: that folder
// relative to the game folder, a backslash, the name. Without a configured patch folder
// (or one that is the game folder itself) the name alone, not "\name".
std::string PatchDirText(const std::string& gameFolder, const std::string& patchPath,
                         const std::string& dir);

}  // namespace fx
