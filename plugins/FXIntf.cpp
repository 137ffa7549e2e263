#include "plugins/FXIntf.h"

#include <cstring>
#include <string>

namespace fx {

namespace {

// The length of the UTF-8 sequence that starts with `lead`; 0 when it is no lead byte.
std::size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

bool IsContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

}  // namespace

std::size_t FittingLength(std::string_view text, std::size_t capacity) {
  if (text.size() <= capacity) return text.size();
  // Walk back over the continuation bytes before the cut to the sequence they belong to;
  // when that sequence is whole in the text but would be split, drop it entirely.
  std::size_t start = capacity;
  while (start > 0 && capacity - start < 3 &&
         IsContinuation(static_cast<unsigned char>(text[start]))) {
    --start;
  }
  if (start == capacity) return capacity;
  const std::size_t length = SequenceLength(static_cast<unsigned char>(text[start]));
  if (length == 0 || start + length > text.size()) return capacity;
  for (std::size_t i = start + 1; i < start + length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return capacity;
  }
  return start + length <= capacity ? capacity : start;
}

TFeatureBytes FeatureBytes(const TPluginFeatures& features) {
  TFeatureBytes bytes{};
  std::memcpy(bytes.data(), &features, bytes.size());
  return bytes;
}

std::int32_t TInterface::AddRef() {
  return ++FRefCount;
}

std::int32_t TInterface::Release() {
  const std::int32_t count = --FRefCount;
  // The object owns itself: the last reference ends it, as the interface promises.
  if (count == 0) delete this;
  return count;
}

std::int32_t TInterface::GetVersion() const {
  return 1;
}

void TQuakePlugin::GetCmdLineSwitches(TLongText& switches) {
  switches.Clear();
}
std::int32_t TQuakePlugin::GetScriptLineCount() {
  return 0;
}
void TQuakePlugin::GetScriptLine(std::int32_t, TLongText& line) {
  line.Clear();
}
bool TQuakePlugin::PrepareLaunch() {
  return true;
}
void TQuakePlugin::Activate() {}

std::int32_t TQuakePlugin::GetSkillCount() {
  NotOffered("GetSkillCount");
}
void TQuakePlugin::GetSkillName(std::int32_t, TShortName&) {
  NotOffered("GetSkillName");
}
std::int32_t TQuakePlugin::GetMapCount() {
  NotOffered("GetMapCount");
}
void TQuakePlugin::GetMapName(std::int32_t, TShortName&) {
  NotOffered("GetMapName");
}
std::int32_t TQuakePlugin::GetPlayModeCount() {
  NotOffered("GetPlayModeCount");
}
void TQuakePlugin::GetPlayModeName(std::int32_t, TShortName&) {
  NotOffered("GetPlayModeName");
}
std::int32_t TQuakePlugin::GetTeamplayCount() {
  NotOffered("GetTeamplayCount");
}
void TQuakePlugin::GetTeamplayName(std::int32_t, TShortName&) {
  NotOffered("GetTeamplayName");
}
std::int32_t TQuakePlugin::GetClientExitCount() {
  NotOffered("GetClientExitCount");
}
void TQuakePlugin::GetClientExitName(std::int32_t, TShortName&) {
  NotOffered("GetClientExitName");
}
bool TQuakePlugin::ShowOptions() {
  NotOffered("ShowOptions");
}
bool TQuakePlugin::ShowServerOptions() {
  NotOffered("ShowServerOptions");
}
void TQuakePlugin::SaveOptions(const TLongText&) {
  NotOffered("SaveOptions");
}
void TQuakePlugin::LoadOptions(const TLongText&) {
  NotOffered("LoadOptions");
}
void TQuakePlugin::GetPlayerClassCaption(TShortName&) {
  NotOffered("GetPlayerClassCaption");
}
std::int32_t TQuakePlugin::GetPlayerClassCount() {
  NotOffered("GetPlayerClassCount");
}
void TQuakePlugin::GetPlayerClassName(std::int32_t, TShortName&) {
  NotOffered("GetPlayerClassName");
}

void TQuakePlugin::GetPicture(TModuleHandle& module, std::int32_t& number) {
  module = 0;
  number = 0;
}

void TQuakePlugin::NotOffered(const char* operation) const {
  throw EPluginError(std::string("The game type does not offer ") + operation + ".");
}

void GetListEntry(std::span<const std::string_view> entries, std::int32_t index, TShortName& name) {
  if (index < 0 || static_cast<std::size_t>(index) >= entries.size()) {
    name.Clear();
    return;
  }
  name.Assign(entries[static_cast<std::size_t>(index)]);
}

}  // namespace fx
