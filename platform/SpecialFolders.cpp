#include "platform/SpecialFolders.h"

#include "platform/RegularFile.h"

#include <cstdlib>
#include <sstream>

#include <pwd.h>
#include <unistd.h>

namespace fx {

namespace {

// user-dirs.dirs holds a dozen short lines; a larger file is not one.
constexpr std::size_t kUserDirsLimit = 64 * 1024;

std::optional<std::string> ProcessEnv(std::string_view name) {
  if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
  return std::nullopt;
}

// Value of a user-dirs.dirs line: a double-quoted text that may start with
// "$HOME" and may escape characters with a backslash. Relative paths are not
// allowed there, and neither is any other variable.
std::optional<std::string> ParseUserDirValue(std::string_view text, const std::string& home) {
  if (text.size() < 2 || text.front() != '"') return std::nullopt;
  std::string value;
  bool closed = false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\\' && i + 1 < text.size()) {
      value += text[++i];
    } else if (c == '"') {
      closed = true;
      break;
    } else {
      value += c;
    }
  }
  if (!closed) return std::nullopt;
  constexpr std::string_view homeVar = "$HOME";
  if (value.starts_with(homeVar)) return home + value.substr(homeVar.size());
  if (!value.starts_with('/')) return std::nullopt;
  return value;
}

}  // namespace

TXdgFolders::TXdgFolders() : FGetEnv(ProcessEnv) {}

TXdgFolders::TXdgFolders(TGetEnv getEnv) : FGetEnv(std::move(getEnv)) {}

std::optional<std::string> TXdgFolders::Env(std::string_view name) const {
  auto value = FGetEnv(name);
  if (value && value->empty()) return std::nullopt;
  return value;
}

std::filesystem::path TXdgFolders::Home() const {
  if (auto home = Env("HOME")) return *home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

std::filesystem::path TXdgFolders::ConfigHome() const {
  // Relative paths in these variables are invalid by the XDG rules and are ignored.
  if (auto dir = Env("XDG_CONFIG_HOME"); dir && dir->starts_with('/')) return *dir;
  return Home() / ".config";
}

std::filesystem::path TXdgFolders::DataHome() const {
  if (auto dir = Env("XDG_DATA_HOME"); dir && dir->starts_with('/')) return *dir;
  return Home() / ".local" / "share";
}

std::filesystem::path TXdgFolders::StateHome() const {
  if (auto dir = Env("XDG_STATE_HOME"); dir && dir->starts_with('/')) return *dir;
  return Home() / ".local" / "state";
}

std::filesystem::path TXdgFolders::CacheHome() const {
  if (auto dir = Env("XDG_CACHE_HOME"); dir && dir->starts_with('/')) return *dir;
  return Home() / ".cache";
}

std::optional<std::filesystem::path> TXdgFolders::UserDir(std::string_view key) const {
  std::string text;
  try {
    text = ReadRegularFile(ConfigHome() / "user-dirs.dirs", kUserDirsLimit);
  } catch (const EFileOpenError&) {
    return std::nullopt;
  }
  const std::string wanted = "XDG_" + std::string(key) + "_DIR=";
  const std::string home = Home().string();
  std::optional<std::filesystem::path> result;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.starts_with(wanted)) continue;
    // A later line overrides an earlier one, as with shell assignments.
    if (auto value = ParseUserDirValue(std::string_view(line).substr(wanted.size()), home))
      result = std::filesystem::path(*value);
  }
  return result;
}

std::filesystem::path TXdgFolders::Desktop() const {
  if (auto dir = UserDir("DESKTOP")) return *dir;
  return Home() / "Desktop";
}

std::filesystem::path TXdgFolders::ProgramsMenu() const {
  return DataHome() / "applications";
}

}  // namespace fx
