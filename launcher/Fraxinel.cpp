#include "launcher/Fraxinel.h"

#include "launcher/LaunchInput.h"
#include "launcher/LaunchPipeline.h"
#include "plugins/MessageBoxStyle.h"

namespace fx {

TFraxinel::TFraxinel(THostControls& controls, const TFXSettings& settings)
    : FControls(controls), FSettings(settings) {}

std::int32_t TFraxinel::GetSkill() {
  return FControls.ItemIndex(THostList::Skill);
}

void TFraxinel::SetSkill(std::int32_t index) {
  FControls.SetItemIndex(THostList::Skill, index);
}

void TFraxinel::GetMap(TShortName& map) {
  map = LaunchMapName(FControls.MapText());
}

void TFraxinel::SetMap(const TShortName& map) {
  FControls.SetMapText(map.Empty() ? std::string(kNoneText) : map.Str());
}

std::int32_t TFraxinel::GetPlayMode() {
  return FControls.ItemIndex(THostList::PlayMode);
}

void TFraxinel::SetPlayMode(std::int32_t index) {
  FControls.SetItemIndex(THostList::PlayMode, index);
}

std::int32_t TFraxinel::GetTeamplay() {
  return FControls.ItemIndex(THostList::Teamplay);
}

void TFraxinel::SetTeamplay(std::int32_t index) {
  FControls.SetItemIndex(THostList::Teamplay, index);
}

std::int32_t TFraxinel::GetClientExit() {
  return FControls.ItemIndex(THostList::ClientExit);
}

void TFraxinel::SetClientExit(std::int32_t index) {
  FControls.SetItemIndex(THostList::ClientExit, index);
}

void TFraxinel::GetPatchDir(TShortName& dir) {
  dir = LaunchPatchName(FControls.PatchText());
}

void TFraxinel::SetPatchDir(const TShortName& dir) {
  FControls.SetPatchText(PatchDirText(FSettings.QPath(), FSettings.PatchPath(), dir.Str()));
}

bool TFraxinel::IsServer() {
  return IsServerMode(FControls.QuakeMode());
}

void TFraxinel::GetHostname(TLongText& hostname) {
  hostname = FControls.Hostname();
}

void TFraxinel::SetHostname(const TLongText& hostname) {
  FControls.SetHostname(hostname.Str());
}

bool TFraxinel::IsShareware() {
  return FSettings.Shareware();
}

std::int32_t TFraxinel::GetPlayerClass() {
  return FControls.ItemIndex(THostList::PlayerClass);
}

void TFraxinel::SetPlayerClass(std::int32_t index) {
  FControls.SetItemIndex(THostList::PlayerClass, index);
}

TWindowHandle TFraxinel::GetAppHandle() {
  return FControls.AppHandle();
}

std::int32_t TFraxinel::ShowMessageBox(const char* text, const char* caption, std::uint16_t flags) {
  const TMessage message =
      MessageFromStyle(text != nullptr ? text : "", caption != nullptr ? caption : "", flags);
  return ButtonCode(FControls.Dialogs().ShowMessage(message));
}

void TFraxinel::RaiseError(const char* text) {
  throw EFraxinelError(text != nullptr ? text : "");
}

std::string PatchDirText(const std::string& gameFolder, const std::string& patchPath,
                         const std::string& dir) {
  std::string folder = RelativeToFolder(gameFolder, patchPath);
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/'))
    folder.pop_back();
  return folder.empty() ? dir : folder + "\\" + dir;
}

}  // namespace fx
