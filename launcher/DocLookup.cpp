#include "launcher/DocLookup.h"

#include <initializer_list>
#include <system_error>

#include "launcher/LaunchInput.h"
#include "launcher/ScriptText.h"
#include "platform/GamePaths.h"
#include "plugins/GameTypeSelection.h"

namespace fx {

namespace {

std::optional<std::filesystem::path> FirstExisting(const std::filesystem::path& gameFolder,
                                                   std::initializer_list<std::string> names) {
  for (const std::string& name : names) {
    const std::filesystem::path path = ResolveGamePath(gameFolder, name);
    std::error_code error;
    if (std::filesystem::is_regular_file(path, error)) return path;
  }
  return std::nullopt;
}

// A name that leaves its folder ("..\x", "/etc/x") would let the buttons open any file.
bool PlainName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos && name != "." &&
         name != "..";
}

}  // namespace

std::string DemoDocumentName(int playMode, const std::string& demoPlay, bool recordDemo,
                             const std::string& demoRecord) {
  std::string name;
  if (playMode == kPlayDemo)
    name = demoPlay;
  else if (recordDemo)
    name = demoRecord;
  return EqualsIgnoringCase(name, kNoneText) ? std::string() : name;
}

std::optional<std::filesystem::path> FindDemoDocument(const std::filesystem::path& gameFolder,
                                                      const std::string& patch,
                                                      const std::string& demoName) {
  if (!PlainName(demoName)) return std::nullopt;
  if (auto found = FirstExisting(gameFolder, {"ID1\\" + demoName + ".TXT"})) return found;
  if (patch.empty()) return std::nullopt;
  return FirstExisting(gameFolder, {patch + "\\" + demoName + ".TXT"});
}

}  // namespace fx
