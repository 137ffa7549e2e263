#include "gamedata/DocumentList.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fx {

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameTextChar(char a, char b) {
  return Lower(a) == Lower(b);
}

// Iterative glob with single-star backtracking: linear in practice, and no recursion depth
// for a name full of stars to exhaust.
bool MatchGlob(std::string_view name, std::string_view mask) {
  std::size_t n = 0, m = 0;
  std::size_t starMask = std::string_view::npos, starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && SameTextChar(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::string_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), SameTextChar);
}

bool LessText(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error))
    names.push_back(it->path().filename().string());
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
  if (MatchGlob(name, mask)) return true;
  return mask.ends_with(".*") && name.find('.') == std::string_view::npos &&
         MatchGlob(name, mask.substr(0, mask.size() - 2));
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
