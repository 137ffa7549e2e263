#include "gamedata/DocumentList.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "gamedata/PackUtil.h"

namespace fx {

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameTextChar(char a, char b) {
  return Lower(a) == Lower(b);
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameTextChar);
}

bool LessText(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

// A pipe, device or socket (or a link to one) is nothing to open: the program opening it
// would wait for a writer.
bool IsSpecialFile(const std::filesystem::directory_entry& entry) {
  std::error_code error;
  return entry.is_fifo(error) || entry.is_socket(error) || entry.is_block_file(error) ||
         entry.is_character_file(error);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error))
    if (!IsSpecialFile(*it)) names.push_back(it->path().filename().string());
  // Case-blind first, then byte order, so names differing only in case keep a fixed order.
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    if (LessText(a, b)) return true;
    if (LessText(b, a)) return false;
    return a < b;
  });
  return names;
}

}  // namespace

bool MatchesFileMask(std::string_view name, std::string_view mask) {
  if (MatchesWildcard(name, mask, true)) return true;
  return mask.ends_with(".*") && name.find('.') == std::string_view::npos &&
         MatchesWildcard(name, mask.substr(0, mask.size() - 2), true);
}

std::vector<std::string> ListDocuments(const std::filesystem::path& folder) {
  const std::vector<std::string> entries = FolderEntries(folder);
  std::vector<std::string> documents;
  for (const std::string_view pattern : kDocumentPatterns) {
    for (const std::string& name : entries) {
      if (!MatchesFileMask(name, pattern)) continue;
      const bool listed = std::any_of(documents.begin(), documents.end(),
                                      [&](const std::string& had) { return SameText(had, name); });
      if (!listed) documents.push_back(name);
    }
  }
  return documents;
}

}  // namespace fx
