#pragma once

// The server browser's own lists: favourites, the history of joined servers, the masters
// (the program's list, each switchable, and the user's own), the query limits and the
// named filter presets. They are kept in the per-user settings under kServerListsKey in
// the settings' usual forms; a damaged value is reported and left in the file as it is.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "servers/ServerFilter.h"
#include "servers/ServerSource.h"

namespace fx {

inline constexpr const char* kServerListsKey = "Software\\Bolsk\\Fraxinel\\Servers";
inline constexpr std::size_t kHistoryLength = 50;

// The interface's plain structs compare member by member (the lists compare as wholes).
bool operator==(const TKnownServer& a, const TKnownServer& b);
bool operator==(const TQueryLimits& a, const TQueryLimits& b);

struct THistoryEntry {
  TKnownServer Server;
  std::string Name;  // as the server sent it when it was joined
  friend bool operator==(const THistoryEntry&, const THistoryEntry&) = default;
};

struct TFilterPreset {
  std::string Name;
  TServerFilter Filter;
  friend bool operator==(const TFilterPreset&, const TFilterPreset&) = default;
};

class EServerListError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TServerLists {
  std::vector<TKnownServer> Favourites;
  std::vector<THistoryEntry> History;  // newest first, at most kHistoryLength
  std::vector<TMasterServer> Masters;  // the program's first, in their order, then the user's
  TQueryLimits Limits;
  bool SearchLan = true;
  bool ShowSilent = false;  // "Show servers that did not answer"

  bool IsFavourite(const TServerAddress& address) const;
  // Adds the server or takes it out again; true when it is a favourite afterwards.
  bool ToggleFavourite(const TKnownServer& server);
  bool RemoveFavourite(const TServerAddress& address);
  // Puts the server first, once.
  void AddToHistory(const TKnownServer& server, std::string name);
  // Every server a refresh asks by itself: the favourites, then the history, each once.
  std::vector<TKnownServer> KnownServers() const;
  // Adds a master of the user's, "host:port" ("[v6]:port"); throws EServerListError with
  // the reason when the text is no such address or the master is listed already.
  void AddMaster(std::string_view hostAndPort, TMasterKind kind);
  // Only the user's own can be removed; false for the program's.
  bool RemoveMaster(std::size_t index);

  friend bool operator==(const TServerLists&, const TServerLists&) = default;
};

// "host:port"; nullopt when the text is not that (blanks, no port, port out of range).
std::optional<TMasterServer> ParseMasterAddress(std::string_view text, TMasterKind kind);
std::string MasterAddressText(const TMasterServer& master);

// Reads and writes the lists. Keep one store from the load to the save: it remembers what
// was damaged, so that the save leaves it alone unless the user has changed that value.
class TServerListStore {
 public:
  TServerListStore();
  ~TServerListStore();
  TServerListStore(const TServerListStore&) = delete;
  TServerListStore& operator=(const TServerListStore&) = delete;

  // Never throws for a damaged value (a value of the wrong type, a line that names no
  // server, a limit out of range): it is described in Problems() and the list goes on.
  // Registry errors other than those propagate.
  TServerLists Load();
  void Save(const TServerLists& lists);
  // What the last Load and LoadPresets found damaged, one line each.
  const std::vector<std::string>& Problems() const { return FProblems; }

  // Presets by name, in the registry's order (names sorted case-blind).
  std::vector<TFilterPreset> LoadPresets();
  // Replaces a preset of the same name (names compare case-blind). Throws
  // EServerListError for a name that cannot be stored.
  void SavePreset(const TFilterPreset& preset);
  void DeletePreset(const std::string& name);

 private:
  struct TState;
  std::unique_ptr<TState> FState;
  std::vector<std::string> FProblems;
};

// Why a preset name cannot be stored ("" when it can).
std::string PresetNameProblem(std::string_view name);

}  // namespace fx
