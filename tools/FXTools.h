#pragma once

// External tools: the user's own programs (map editors, server browsers) that the "&Tools"
// menu starts, their registry form below HKEY_CURRENT_USER and the one list the program
// keeps of them.

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace fx {

// The title a tool has until the user gives it one.
inline constexpr const char* kNewToolTitle = "New Tool";
inline constexpr const char* kToolRunError =
    "The tool could not be executed.\nCheck path and working dir.";

// A tool that the shell could not start.
class EToolError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TTool {
 public:
  TTool() = default;
  // Reads the values of tool `number` from the key open in `registry` ("Title0", "Path0",
  // ...); a missing value reads as "".
  TTool(const TRegistry& registry, int number);

  std::string Title = kNewToolTitle;  // caption in the menu and in the list editor
  std::string Path;                   // program or document, full path
  std::string WorkDir;                // working folder of the start
  std::string Param;                  // parameters given to the program

  // Writes the four values of tool `number` into the key open in `registry`.
  void SaveToRegistry(TRegistry& registry, int number) const;

  // Starts the tool through the shell port ("open"). Throws EToolError (kToolRunError)
  // when the shell reports a failure.
  void Run() const;

  friend bool operator==(const TTool&, const TTool&) = default;
};

// "\Software\Bolsk\Fraxinel\Tools", below HKEY_CURRENT_USER.
std::string ToolListKey();

// The tools in menu order.
class TToolList {
 public:
  std::vector<TTool> Items;

  // Replaces the items by the tools of the tools key (created when missing): "Count"
  // (none: no tools), then tools 0 to Count - 1. Leaves the registry closed.
  void Load(TRegistry& registry);
  // Replaces the tools key by exactly the items, numbered from 0 without gaps, and closes
  // the registry, which writes the settings file at once. ERegistryException when that
  // fails.
  void Save(TRegistry& registry) const;

  // One line per tool: its title.
  std::vector<std::string> Titles() const;
};

// The list the program keeps from start-up to the end. While one lives, LiveToolList()
// reaches it; there is at most one at a time.
class TProgramToolList {
 public:
  TProgramToolList();
  ~TProgramToolList();
  TProgramToolList(const TProgramToolList&) = delete;
  TProgramToolList& operator=(const TProgramToolList&) = delete;

  TToolList Tools;
};

// The live TProgramToolList's list; null when none lives.
TToolList* LiveToolList();

// The fields "Tool Settings" edits, and what choosing a program with "Browse..." makes of
// them: the path, its folder as working folder, and its name without extension as title
// while the title still is kNewToolTitle (an edited title stays).
struct TToolFields {
  std::string Title;
  std::string Path;
  std::string WorkDir;
  std::string Param;
};
TToolFields FillToolFields(const TTool& tool);
void ApplyToolFields(const TToolFields& fields, TTool& tool);
void ApplyBrowsedProgram(const std::string& chosenFile, TToolFields& fields);

// Where the file chooser of "Browse..." starts: the path as typed, or the game folder when
// the path is empty.
std::string BrowseStart(const TToolFields& fields, const std::string& gameFolder);

// Any file comes first: tools on Linux are programs and scripts without an extension.
inline constexpr const char* kToolFilter = "All Files|*|Executables|*.exe;*.bat";

}  // namespace fx
