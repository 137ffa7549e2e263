#include "platform/GamePaths.h"

#include <algorithm>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace fx {

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return FoldAscii(x) == FoldAscii(y); });
}

std::vector<std::string> SplitComponents(std::string_view path) {
  std::vector<std::string> parts;
  std::string current;
  for (const char c : path) {
    if (c == '\\' || c == '/') {
      if (!current.empty() && current != ".") parts.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty() && current != ".") parts.push_back(current);
  return parts;
}

bool EntryExists(const std::filesystem::path& p) {
  std::error_code ec;
  return std::filesystem::exists(std::filesystem::symlink_status(p, ec));
}

// The entry of `folder` whose name equals `name` but for case. Where several do,
// the smallest name wins so that the choice does not depend on directory order.
std::optional<std::string> FindIgnoringCase(const std::filesystem::path& folder,
                                            std::string_view name) {
  std::optional<std::string> best;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (SameTextIgnoringCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
  }
  return best;
}

}  // namespace

std::filesystem::path ResolveGamePath(const std::filesystem::path& gameFolder,
                                      std::string_view relativePath) {
  std::filesystem::path result = gameFolder;
  if (!relativePath.empty() && (relativePath.front() == '/' || relativePath.front() == '\\'))
    result = "/";
  bool matching = true;
  for (const std::string& part : SplitComponents(relativePath)) {
    if (matching && part != ".." && !EntryExists(result / part)) {
      if (const auto found = FindIgnoringCase(result, part)) {
        result /= *found;
        continue;
      }
      matching = false;
    }
    result /= part;
  }
  return result;
}

}  // namespace fx
