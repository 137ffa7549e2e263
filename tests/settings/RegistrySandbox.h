#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "fixtures/FileBuilder.h"
#include "fixtures/TempDir.h"
#include "platform/RegFileStore.h"
#include "platform/Registry.h"

namespace fx::test {

// A registry of real files in a temporary folder that every TRegistry() of the test
// uses, so settings objects are saved and loaded exactly as the program does it.
class TRegistrySandbox {
 public:
  TRegistrySandbox() : FConfigDir(Folder()) { Reopen(); }

  std::filesystem::path Temp() const { return FTemp.Path(); }
  std::filesystem::path Folder() const { return FTemp.Path() / "config"; }
  std::filesystem::path UserReg() const { return Folder() / "user.reg"; }
  std::filesystem::path MachineReg() const { return Folder() / "machine.reg"; }
  TRegFileStore& Store() { return *FStore; }

  // Starts over with a store that knows only what the files hold, as the next run of
  // the program would.
  void Reopen() {
    FOverride.reset();
    FStore.reset();
    FStore.emplace(Folder());
    FOverride.emplace(*FStore);
  }

  // The lines of one "[key]" section of a .reg file, without the header; nullopt when
  // the file or the section is missing.
  static std::optional<std::vector<std::string>> Section(const std::filesystem::path& file,
                                                         const std::string& header) {
    if (!std::filesystem::exists(file)) return std::nullopt;
    const std::string text = ReadFileBytes(file);
    std::size_t pos = text.find("\r\n" + header + "\r\n");
    if (pos == std::string::npos) return std::nullopt;
    std::vector<std::string> lines;
    pos += header.size() + 4;
    while (pos < text.size()) {
      const std::size_t end = text.find("\r\n", pos);
      const std::string line = text.substr(pos, end - pos);
      if (line.empty() || end == std::string::npos) break;
      lines.push_back(line);
      pos = end + 2;
    }
    return lines;
  }

 private:
  TTempDir FTemp;
  TConfigDirOverride FConfigDir;
  std::optional<TRegFileStore> FStore;
  std::optional<TDefaultRegistryOverride> FOverride;
};

}  // namespace fx::test
