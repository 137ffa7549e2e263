#include "settings/PathUtils.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace fx {

namespace {

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

// The file name part: everything after the last separator of either kind.
std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The extension of a bare file name, dot included; "" when it has no dot.
std::string_view ExtensionPart(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : fileName.substr(dot);
}

// Groups the digits of an unsigned decimal text by three from the right.
std::string GroupThousands(const std::string& digits, const std::string& separator) {
  if (separator.empty()) return digits;
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += separator;
    out += digits[i];
  }
  return out;
}

}  // namespace

bool IsPathDelimiter(char c) {
  return c == '/' || c == '\\';
}

std::string EnsureBackslash(std::string_view path) {
  std::string result(path);
  if (!result.empty() && !IsPathDelimiter(result.back())) result += kPathDelim;
  return result;
}

std::string RemoveBackslash(std::string_view path) {
  if (!path.empty() && IsPathDelimiter(path.back())) path.remove_suffix(1);
  return std::string(path);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  if (!name.empty() && IsPathDelimiter(name.front())) name.remove_prefix(1);
  std::string result = EnsureBackslash(folder);
  for (const char c : name)
    result += (c == '\\') ? kPathDelim : c;
  return result;
}

std::string JoinPath3(std::string_view folder, std::string_view subPath, std::string_view name) {
  return JoinPath(JoinPath(folder, subPath), name);
}

bool FolderExists(std::string_view path) {
  if (path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::path(path), ec);
}

bool HasExtension(std::string_view fileName, std::string_view extension) {
  return SameTextIgnoringCase(ExtensionPart(FileNamePart(fileName)), extension);
}

std::string ExtractFileTitle(std::string_view fileName) {
  std::string_view name = FileNamePart(fileName);
  name.remove_suffix(ExtensionPart(name).size());
  return std::string(name);
}

std::string FormatKB(std::int64_t bytes, const TFormatSettings& format) {
  if (bytes >= 1 && bytes <= 1023) bytes = 1024;
  // printf rounds exact halves to even (2.5 KB gives "2"), where Delphi's "%.0n"
  // rounded them away from zero; the difference is one kilobyte on a shown size.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.0f", std::fabs(static_cast<double>(bytes) / 1024.0));
  const std::string digits = buffer;
  const std::string sign = (bytes < 0 && digits != "0") ? "-" : "";
  return sign + GroupThousands(digits, format.ThousandSeparator) + " KB";
}

}  // namespace fx
