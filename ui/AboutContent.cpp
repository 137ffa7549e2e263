#include "ui/AboutContent.h"

#include "platform/InstallLayout.h"
#include "ui/FormatFloat.h"

namespace fx {

std::string AboutVersionText(const TVersion& version) {
  return std::to_string(version.Major) + "." + std::to_string(version.Minor) +
         std::to_string(version.Release) + " (Build " + std::to_string(version.Build) + ")";
}

std::string AboutMemoryText(std::uint64_t bytes, const TFormatSettings& settings) {
  return FormatFloat("#,##0", static_cast<long double>(bytes) / 1024, settings) + " KB";
}

std::vector<TAboutLink> AboutLinks(const std::filesystem::path& programFolder) {
  std::vector<TAboutLink> links;
  if (const auto readme = InstalledReadme(programFolder))
    links.push_back({"Fraxinel's README", *readme});
  if (const auto manual = InstalledManualPage(programFolder))
    links.push_back({"Fraxinel's manual page", *manual});
  return links;
}

std::vector<std::string> CreditLines() {
  return {
      "FRAXINEL",
      "",
      "a launcher for Quake",
      "",
      "",
      "Written by",
      "the Fraxinel team",
      "",
      "Game types",
      "Deathmatch, Capture",
      "the Flag, Fortress,",
      "Head Hunters, Varimix",
      "",
      "Map titles read from",
      "every PACK and BSP",
      "",
      "Scripts written",
      "byte for byte",
      "",
      "Tested on engines",
      "that never met DOS",
      "",
      "Named after the ash tree",
      "",
      "",
      "Thanks for playing",
      "",
      "Press Esc",
  };
}

TCodeWordTyper::TResult TCodeWordTyper::Type(char letter) {
  if (letter < 'A' || letter > 'Z') return {};
  FWord += letter;
  for (const TCodeWord& code : kCodeWords) {
    if (!code.Word.starts_with(FWord)) continue;
    if (code.Word == FWord) {
      FWord.clear();
      return {true, &code};
    }
    return {true, nullptr};
  }
  FWord.clear();
  return {};
}

}  // namespace fx
